#include "cli/CliOptions.h"

#include "cli/CliMain.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace zent::cli {
namespace {

constexpr unsigned kProcessors = 3;

struct GoodCase {
    std::vector<std::string> Args;
    std::function<bool(const CliOptions&)> Holds;
};

TEST(CliOptions, EachOptionInEveryForm) {
    const std::vector<GoodCase> cases = {
        {{"a.mp3"},
         [](const CliOptions& o) {
             return o.OutputDir == "." && o.Jobs == kProcessors && !o.Recursive && !o.Quiet &&
                    !o.Json && !o.MakeOutputDir && o.Existing == ExistingTarget::Replace;
         }},
        {{"-o", "out", "a"},
         [](const CliOptions& o) {
             return o.OutputDir == "out";
         }},
        {{"-oout", "a"},
         [](const CliOptions& o) {
             return o.OutputDir == "out";
         }},
        {{"--output-dir", "o\xff", "a"},
         [](const CliOptions& o) {
             return o.OutputDir == "o\xff";
         }},
        {{"--output-dir=x=y", "a"},
         [](const CliOptions& o) {
             return o.OutputDir == "x=y";
         }},
        {{"-j", "4", "a"},
         [](const CliOptions& o) {
             return o.Jobs == 4;
         }},
        {{"-j7", "a"},
         [](const CliOptions& o) {
             return o.Jobs == 7;
         }},
        {{"--jobs=1", "a"},
         [](const CliOptions& o) {
             return o.Jobs == 1;
         }},
        {{"-j1024", "a"},
         [](const CliOptions& o) {
             return o.Jobs == 1024;
         }},
        {{"-rq0", "a"},
         [](const CliOptions& o) {
             return o.Recursive && o.Quiet && o.NulSeparated;
         }},
        {{"--recursive", "--quiet", "--null", "--json", "--mkdir", "a"},
         [](const CliOptions& o) {
             return o.Recursive && o.Quiet && o.NulSeparated && o.Json && o.MakeOutputDir;
         }},
        {{"--existing", "skip", "a"},
         [](const CliOptions& o) {
             return o.Existing == ExistingTarget::Keep;
         }},
        {{"--existing=rename", "a"},
         [](const CliOptions& o) {
             return o.Existing == ExistingTarget::Numbered;
         }},
        {{"--existing=overwrite", "a"},
         [](const CliOptions& o) {
             return o.Existing == ExistingTarget::Replace;
         }},
        {{"-h"},
         [](const CliOptions& o) {
             return o.Help;
         }},
        {{"--version"},
         [](const CliOptions& o) {
             return o.Version;
         }},
        // Inputs keep their order and bytes; "-" is an input; after "--" everything is.
        {{"b\n\xfe", "-", "--", "-r", "--json"},
         [](const CliOptions& o) {
             return o.Inputs == std::vector<std::string>{"b\n\xfe", "-", "-r", "--json"} &&
                    !o.Recursive && !o.Json;
         }},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Args));
        EXPECT_TRUE(c.Holds(ParseCliOptions(c.Args, kProcessors)));
    }
}

TEST(CliOptions, BadCommandLinesNameTheFault) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no files given"},
        {{"-q"}, "no files given"},
        {{"-j", "0", "a"}, "invalid number of jobs '0': give a whole number from 1 to 1024"},
        {{"-j", "x", "a"}, "invalid number of jobs 'x'"},
        {{"-j", "-2", "a"}, "invalid number of jobs '-2'"},
        {{"--jobs=4k", "a"}, "invalid number of jobs '4k'"},
        {{"-j2000", "a"}, "invalid number of jobs '2000'"},
        {{"a", "-j"}, "option '-j' needs a value"},
        {{"a", "--output-dir"}, "option '--output-dir' needs a value"},
        {{"-o", "", "a"}, "the output directory must not be empty"},
        {{"--existing", "keep", "a"},
         "invalid value 'keep' for --existing: give overwrite, skip or rename"},
        {{"--quiet=yes", "a"}, "option '--quiet' takes no value"},
        {{"--colour", "a"}, "unknown option '--colour'"},
        {{"-x", "a"}, "unknown option '-x'"},
        {{"-rx", "a"}, "unknown option '-x'"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        try {
            ParseCliOptions(args, kProcessors);
            ADD_FAILURE() << "accepted";
        } catch (const EUsageError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, message.size()), message);
        }
    }
}

