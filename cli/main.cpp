// dorive-cli: the command-line front end. It holds the same core as the window, with ports of
// its own: the port named on the command line, dialogs answered from the command line, and
// a runner that waits in real time on Qt's loop or in simulated time for the simulated unit.
#include <unistd.h>

#include <QCoreApplication>
#include <QString>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/dorive.h"
#include "cli/cli_args.h"
#include "cli/cli_ports.h"
#include "cli/qt_runner.h"
#include "cli/runner.h"
#include "cli/session.h"
#include "cli/watched_port.h"
#include "qtports/qt_serial_port.h"
#include "sim/sim_card.h"
#include "sim/sim_port.h"
#include "sim/sim_unit.h"
#include "upload/monitor_log.h"

using namespace dorive;
using namespace dorive::cli;

int main(int argc, char* argv[]) {
    std::vector<std::string> words(argv + 1, argv + argc);
    ParseResult parsed = parseArgs(words);
    if (!parsed.args) {
        std::cerr << "dorive-cli: " << parsed.error << "\n\n" << usageText();
        return kExitUsage;
    }
    const CliArgs& args = *parsed.args;
    if (args.help) {
        std::cout << (args.command == Command::None ? helpText() : commandHelp(args.command));
        return kExitOk;
    }
    // What this build cannot do is said before the unit is touched.
    std::optional<std::string> unavailable =
        args.command == Command::Upload ? uploadUnavailable() : writeModeUnavailable(args.writeMode);
    if (unavailable) {
        std::cerr << "dorive-cli: " << *unavailable << '\n';
        return kExitUsage;
    }

    const bool simulated = args.port == "sim" || args.port.starts_with("sim:");
    const std::string image = args.port.starts_with("sim:") ? args.port.substr(4) : std::string();
    if (args.port == "sim:") {
        std::cerr << "dorive-cli: sim: needs the file name of a SIM image (sim:FILE)\n\n" << usageText();
        return kExitUsage;
    }

    std::optional<QCoreApplication> app;
    std::unique_ptr<Runner> runner;
    std::shared_ptr<sim::SimUnit> unit;
    if (simulated) {
        auto time = std::make_unique<SimulatedTime>();
        sim::SimCard card = sim::SimCard::withDefaultContent();
        if (!image.empty()) {
            try {
                if (diskFiles().exists(image))
                    card = sim::SimCard::loadImage(image);
                else
                    std::cerr << "dorive-cli: the SIM image " << image
                              << " does not exist yet: the simulated unit starts from the demo SIM, saved "
                                 "there on exit.\n";
            } catch (const sim::SimImageError& e) {
                std::cerr << "dorive-cli: " << e.what() << '\n';
                return kExitUsage;
            }
        }
        unit = std::make_shared<sim::SimUnit>(*time, sim::SimOptions{}, std::move(card));
        runner = std::move(time);
    } else {
        app.emplace(argc, argv);
        runner = std::make_unique<QtRunner>();
    }
    Clock& clock = runner->clock();
    WatchedProvider provider(
        simulated ? std::string(kSimulatedPortName) : args.port,
        [&]() -> std::unique_ptr<SerialPort> {
            if (simulated) return sim::openSimulatedPort(clock, unit, sim::Pacing::instant());
            return std::make_unique<QtSerialPort>(QString::fromStdString(args.port));
        },
        clock);
    CliDialogs dialogs(std::cerr);
    CliFiles files;
    DoriveOptions options;
    options.executable = "DORive";
    options.saveReplyTimeoutMs = int(std::max(1.0, args.timeoutSeconds * 1000));
    options.files = &files;

    int exit = kExitOk;
    {
        Dorive core(provider, clock, dialogs, options);
        Session session(core, *runner, dialogs, provider.watch(),
                        {std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1}, args.timeoutSeconds);
        exit = session.execute(args);
        if (exit == kExitOk && files.standardOutput()) std::cout << *files.standardOutput() << std::flush;
        core.FormClose();
        if (!args.log.empty()) {
            try {
                writeMonitorLog(files, args.log, core.form().Monitor.lines());
            } catch (const FileError& e) {
                std::cerr << "dorive-cli: " << e.what() << " The monitor log was not saved.\n";
                if (exit == kExitOk) exit = kExitUsage;
            }
        }
    }
    if (unit && !image.empty()) {
        try {
            diskFiles().write(image, unit->sim().toImage());
        } catch (const FileError& e) {
            std::cerr << "dorive-cli: " << e.what() << '\n';
            if (exit == kExitOk) exit = kExitUsage;
        }
    }
    return exit;
}
