// Writes the program's icon as a PNG of the given size, for the desktop's icon theme; the same
// drawing as the window's own icon, so the two never drift apart.
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

#include "shell/qt/ProgramIcon.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: korv-icon-png SIZE OUT.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int size = QString::fromLocal8Bit(argv[1]).toInt();
    if (size <= 0 || !ProgramIcon::pixmap(size).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "korv-icon-png: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
