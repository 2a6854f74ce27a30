#include "cli/CliOptions.h"

#include <algorithm>
#include <charconv>
#include <limits>
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

ExistingTarget ParseExisting(const std::string& text) {
    if (text == "overwrite")
        return ExistingTarget::Replace;
    if (text == "skip")
        return ExistingTarget::Keep;
    if (text == "rename")
        return ExistingTarget::Numbered;
    Fail("invalid value '" + text + "' for --existing: give overwrite, skip or rename");
}

// "K/N" with 1 <= K <= N, or "auto".
void ApplyShard(CliOptions& options, const std::string& text) {
    if (text == "auto") {
        options.PartFromScheduler = true;
        options.Part.reset();
        return;
    }
    const std::size_t slash = text.find('/');
    unsigned part = 0;
    unsigned count = 0;
    const auto number = [](std::string_view digits, unsigned& value) {
        const char* end = digits.data() + digits.size();
        const auto [stop, error] = std::from_chars(digits.data(), end, value);
        return !digits.empty() && error == std::errc() && stop == end;
    };
    const std::string_view view(text);
    if (slash == std::string::npos || !number(view.substr(0, slash), part) ||
        !number(view.substr(slash + 1), count) || part < 1 || part > count)
        Fail("invalid shard '" + text + "': give K/N with 1 <= K <= N, or auto");
    options.Part = Shard{part - 1, count};
    options.PartFromScheduler = false;
}

// The sample rates a WAV file is written at.
constexpr std::uint32_t kMinRate = 1000;
constexpr std::uint32_t kMaxRate = 768000;
// The output directory that stands for standard output.
constexpr std::string_view kStandardOutput = "-";

// --format, --rate and --channels; false for other options.
bool ApplyAudioValue(CliOptions& options, std::string_view name, const std::string& value) {
    if (name == "format") {
        const std::optional<SampleFormat> format = ParseSampleFormat(value);
        if (!format)
            Fail("invalid format '" + value + "': give u8, s16, s24, s32 or f32");
        options.Format = *format;
        options.FormatChosen = true;
    } else if (name == "rate") {
        std::uint32_t rate = 0;
        const char* end = value.data() + value.size();
        const auto [stop, error] = std::from_chars(value.data(), end, rate);
        if (value.empty() || error != std::errc() || stop != end || rate < kMinRate ||
            rate > kMaxRate)
            Fail("invalid rate '" + value + "': give a whole number of Hz from " +
                 std::to_string(kMinRate) + " to " + std::to_string(kMaxRate));
        options.Rate = rate;
    } else if (name == "channels") {
        if (value != "1" && value != "2")
            Fail("invalid number of channels '" + value + "': give 1 or 2");
        options.Channels = value[0] - '0';
    } else {
        return false;
    }
    return true;
}

// Combinations that cannot work together.
void CheckAudioOptions(CliOptions& options) {
    options.ToStandardOutput = options.OutputDir == kStandardOutput;
    if (!options.ToStandardOutput)
        return;
    if (options.Inputs.size() != 1 || options.Inputs[0] == kStdinArgument)
        Fail("-o - writes one WAV file to standard output: give exactly one file");
    if (options.Json)
        Fail("--json cannot go with -o -: both write to standard output");
    if (!options.RelativeTo.empty())
        Fail("--relative-to cannot go with -o -: there is no folder to keep");
}

