#include "cli/CliOptions.h"

#include "cli/CliMain.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
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
        {{"--relative-to", ".", "--shard", "3/4", "--report=r.jsonl", "-"},
         [](const CliOptions& o) {
             return o.RelativeTo == "." && o.Part && o.Part->Index == 2 && o.Part->Count == 4 &&
                    !o.PartFromScheduler && o.Report == "r.jsonl";
         }},
        {{"--shard=1/1", "--shard", "auto", "a"},
         [](const CliOptions& o) {
             return !o.Part && o.PartFromScheduler;
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
        {{"--shard", "0/4", "a"}, "invalid shard '0/4': give K/N with 1 <= K <= N, or auto"},
        {{"--shard", "5/4", "a"}, "invalid shard '5/4'"},
        {{"--shard", "1/", "a"}, "invalid shard '1/'"},
        {{"--shard", "all", "a"}, "invalid shard 'all'"},
        {{"--relative-to", "", "a"}, "the folder of --relative-to must not be empty"},
        {{"--relative-to", ".", "--flat", "a"}, "--flat cannot go with --relative-to"},
        {{"--relative-to", ".", "-o", "-", "a"}, "--relative-to cannot go with -o -"},
        {{"--report", "", "a"}, "the report file must not be empty"},
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

TEST(CliOptions, ShardAutoTakesTheArrayTaskOfSlurmOrGridEngine) {
    using Variables = std::map<std::string, std::string>;
    const struct {
        Variables Set;
        unsigned Part; // K; 0 for a usage error
        unsigned Count;
    } cases[] = {
        {{{"SLURM_ARRAY_TASK_ID", "7"},
          {"SLURM_ARRAY_TASK_MIN", "5"},
          {"SLURM_ARRAY_TASK_COUNT", "4"}},
         3,
         4},
        {{{"SLURM_ARRAY_TASK_ID", "0"},
          {"SLURM_ARRAY_TASK_MIN", "0"},
          {"SLURM_ARRAY_TASK_COUNT", "1"}},
         1,
         1},
        {{{"SLURM_ARRAY_TASK_ID", "6"},
          {"SLURM_ARRAY_TASK_MIN", "2"},
          {"SLURM_ARRAY_TASK_COUNT", "3"},
          {"SLURM_ARRAY_TASK_STEP", "2"}},
         3,
         3},
        {{{"SGE_TASK_ID", "4"}, {"SGE_TASK_FIRST", "1"}, {"SGE_TASK_LAST", "10"}}, 4, 10},
        {{{"SGE_TASK_ID", "5"},
          {"SGE_TASK_FIRST", "1"},
          {"SGE_TASK_LAST", "9"},
          {"SGE_TASK_STEPSIZE", "2"}},
         3,
         5},
        {{{"SLURM_ARRAY_TASK_ID", "9"},
          {"SLURM_ARRAY_TASK_MIN", "5"},
          {"SLURM_ARRAY_TASK_COUNT", "4"}},
         0,
         0},
        {{{"SLURM_ARRAY_TASK_ID", "7"}}, 0, 0},
        {{{"SGE_TASK_ID", "undefined"}}, 0, 0},
        {{}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Set));
        const auto variable = [&](const char* name) -> const char* {
            const auto found = c.Set.find(name);
            return found == c.Set.end() ? nullptr : found->second.c_str();
        };
        if (c.Part == 0) {
            EXPECT_THROW(ShardOfArrayTask(variable), EUsageError);
            continue;
        }
        const Shard shard = ShardOfArrayTask(variable);
        EXPECT_EQ(shard.Index + 1, c.Part);
        EXPECT_EQ(shard.Count, c.Count);
    }
    try {
        ShardOfArrayTask([](const char*) -> const char* { return nullptr; });
    } catch (const EUsageError& error) {
        for (const char* name :
             {"SLURM_ARRAY_TASK_ID", "SLURM_ARRAY_TASK_MIN", "SLURM_ARRAY_TASK_COUNT",
              "SGE_TASK_ID", "SGE_TASK_FIRST", "SGE_TASK_LAST"})
            EXPECT_NE(std::string(error.what()).find(name), std::string::npos) << name;
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
    EXPECT_EQ(
        RunCli({"-r", "-o", "-", dir.native()}, {in, out, err, false, false, 1, stop, signal}),
        kExitUsage);
    EXPECT_EQ(err.str(), "zent-cli: -o - writes one WAV file to standard output: give exactly "
                         "one file\n" +
                             UsageHint() + "\n");
    EXPECT_EQ(out.str(), "");
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace zent::cli
