#pragma once

#include "framework/Errors.h"

#include <string>
#include <vector>

namespace zent::cli {

inline constexpr const char* kProgramName = "zent-cli";
// The argument that stands for the paths read from standard input.
inline constexpr const char* kStdinArgument = "-";

// What happens to a WAV file that is there before the run.
enum class ExistingPolicy { Overwrite, Skip, Rename };

struct CliOptions {
    std::string OutputDir = ".";
    bool MakeOutputDir = false;
    unsigned Jobs = 1;
    bool Recursive = false;
    bool NulSeparated = false;
    ExistingPolicy Existing = ExistingPolicy::Overwrite;
    bool Quiet = false;
    bool Json = false;
    bool Help = false;
    bool Version = false;
    // Paths, directories and "-", in the order given; bytes as the system gave them.
    std::vector<std::string> Inputs;
};

// A command line that cannot be run; the message names the fault.
class EUsageError : public Error {
public:
    using Error::Error;
};

// args without the program name. Throws EUsageError.
CliOptions ParseCliOptions(const std::vector<std::string>& args, unsigned defaultJobs);

std::string HelpText();
std::string VersionText();
// The line that follows every usage error.
std::string UsageHint();

} // namespace zent::cli
