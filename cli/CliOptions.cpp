#include "cli/CliOptions.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#ifndef ZENT_VERSION
#define ZENT_VERSION "1.0"
#endif

namespace zent::cli {

namespace {

// More threads than this only cost memory (one decode buffer each).
constexpr unsigned kMaxJobs = 1024;

[[noreturn]] void Fail(const std::string& message) {
    throw EUsageError(message);
}

unsigned ParseJobs(const std::string& text) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 1 || value > kMaxJobs)
        Fail("invalid number of jobs '" + text + "': give a whole number from 1 to " +
             std::to_string(kMaxJobs));
    return value;
}

ExistingPolicy ParseExisting(const std::string& text) {
    if (text == "overwrite")
        return ExistingPolicy::Overwrite;
    if (text == "skip")
        return ExistingPolicy::Skip;
    if (text == "rename")
        return ExistingPolicy::Rename;
    Fail("invalid value '" + text + "' for --existing: give overwrite, skip or rename");
}

// Options that take a value, by their long name.
void ApplyValue(CliOptions& options, std::string_view name, const std::string& value) {
    if (name == "output-dir") {
        if (value.empty())
            Fail("the output directory must not be empty");
        options.OutputDir = value;
    } else if (name == "jobs") {
        options.Jobs = ParseJobs(value);
    } else {
        options.Existing = ParseExisting(value);
    }
}

// Flags, by their long name; false when there is no such flag.
bool ApplyFlag(CliOptions& options, std::string_view name) {
    if (name == "recursive")
        options.Recursive = true;
    else if (name == "null")
        options.NulSeparated = true;
    else if (name == "quiet")
        options.Quiet = true;
    else if (name == "json")
        options.Json = true;
    else if (name == "mkdir")
        options.MakeOutputDir = true;
    else if (name == "help")
        options.Help = true;
    else if (name == "version")
        options.Version = true;
    else
        return false;
    return true;
}

bool TakesValue(std::string_view name) {
    return name == "output-dir" || name == "jobs" || name == "existing";
}

std::optional<std::string_view> LongNameOf(char shortName) {
    switch (shortName) {
    case 'o':
        return "output-dir";
    case 'j':
        return "jobs";
    case 'r':
        return "recursive";
    case '0':
        return "null";
    case 'q':
        return "quiet";
    case 'h':
        return "help";
    default:
        return std::nullopt;
    }
}

} // namespace

CliOptions ParseCliOptions(const std::vector<std::string>& args, unsigned defaultJobs) {
    CliOptions options;
    options.Jobs = std::max(1u, std::min(defaultJobs, kMaxJobs));
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == kStdinArgument || arg.size() < 2 || arg[0] != '-') {
            options.Inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const auto nextValue = [&](std::string_view shown) -> const std::string& {
            if (i + 1 >= args.size())
                Fail("option '" + std::string(shown) + "' needs a value");
            return args[++i];
        };
        if (arg.starts_with("--")) {
            const std::size_t equals = arg.find('=');
            const std::string name =
                arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            if (TakesValue(name)) {
                ApplyValue(options, name,
                           equals == std::string::npos ? nextValue(arg) : arg.substr(equals + 1));
            } else if (equals != std::string::npos && ApplyFlag(options, name)) {
                Fail("option '--" + name + "' takes no value");
            } else if (!ApplyFlag(options, name)) {
                Fail("unknown option '" + arg + "'");
            }
            continue;
        }
        // Short options, bundled as in -rq0 or -j4 -ofoo.
        for (std::size_t k = 1; k < arg.size(); ++k) {
            const std::optional<std::string_view> name = LongNameOf(arg[k]);
            if (!name)
                Fail("unknown option '-" + std::string(1, arg[k]) + "'");
            if (TakesValue(*name)) {
                const std::string shown = "-" + std::string(1, arg[k]);
                ApplyValue(options, *name,
                           k + 1 < arg.size() ? arg.substr(k + 1) : nextValue(shown));
                break;
            }
            ApplyFlag(options, *name);
        }
    }
    if (!options.Help && !options.Version && options.Inputs.empty())
        Fail("no files given");
    return options;
}

std::string HelpText() {
    return R"(Usage: zent-cli [OPTIONS] FILE|DIR...
Converts MP3, Ogg Vorbis and Opus files into PCM WAV files (44-byte header, 16-bit).

  -o, --output-dir DIR   write the WAV files into DIR (default: the current directory)
      --mkdir            create the output directory when it does not exist
  -j, --jobs N           convert N files at once (default: the number of processors)
  -r, --recursive        convert the .mp3, .ogg and .opus files found under each directory
  -                      read paths from standard input, one per line
  -0, --null             paths on standard input end with a NUL byte (find -print0)
      --existing MODE    a WAV file that is already there: overwrite (default), skip
                         (leave it, report the source as skipped) or rename (write
                         "name (2).wav" instead)
  -q, --quiet            no progress; failures are still reported
      --json             one JSON object per file on standard output
  -h, --help             show this help
      --version          show the version

A file takes the name of its source with ".wav"; when two sources of one run share a
name, the later ones become "name (2).wav", "name (3).wav", in the order given.

Exit status: 0 when every file was converted or skipped, 1 when any failed,
2 for a usage error, 130 when stopped by Ctrl+C (unfinished files are removed).
)";
}

std::string VersionText() {
    return std::string(kProgramName) + " " + ZENT_VERSION + "\n";
}

std::string UsageHint() {
    return "Try '" + std::string(kProgramName) + " --help' for more information.";
}

} // namespace zent::cli