TEST(CliOptions, AudioOptions) {
    const std::vector<GoodCase> cases = {
        {{"a"},
         [](const CliOptions& o) {
             return o.Format == SampleFormat::S16 && o.Rate == 0 && o.Channels == 0 && !o.Tags &&
                    !o.Flat && !o.ToStandardOutput;
         }},
        {{"--format", "s24", "--rate", "16000", "--channels", "1", "a"},
         [](const CliOptions& o) {
             return o.Format == SampleFormat::S24 && o.Rate == 16000 && o.Channels == 1;
         }},
        {{"--format=f32", "--rate=768000", "--channels=2", "--flat", "--tags", "-r", "a"},
         [](const CliOptions& o) {
             return o.Format == SampleFormat::F32 && o.Rate == 768000 && o.Channels == 2 &&
                    o.Flat && o.Tags;
         }},
        {{"-o", "-", "a"},
         [](const CliOptions& o) {
             return o.ToStandardOutput && o.Inputs == std::vector<std::string>{"a"};
         }},
        {{"-o-", "-q", "a"},
         [](const CliOptions& o) {
             return o.ToStandardOutput;
         }},
        {{"-o", "./-", "a", "b"},
         [](const CliOptions& o) {
             return !o.ToStandardOutput && o.OutputDir == "./-";
         }},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Args));
        EXPECT_TRUE(c.Holds(ParseCliOptions(c.Args, kProcessors)));
    }
}

TEST(CliOptions, BadAudioOptionsAreUsageErrors) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--format", "s8", "a"}, "invalid format 's8': give u8, s16, s24, s32 or f32"},
        {{"--format=S16", "a"}, "invalid format 'S16'"},
        {{"--rate", "999", "a"},
         "invalid rate '999': give a whole number of Hz from 1000 to 768000"},
        {{"--rate", "768001", "a"}, "invalid rate '768001'"},
        {{"--rate=44.1k", "a"}, "invalid rate '44.1k'"},
        {{"--channels", "6", "a"}, "invalid number of channels '6': give 1 or 2"},
        {{"--channels=", "a"}, "invalid number of channels ''"},
        {{"a", "--rate"}, "option '--rate' needs a value"},
        {{"--tags=yes", "a"}, "option '--tags' takes no value"},
        {{"-o", "-", "a", "b"},
         "-o - writes one WAV file to standard output: give exactly one file"},
        {{"-o", "-", "-"}, "-o - writes one WAV file"},
        {{"-o", "-", "--json", "a"}, "--json cannot go with -o -"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        try {
            ParseCliOptions(args, kProcessors);
            ADD_FAILURE() << "accepted";
        } catch (const EUsageError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, message.size()), message);
        }
    }
}

TEST(CliOptions, StandardOutputTakesOneFileAlsoFromAFolder) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zent-cli-pipe-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (const char* name : {"a.mp3", "b.mp3"})
        std::ofstream(dir / name) << "x";
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    std::atomic<bool> stop = false;
    const std::atomic<int> signal = 0;
    EXPECT_EQ(RunCli({"-r", "-o", "-", dir.native()}, {in, out, err, false, 1, stop, signal}),
              kExitUsage);
    EXPECT_EQ(err.str(), "zent-cli: -o - writes one WAV file to standard output: give exactly "
                         "one file\n" +
                             UsageHint() + "\n");
    EXPECT_EQ(out.str(), "");
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace zent::cli
