#pragma once
// The program's icon and the images of the serial dialog's two buttons, drawn here so the
// program needs no image files.

#include <QIcon>
#include <QPixmap>

namespace ProgramIcon {
QPixmap pixmap(int size);
QIcon icon();
// A green check on a round badge ("确定") and a red cross ("取消").
QIcon confirmImage();
QIcon cancelImage();
}  // namespace ProgramIcon
