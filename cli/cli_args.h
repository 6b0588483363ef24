#pragma once
// The command line of dorive-cli: options, commands, their help texts and how they are parsed.
#include <optional>
#include <string>
#include <vector>

namespace dorive::cli {

enum class Command { None, Read, Write, Run, Signal, Upload };

// How a write reaches the SIM: every location, or only those that changed since the read.
enum class WriteMode { All, ChangedOnly };

struct CliArgs {
    std::string port;
    std::string log;             // empty: no log
    double timeoutSeconds = 20;  // silence of the unit while an answer is awaited
    Command command = Command::None;
    std::string file;  // read: output ("-" or empty for standard output); write, upload: input
    WriteMode writeMode = WriteMode::All;
    bool help = false;  // --help: the general help, or the command's when one is named
};

struct ParseResult {
    std::optional<CliArgs> args;  // set when the command line is usable
    std::string error;            // otherwise what is wrong with it
};

ParseResult parseArgs(const std::vector<std::string>& argv);

// The usage block, as printed by --help and after a usage error.
std::string usageText();
// The whole help: usage, options, exit status and examples.
std::string helpText();
// The help of one command, with an example.
std::string commandHelp(Command command);
const char* commandName(Command command);

}  // namespace dorive::cli
