#pragma once

#include "convert/OutputFile.h"
#include "convert/SampleFormat.h"
#include "framework/Errors.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zent::cli {

inline constexpr const char* kProgramName = "zent-cli";
// The argument that stands for the paths read from standard input.
inline constexpr const char* kStdinArgument = "-";

struct CliOptions {
    std::string OutputDir = ".";
    bool MakeOutputDir = false;
    unsigned Jobs = 1;
    bool Recursive = false;
    bool NulSeparated = false;
    // What happens to a WAV file that is there before the run (--existing overwrite, skip,
    // rename), and to its name taken meanwhile by another program.
    ExistingTarget Existing = ExistingTarget::Replace;
    bool Quiet = false;
    bool Json = false;
    bool Help = false;
    bool Version = false;
    // Paths, directories and "-", in the order given; bytes as the system gave them.
    std::vector<std::string> Inputs;

    // What the WAV files hold; the defaults write the window's bytes.
    SampleFormat Format = SampleFormat::S16;
    std::uint32_t Rate = 0; // Hz; 0 keeps the source's rate
    int Channels = 0;       // 1 or 2; 0 keeps the source's channels
    bool Tags = false;      // the source's tags in an INFO list after the data
    // -o -: the one input's WAV goes to standard output.
    bool ToStandardOutput = false;
    // With -r, every file goes straight into the output directory instead of its folder.
    bool Flat = false;
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
