#include "cli/cli_args.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace dorive::cli {

namespace {

struct CommandInfo {
    Command command;
    const char* name;
    const char* help;
};

const CommandInfo kCommands[] = {
    {Command::Read, "read",
     "read [FILE]\n"
     "    Stop the unit's script, read the whole SIM, and write the settings as a PC parameter\n"
     "    file (the file Save on the PC panel writes after a read) to FILE, or to standard\n"
     "    output when FILE is \"-\" or absent. FILE is only replaced once the read is complete.\n"
     "  Example:\n"
     "    dorive-cli --port /dev/ttyUSB0 read unit-17.zep\n"},
    {Command::Write, "write",
     "write FILE\n"
     "    Stop the unit and read it (which gives the SIM capacity), load FILE as PC Load does,\n"
     "    write everything to the SIM as Save does, read it back, and check that the SIM holds\n"
     "    what was written. FILE \"-\" is standard input.\n"
     "  Options:\n"
     "    --changed-only   write only the locations that changed (quick save), when available\n"
     "  Example:\n"
     "    dorive-cli --port /dev/ttyUSB0 write unit-17.zep\n"},
    {Command::Run, "run",
     "run\n"
     "    Let the unit's script run again, as the Run button does, and wait until the unit\n"
     "    reports run mode.\n"
     "  Example:\n"
     "    dorive-cli --port /dev/ttyUSB0 run\n"},
    {Command::Signal, "signal",
     "signal\n"
     "    Print the signal level the unit reports (0-31, 99 when unknown) on standard output.\n"
     "  Example:\n"
     "    dorive-cli --port /dev/ttyUSB0 signal\n"},
    {Command::Upload, "upload",
     "upload LIST\n"
     "    Upload the script and voice files named in the upload list LIST (*.ifo), as the\n"
     "    window's upload does, when this build has the upload.\n"
     "  Example:\n"
     "    dorive-cli --port /dev/ttyUSB0 upload zep.ifo\n"},
};

const CommandInfo* findCommand(const std::string& name) {
    for (const CommandInfo& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

const CommandInfo& info(Command command) {
    for (const CommandInfo& c : kCommands)
        if (c.command == command) return c;
    return kCommands[0];
}

std::optional<double> parseSeconds(const std::string& text) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value) || value <= 0 ||
        value > 86400)
        return std::nullopt;
    return value;
}

}  // namespace

const char* commandName(Command command) {
    return command == Command::None ? "" : info(command).name;
}

std::string usageText() {
    return "Usage: dorive-cli --port PORT [--log FILE] [--timeout SECONDS] COMMAND [ARGS]\n"
           "  read [FILE]      stop the unit's script, read the whole SIM, write the settings as a PC\n"
           "                   parameter file (to FILE, or to standard output when FILE is \"-\" or absent)\n"
           "  write FILE       stop the unit and read it, load FILE as PC Load does, write everything as\n"
           "                   Save does, read back, and check that the SIM holds what was written\n"
           "  run              let the unit's script run again, as Run does, and wait for run mode\n"
           "  signal           print the signal level the unit reports\n"
           "  upload LIST      upload the files of an upload list (when this build has the upload)\n"
           "Run 'dorive-cli --help' or 'dorive-cli COMMAND --help' for more.\n";
}

