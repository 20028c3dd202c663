// korvelantis: the window program. All behaviour lives in the libraries.
#include "shell/qt/KorvelantisApp.h"

int main(int argc, char** argv) {
    return runKorvelantis(argc, argv);
}
