#include "cli/CliOptions.h"

#include <gtest/gtest.h>

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
                    !o.Json && !o.MakeOutputDir && o.Existing == ExistingPolicy::Overwrite;
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
             return o.Existing == ExistingPolicy::Skip;
         }},
        {{"--existing=rename", "a"},
         [](const CliOptions& o) {
             return o.Existing == ExistingPolicy::Rename;
         }},
        {{"--existing=overwrite", "a"},
         [](const CliOptions& o) {
             return o.Existing == ExistingPolicy::Overwrite;
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

} // namespace
} // namespace zent::cli
