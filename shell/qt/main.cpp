// korvelantis: the window program. Composes the application; all behaviour lives in the libraries.
#include <QApplication>
#include <QMainWindow>
#include <QTabWidget>

#include "acquisition/qt/DataGatherDlg.h"
#include "config/qt/BasicConfigPage.h"
#include "shell/AppContext.h"
#include "shell/qt/QtOperatorMessages.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvelantis");
    QtOperatorMessages messages;
    AppContext ctx(messages);
    QMainWindow window;
    messages.setWindow(&window);
    auto* sheet = new QTabWidget(&window);
    sheet->addTab(new CBasicConfigPage(ctx), "The basic configuration");
    sheet->addTab(new CDataGatherDlg(ctx), "Data Collection");
    window.setCentralWidget(sheet);
    window.setWindowTitle("Korvelantis V1.0");
    window.show();
    return app.exec();
}
