#pragma once
// Our own look: a calm light texture behind every dialog and page (the program used to paint
// bitmaps there), labels transparent over it, and a font chain that renders Chinese.

class QApplication;
class QWidget;

namespace Look {

// Style, palette and fonts for the whole program. Call once after QApplication exists.
void apply(QApplication& app);
// Fills `w` with the page texture (pages inside the sheet).
void paintPageBackground(QWidget* w);
// Fills `w` with the dialog texture (the program's own dialogs).
void paintDialogBackground(QWidget* w);

}  // namespace Look
