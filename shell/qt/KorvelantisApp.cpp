#include "shell/qt/KorvelantisApp.h"

#include <QApplication>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/Paths.h"
#include "base/Version.h"
#include "common/qt/Look.h"
#include "common/qt/Translate.h"
#include "shell/AppOptions.h"
#include "shell/qt/KorvelantisView.h"
#include "shell/qt/MainFrame.h"
#include "shell/qt/QtOperatorMessages.h"
#include "shell/qt/Screenshots.h"
#include "shell/qt/TerminationSignal.h"
#include "shell/qt/WindowPlacement.h"
#include "sim/SimBus.h"
#include "state/AppContext.h"

namespace {

QString joinAddresses(const std::vector<int>& addresses) {
    QStringList parts;
    for (int a : addresses) parts << QString::number(a);
    return parts.join(", ");
}

}  // namespace

int runKorvelantis(int argc, char** argv) {
    const char* envLang = std::getenv("KORVELANTIS_LANG");
    const std::vector<std::string> rawArgs(argv + 1, argv + argc);
    switch (findInfoRequest(rawArgs)) {
        case InfoRequest::Version:
            printVersion("korvelantis");
            return 0;
        case InfoRequest::Help:
            std::fputs(appOptionsUsage(), stdout);
            return 0;
        case InfoRequest::None:
            break;
    }
    if (const std::string e = findLanguageError(rawArgs, envLang ? envLang : ""); !e.empty()) {
        std::fprintf(stderr, "korvelantis: %s\n%s", e.c_str(), appOptionsUsage());
        return 2;
    }
    QApplication app(argc, argv);
    // QApplication took the desktop's locale for the C library; our numbers do not depend on it,
    // but a library that formats through printf would write "124,1" on a German desktop.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("Korvelantis");
    QApplication::setOrganizationName("Korvelantis");

    std::vector<std::string> args;
    for (const QString& a : QApplication::arguments().mid(1)) args.push_back(a.toStdString());
    const AppOptionsResult parsed = parseAppOptions(args, envLang ? envLang : "");
    if (!parsed.options) {
        std::fprintf(stderr, "korvelantis: %s\n%s", parsed.error.c_str(), appOptionsUsage());
        return 2;
    }
    const AppOptions& options = *parsed.options;
    Look::apply(app);
    // Before any window is made: the windows take their texts through tr() as they are built.
    if (!options.lang.empty() && !Translate::install(QString::fromStdString(options.lang)))
        std::fprintf(stderr, "korvelantis: no translation for %s\n", options.lang.c_str());

    QtOperatorMessages messages;
    messages.setAutoAcknowledge(!options.screenshotDir.empty());
    // Pages join their workers when the window goes; none may then wait for an OK.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &messages,
                     &QtOperatorMessages::shutdown);

    // Declared before the context: the port on its terminal is closed before the bus goes.
    std::unique_ptr<SimBus> sim;
    if (options.demo) {
        SimBus::Options o;
        o.addresses = options.demoDevices;
        sim = std::make_unique<SimBus>(o);
    }

    AppContext ctx(messages);
    // The record files' directory; a failure shows later, where a file is written.
    ensureDirectory(ctx.dataDir);
    if (sim)
        ctx.serialSettings.PortName = sim->portPath();

    CMainFrame frame(ctx);
    messages.setWindow(&frame);
    QObject::connect(&messages, &QtOperatorMessages::statusChanged, &frame,
                     &CMainFrame::showStatus);
    if (sim) {
        const QString path = QString::fromStdString(sim->portPath());
        frame.view()->setSimulatedPort(path);
        frame.showSimulatedBus(path, joinAddresses(options.demoDevices),
                               [bus = sim.get()](double v) { bus->setAppliedPressure(v); });
    }
    frame.view()->OnInitialUpdate();
    frame.setWindowTitle("Korvelantis V1.0");
    // Placed before it shows, with an assumed frame, and again when the real one is known.
    placeOnScreen(frame, kClassicWindowSize);
    placeAgainWhenFramed(frame, kClassicWindowSize);
    frame.show();
    QTimer::singleShot(0, &frame, [&frame] { placeOnScreen(frame, kClassicWindowSize); });
    TerminationSignal termination;
    termination.closeOnTermination(&frame);

    if (!options.screenshotDir.empty()) {
        int result = 0;
        QTimer::singleShot(0, &frame, [&] {
            result = takeScreenshots(frame, QString::fromStdString(options.screenshotDir), {},
                                     sim.get());
            frame.close();
            QApplication::exit(result);
        });
        app.exec();
        return result;
    }
    return app.exec();
}
