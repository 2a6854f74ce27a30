#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zent {

struct CommandLine {
    std::vector<std::string> files; // absolute, in the system's bytes
    // Set when the program is to end at once (help, version, a wrong option) with this code.
    std::optional<int> exitCode;
    std::string output; // what to print before ending; to stderr when exitCode is not 0
};

// True when the arguments ask only for text (help or version), which needs no display.
bool AsksOnlyForText(int argc, const char* const* argv);
// True for --help-all: Qt's own options are listed as well, which takes the widgets' application
// object; ParseCommandLine then prints the help and ends the program.
bool AsksForQtOptions(int argc, const char* const* argv);

// Reads the arguments: options through QCommandLineParser, file names from argv's own bytes
// so that a name that is not valid text still names its file. Relative names are taken from
// currentDir. Needs a QCoreApplication.
CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& currentDir);

} // namespace zent