std::string helpText() {
    return "dorive-cli: back up, restore and service a ZEP door-intercom unit from the command line.\n\n" +
           usageText() +
           "\nOptions:\n"
           "  --port PORT        the unit's serial port: a device path (/dev/ttyUSB0,\n"
           "                     /dev/serial/by-id/..., /dev/pts/N, COM3), \"sim\" for the simulated unit\n"
           "                     with its demo SIM, or \"sim:FILE\" for the simulated unit with the SIM\n"
           "                     image FILE (loaded, and saved back on exit; a missing FILE starts\n"
           "                     from the demo SIM). The simulated unit runs in simulated time.\n"
           "  --log FILE         save the monitor log (as the window's Save Log does) to FILE when the\n"
           "                     command ends, whatever the outcome\n"
           "  --timeout SECONDS  how long the unit may stay silent while an answer is awaited\n"
           "                     (default 20); a unit that keeps sending other lines without the\n"
           "                     awaited report is given three times as long\n"
           "  -h, --help         this help; 'dorive-cli COMMAND --help' for one command\n"
           "\nProgress goes to standard error. On a port that cannot switch DTR (a pseudo-terminal,\n"
           "some adapters) a warning is given once and the command waits for the unit to report its\n"
           "stop, as it does after being stopped by other means.\n"
           "\nExit status:\n"
           "  0  the command did all it says\n"
           "  1  the unit or the port failed (no answer, ERROR, a write that did not hold, a port that\n"
           "     cannot be opened)\n"
           "  2  bad usage, or a file that cannot be read or written\n"
           "\nExamples:\n"
           "  dorive-cli --port /dev/ttyUSB0 read unit-17.zep          back up a unit\n"
           "  dorive-cli --port /dev/ttyUSB0 write unit-17.zep         restore it\n"
           "  dorive-cli --port /dev/ttyUSB0 run                       let its script run again\n"
           "  dorive-cli --port sim:unit.sim --timeout 5 signal        ask the simulated unit\n";
}

std::string commandHelp(Command command) {
    return std::string("Usage: dorive-cli --port PORT [--log FILE] [--timeout SECONDS] ") +
           info(command).help;
}

ParseResult parseArgs(const std::vector<std::string>& argv) {
    CliArgs args;
    std::vector<std::string> positional;
    bool onlyPositional = false;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        std::string a = argv[i];
        if (onlyPositional || a.size() < 2 || a[0] != '-' || a == "-") {
            positional.push_back(a);
            continue;
        }
        if (a == "--") {
            onlyPositional = true;
            continue;
        }
        if (a == "-h" || a == "--help") {
            args.help = true;
            continue;
        }
        if (a == "--changed-only") {
            args.writeMode = WriteMode::ChangedOnly;
            continue;
        }
        std::string name = a, value;
        bool inlineValue = false;
        if (std::size_t eq = a.find('='); a.starts_with("--") && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            inlineValue = true;
        }
        if (name != "--port" && name != "--log" && name != "--timeout")
            return {std::nullopt, "unknown option " + a};
        if (!inlineValue) {
            if (i + 1 >= argv.size()) return {std::nullopt, "option " + name + " needs a value"};
            value = argv[++i];
        }
        if (name == "--port") {
            if (value.empty()) return {std::nullopt, "--port needs a port name"};
            args.port = value;
        } else if (name == "--log") {
            if (value.empty()) return {std::nullopt, "--log needs a file name"};
            args.log = value;
        } else {
            auto seconds = parseSeconds(value);
            if (!seconds)
                return {std::nullopt, "--timeout needs a number of seconds above 0, not \"" + value + "\""};
            args.timeoutSeconds = *seconds;
        }
    }
    if (!positional.empty()) {
        const CommandInfo* c = findCommand(positional[0]);
        if (!c) return {std::nullopt, "unknown command \"" + positional[0] + "\""};
        args.command = c->command;
    }
    if (args.help) return {args, {}};
    if (args.command == Command::None) return {std::nullopt, "no command given"};
    const std::string cmd = commandName(args.command);
    const std::size_t operands = positional.size() - 1;
    switch (args.command) {
        case Command::Read:
            if (operands > 1) return {std::nullopt, "read takes at most one FILE"};
            args.file = operands == 1 ? positional[1] : "-";
            break;
        case Command::Write:
        case Command::Upload:
            if (operands != 1)
                return {std::nullopt,
                        cmd + (args.command == Command::Write ? " needs one FILE" : " needs one LIST")};
            args.file = positional[1];
            break;
        default:
            if (operands != 0) return {std::nullopt, cmd + " takes no arguments"};
            break;
    }
    if (args.writeMode == WriteMode::ChangedOnly && args.command != Command::Write)
        return {std::nullopt, "--changed-only belongs to write"};
    if (args.port.empty()) return {std::nullopt, "no port given (--port PORT)"};
    return {args, {}};
}

}  // namespace dorive::cli
