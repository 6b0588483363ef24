// Program entry: the Qt application, the core with its Qt ports, and the main window.
#include "app/dorive.h"

#include <QApplication>
#include <QFileInfo>
#include <memory>

#include "app/qt/DORive1.h"
#include "app/qt/qt_dialogs.h"
#include "app/variants.h"
#include "qtports/qt_clock.h"
#include "qtports/qt_serial_port.h"
#include "sim/sim_port.h"
#include "sim/sim_unit.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The application's title follows the variant, as the window's caption does, so that
    // message boxes carry the product's name too.
    const dorive::Variant& variant = dorive::selectVariant(argc > 0 ? argv[0] : "DORive");
    QApplication::setApplicationName(variant.caption.empty() ? QString("DORive")
                                                             : QString::fromStdString(variant.caption));

    dorive::QtClock clock;
    dorive::QtDialogs dialogs;
    // One simulated unit for the whole run, so that reopening the port finds the same SIM.
    std::shared_ptr<dorive::sim::SimUnit> simUnit;
    dorive::QtPortProvider ports([&clock, &simUnit] {
        if (!simUnit) simUnit = std::make_shared<dorive::sim::SimUnit>(clock);
        return dorive::sim::openSimulatedPort(clock, simUnit, dorive::sim::Pacing::realistic());
    });

    dorive::DoriveOptions options;
    options.executable = argc > 0 ? argv[0] : "DORive";
    QFileInfo exe(QCoreApplication::applicationFilePath());
    options.settingsPath =
        QFile::encodeName(exe.absolutePath() + "/" + exe.completeBaseName() + ".ini").toStdString();

    dorive::Dorive core(ports, clock, dialogs, options);
    dorive::TForm1 window(core);
    dialogs.setParent(&window);
    // Start-up runs before the window shows (it places the window and may ask for a port).
    core.post([&core] { return core.FormCreate(); });
    window.show();
    return app.exec();
}
