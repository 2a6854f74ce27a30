#pragma once

#include "convert/OutputFile.h"
#include "convert/SampleFormat.h"
#include "framework/Errors.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zent::cli {

inline constexpr const char* kProgramName = "zent-cli";
// The argument that stands for the paths read from standard input.
inline constexpr const char* kStdinArgument = "-";

// Part K of N of the inputs: those whose index in byte order, from 0, is K-1 modulo N.
struct Shard {
    unsigned Index = 0; // K-1
    unsigned Count = 1; // N
};

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
    bool FormatChosen = false; // else FLAC keeps its own depth
    std::uint32_t Rate = 0;    // Hz; 0 keeps the source's rate
    int Channels = 0;          // 1 or 2; 0 keeps the source's channels
    bool Tags = false;         // the source's tags in an INFO list after the data
    // -o -: the one input's WAV goes to standard output.
    bool ToStandardOutput = false;
    // With -r, every file goes straight into the output directory instead of its folder.
    bool Flat = false;
    // Every input keeps its folder below this one, below the output directory.
    std::string RelativeTo;
    std::optional<Shard> Part;
    // --shard auto: Part comes from the scheduler's array task.
    bool PartFromScheduler = false;
    // JSON lines of the run, those never started and a summary.
    std::string Report;
};

// A command line that cannot be run; the message names the fault.
class EUsageError : public Error {
public:
    using Error::Error;
};

// args without the program name. Throws EUsageError.
CliOptions ParseCliOptions(const std::vector<std::string>& args, unsigned defaultJobs);

// The part of a Slurm or Grid Engine array task, from the variables variable reads (null when
// unset). Throws EUsageError, naming the variables, outside such a task.
Shard ShardOfArrayTask(const std::function<const char*(const char*)>& variable);

std::string HelpText();
std::string VersionText();
// The line that follows every usage error.
std::string UsageHint();

} // namespace zent::cli