// Options that take a value, by their long name.
void ApplyValue(CliOptions& options, std::string_view name, const std::string& value) {
    if (ApplyAudioValue(options, name, value))
        return;
    if (name == "output-dir") {
        if (value.empty())
            Fail("the output directory must not be empty");
        options.OutputDir = value;
    } else if (name == "jobs") {
        options.Jobs = ParseJobs(value);
    } else if (name == "relative-to") {
        if (value.empty())
            Fail("the folder of --relative-to must not be empty");
        options.RelativeTo = value;
    } else if (name == "shard") {
        ApplyShard(options, value);
    } else if (name == "report") {
        if (value.empty())
            Fail("the report file must not be empty");
        options.Report = value;
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
    else if (name == "flat")
        options.Flat = true;
    else if (name == "tags")
        options.Tags = true;
    else
        return false;
    return true;
}

bool TakesValue(std::string_view name) {
    return name == "output-dir" || name == "jobs" || name == "existing" || name == "format" ||
           name == "rate" || name == "channels" || name == "relative-to" || name == "shard" ||
           name == "report";
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
    if (!options.Help && !options.Version)
        CheckAudioOptions(options);
    if (options.Flat && !options.RelativeTo.empty())
        Fail("--flat cannot go with --relative-to: one flattens the folders, the other keeps them");
    return options;
}

Shard ShardOfArrayTask(const std::function<const char*(const char*)>& variable) {
    const auto number = [&](const char* name, long long fallback) -> std::optional<long long> {
        const char* text = variable(name);
        if (text == nullptr || *text == '\0')
            return fallback >= 0 ? std::optional<long long>(fallback) : std::nullopt;
        long long value = 0;
        const std::string_view digits(text);
        const auto [stop, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || stop != digits.data() + digits.size())
            return std::nullopt;
        return value;
    };
    // Index from the first task's id in steps, out of count tasks.
    const auto shard = [](long long id, long long first, long long step,
                          long long count) -> std::optional<Shard> {
        if (step < 1 || count < 1 || id < first || (id - first) % step != 0 ||
            (id - first) / step >= count || count > std::numeric_limits<unsigned>::max())
            return std::nullopt;
        return Shard{static_cast<unsigned>((id - first) / step), static_cast<unsigned>(count)};
    };
    if (const auto id = number("SLURM_ARRAY_TASK_ID", -1)) {
        const auto first = number("SLURM_ARRAY_TASK_MIN", -1);
        const auto count = number("SLURM_ARRAY_TASK_COUNT", -1);
        const auto step = number("SLURM_ARRAY_TASK_STEP", 1);
        if (first && count && step)
            if (const auto part = shard(*id, *first, *step, *count))
                return *part;
        Fail("--shard auto: SLURM_ARRAY_TASK_ID, SLURM_ARRAY_TASK_MIN, SLURM_ARRAY_TASK_COUNT "
             "and SLURM_ARRAY_TASK_STEP do not describe a task of an array");
    }
    if (const auto id = number("SGE_TASK_ID", -1)) {
        const auto first = number("SGE_TASK_FIRST", -1);
        const auto last = number("SGE_TASK_LAST", -1);
        const auto step = number("SGE_TASK_STEPSIZE", 1);
        if (first && last && step && *step > 0 && *last >= *first)
            if (const auto part = shard(*id, *first, *step, (*last - *first) / *step + 1))
                return *part;
        Fail("--shard auto: SGE_TASK_ID, SGE_TASK_FIRST, SGE_TASK_LAST and SGE_TASK_STEPSIZE "
             "do not describe a task of an array");
    }
    Fail("--shard auto needs an array task: neither SLURM_ARRAY_TASK_ID (with "
         "SLURM_ARRAY_TASK_MIN and SLURM_ARRAY_TASK_COUNT) nor SGE_TASK_ID (with SGE_TASK_FIRST "
         "and SGE_TASK_LAST) is set");
}

std::string HelpText() {
    return R"(Usage: zent-cli [OPTIONS] FILE|DIR...
Converts MP3, Ogg Vorbis and Opus files into PCM WAV files (by default 16-bit, 44-byte header;
RF64, which ffmpeg, SoX and the common audio editors read, for samples past 4 GiB).

  -o, --output-dir DIR   write the WAV files into DIR (default: the current directory)
      --mkdir            create the output directory when it does not exist
  -j, --jobs N           convert N files at once (default: the processors this process may
                         use: its CPU affinity, lowered by a cgroup CPU quota)
  -r, --recursive        convert the .mp3, .ogg, .opus, .flac and .oga files found under
                         each directory, each into the same folder below the output
                         directory
  -                      read paths from standard input, one per line
  -0, --null             paths on standard input end with a NUL byte (find -print0)
      --relative-to DIR  every input below DIR (named, listed or found by -r) goes into
                         its folder below DIR, below the output directory; an input
                         outside DIR fails
      --shard K/N        convert part K of N: of all inputs sorted by their bytes, those
                         whose index (from 0) modulo N is K-1; N processes with one list
                         write the tree of one run
      --shard auto       K and N from a Slurm or Grid Engine array task
                         (SLURM_ARRAY_TASK_ID/_MIN/_COUNT/_STEP, SGE_TASK_ID/_FIRST/_LAST/
                         _STEPSIZE)
      --report FILE      write each file's JSON record (as --json) to FILE as the run goes,
                         then one "not started" record for each file never begun and a
                         summary record; reports of many processes join with cat
      --existing MODE    a WAV file that is already there: overwrite (default), skip
                         (leave it, report the source as skipped) or rename (write
                         "name (2).wav" instead)
  -q, --quiet            no progress; failures are still reported
      --json             one JSON object per file on standard output
      --format FMT       samples as u8, s16, s24, s32 or f32 (32-bit float); by default
                         s16, and a FLAC file's own depth (12 and 20 bits in 16 and 24);
                         24 and 32 bits and float come from the decoder's full precision
      --rate HZ          resample to HZ (libsoxr, high quality), to the exact length;
                         u8 and s16 from a resampled or mixed signal are dithered (TPDF)
      --channels N       1 (mono) or 2 (stereo): mono is copied to both sides, stereo
                         averaged; 5.1 and other layouts are mixed with the ITU levels
                         (centre and surrounds at -3 dB, LFE left out), the levels scaled
                         down together where they add up to more than full scale, so
                         that the mix never clips
  -o -                   write the WAV file of one input to standard output (a pipe),
                         with the exact sizes in its header (past 4 GiB, an RF64 header
                         that claims the largest size); messages go to standard error
      --flat             with -r, put every file straight into the output directory
                         instead of keeping the folder tree below it
      --tags             copy title, artist, album, track, date, genre and comment into
                         an INFO list after the samples
  -h, --help             show this help
      --version          show the version
  --                     what follows are files, also when a name starts with '-'

A file takes the name of its source with ".wav"; when two sources of one run share a
name in one folder, the later ones become "name (2).wav", "name (3).wav", in the order
given. A file
has no name until it is finished. Unless quiet, a line at the end sums up the run.
Without any input file (an empty list, a folder without audio files) zent-cli says
"no input files" and exits with 0.

Exit status: 0 when every file was converted or skipped, 1 when any failed or the
output could not be written, 2 for a usage error, 130 when stopped by Ctrl+C, 143 by
SIGTERM, 129 by SIGHUP (unfinished files leave nothing behind).
)";
}

std::string VersionText() {
    return std::string(kProgramName) + " " + ZENT_VERSION + "\n";
}

std::string UsageHint() {
    return "Try '" + std::string(kProgramName) + " --help' for more information.";
}

} // namespace zent::cli
