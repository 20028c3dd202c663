// korvelantis-cli: the command line front end on the same core as the window.
#include "cli/Cli.h"
#include "cli/OutputCheck.h"

int main(int argc, char** argv) {
    holdOutput();
    return finishOutput(runCli(argc, argv));
}
