// zent-cli as a process meets signals, closed descriptors, outputs that cannot be written,
// hostile names and another process writing the same names.
#include "tests/cli/CliProcess.h"

#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zent::cli {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::set<std::string> Names(const fs::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

test::CliStart Start(bool test::CliStart::*flag) {
    test::CliStart start;
    start.*flag = true;
    return start;
}

test::CliStart WithOutput(const char* output) {
    test::CliStart start;
    start.Output = output;
    return start;
}

// Lets the other user of AsOtherUser into the test's directory.
void OpenToEveryone(const fs::path& directory) {
    fs::permissions(directory, fs::perms::all);
    for (const auto& entry : fs::recursive_directory_iterator(directory)) {
        if (entry.is_directory())
            fs::permissions(entry.path(), fs::perms::all);
    }
}

// True while the process holds an open file in directory.
bool WritesInto(pid_t pid, const fs::path& directory) {
    std::error_code error;
    for (const auto& entry :
         fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        const fs::path link = fs::read_symlink(entry.path(), error);
        if (!error && link.native().starts_with(directory.native() + "/"))
            return true;
    }
    return false;
}

TEST(CliProcess, StopSignalEndsWithItsStatusAndLeavesNothing) {
    const struct {
        int Signal;
        int Status; // -1: the process is killed
    } cases[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}, {SIGKILL, -1}};
    test::TempDir dir;
    test::EncodeMp3(dir.File("a.mp3"), {44100, 2, 30.0});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Signal);
        fs::remove_all(dir.File("out"));
        fs::create_directory(dir.File("out"));
        test::CliChild child({"-j1", "-o", "out", "a.mp3"}, dir.Path());
        // Generous: the machine may be busy.
        for (int wait = 0; wait < 600000 && !WritesInto(child.Pid(), dir.File("out")); ++wait)
            ::usleep(100);
        ::kill(child.Pid(), SIGSTOP);
        int stopped = 0;
        ASSERT_EQ(::waitpid(child.Pid(), &stopped, WUNTRACED), child.Pid());
        ASSERT_TRUE(WritesInto(child.Pid(), dir.File("out"))) << "not caught mid-file";
        ::kill(child.Pid(), c.Signal);
        ::kill(child.Pid(), SIGCONT);
        const test::CliOutcome outcome = child.Wait();
        EXPECT_TRUE(Names(dir.File("out")).empty());
        if (c.Status < 0) {
            EXPECT_EQ(outcome.Signal, c.Signal);
        } else {
            EXPECT_EQ(outcome.ExitStatus, c.Status);
            EXPECT_NE(outcome.Err.find("0 converted, 0 skipped, 0 failed, 1 stopped"),
                      std::string::npos)
                << outcome.Err;
        }
    }
}

TEST(CliProcess, ClosedStandardDescriptorsLeaveTheWavClean) {
    test::TempDir dir;
    test::EncodeMp3(dir.File("a.mp3"), {44100, 1, 1.0});
    fs::create_directories(dir.File("one"));
    fs::create_directories(dir.File("two"));
    ASSERT_EQ(test::RunCliProcess({"-o", "one", "a.mp3"}, dir.Path()).ExitStatus, 0);
    const test::CliOutcome outcome = test::CliChild({"-o", "two", "-", "a.mp3"}, dir.Path(),
                                                    Start(&test::CliStart::CloseStandard))
                                         .Wait();
    EXPECT_EQ(outcome.ExitStatus, 0);
    EXPECT_EQ(ReadFile(dir.File("two/a.wav")), ReadFile(dir.File("one/a.wav")));
}

// What was meant for standard output would go nowhere: not a success.
TEST(CliProcess, ClosedStandardOutputIsRefusedForThePipeAndJson) {
    test::TempDir dir;
    test::EncodeMp3(dir.File("a.mp3"), {44100, 1, 0.5});
    for (const std::vector<std::string>& args : {std::vector<std::string>{"-o", "-", "a.mp3"},
                                                 std::vector<std::string>{"--json", "a.mp3"}}) {
        SCOPED_TRACE(args[0]);
        const test::CliOutcome outcome =
            test::CliChild(args, dir.Path(), Start(&test::CliStart::CloseOutput)).Wait();
        EXPECT_EQ(outcome.ExitStatus, 1);
        EXPECT_EQ(outcome.Err, "zent-cli: standard output is closed\n");
        EXPECT_FALSE(fs::exists(dir.File("a.wav")));
    }
}

TEST(CliProcess, OutputThatCannotBeWrittenFailsTheRun) {
    test::TempDir dir;
    test::EncodeMp3(dir.File("a.mp3"), {44100, 1, 0.5});
    for (const char* output : {"/dev/full", "|"}) {
        SCOPED_TRACE(output);
        const test::CliOutcome outcome =
            test::CliChild({"--json", "a.mp3"}, dir.Path(), WithOutput(output)).Wait();
        EXPECT_EQ(outcome.ExitStatus, 1);
        EXPECT_NE(outcome.Err.find("cannot write to standard output"), std::string::npos);
    }
}

TEST(CliProcess, PathWithANulByteIsAnErrorAndWritesNothing) {
    test::TempDir dir;
    test::EncodeMp3(dir.File("a.mp3"), {44100, 1, 0.5});
    const std::string before = ReadFile(dir.File("a.mp3"));
    for (const std::string& input :
         {std::string("a.mp3\0.x\n", 9), std::string("a.mp3\0a.mp3\0", 12)}) {
        fs::create_directories(dir.File("out"));
        const test::CliOutcome outcome = test::RunCliProcess({"-o", "out", "-"}, dir.Path(), input);
        EXPECT_EQ(outcome.ExitStatus, 1);
        EXPECT_NE(outcome.Err.find("line 1 of standard input holds a NUL byte"), std::string::npos);
        EXPECT_TRUE(Names(dir.File("out")).empty());
        EXPECT_EQ(ReadFile(dir.File("a.mp3")), before);
    }
}

TEST(CliProcess, SourceThatIsItsOwnTargetIsRefused) {
    test::TempDir dir;
    test::EncodeMp3(dir.File("song.mp3"), {44100, 1, 0.5});
    fs::copy_file(dir.File("song.mp3"), dir.File("song.wav"));
    const test::CliOutcome outcome = test::RunCliProcess({"-o", ".", "song.wav"}, dir.Path());
    EXPECT_EQ(outcome.ExitStatus, 1);
    EXPECT_NE(outcome.Err.find("It is the source file."), std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("song.wav")), ReadFile(dir.File("song.mp3")));
}

TEST(CliProcess, TwoRenamingProcessesKeepEveryFile) {
    test::TempDir dir;
    std::vector<std::string> args = {"--existing", "rename", "-j2", "-o", "out"};
    for (int i = 1; i <= 6; ++i) {
        const std::string name = "t" + std::to_string(i) + ".mp3";
        test::EncodeMp3(dir.File(name), {44100, 1, 0.5});
        args.push_back(name);
    }
    fs::create_directories(dir.File("out"));
    fs::create_directories(dir.File("second"));
    for (int i = 1; i <= 6; ++i)
        fs::copy_file(dir.File("t" + std::to_string(i) + ".mp3"),
                      dir.File("second/t" + std::to_string(i) + ".mp3"));
    std::vector<std::string> second = args;
    second[4] = "../out";
    test::CliChild one(args, dir.Path());
    test::CliChild two(second, dir.File("second"));
    EXPECT_EQ(one.Wait().ExitStatus, 0);
    EXPECT_EQ(two.Wait().ExitStatus, 0);
    EXPECT_EQ(Names(dir.File("out")).size(), 12u);
}

// A folder that cannot be read, or only listed but not entered, is named and fails the run.
TEST(CliProcess, UnreadableFolderIsNamedAndTheOthersConverted) {
    const struct {
        fs::perms Mode;
        const char* Message;
    } cases[] = {{fs::perms::none, "cannot enter the directory \"m/b\": Permission denied"},
                 {fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read,
                  "cannot enter the directory \"m/b\": Permission denied"},
                 {fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  "cannot read the directory \"m/b\": Permission denied"}};
    test::TempDir dir;
    for (const char* name : {"m/a/1.mp3", "m/b/1.mp3", "m/c/1.mp3", "m/d/1.mp3", "m/e/1.mp3"}) {
        fs::create_directories(dir.File(name).parent_path());
        test::EncodeMp3(dir.File(name), {44100, 1, 0.2});
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        fs::remove_all(dir.File("out"));
        fs::create_directories(dir.File("out"));
        OpenToEveryone(dir.Path());
        fs::permissions(dir.File("m/b"), c.Mode);
        const test::CliOutcome outcome =
            test::CliChild({"-r", "--json", "--existing", "rename", "-o", "out", "m"}, dir.Path(),
                           Start(&test::CliStart::AsOtherUser))
                .Wait();
        fs::permissions(dir.File("m/b"), fs::perms::all);
        EXPECT_EQ(outcome.ExitStatus, 1);
        EXPECT_NE(outcome.Err.find(c.Message), std::string::npos) << outcome.Err;
        EXPECT_NE(outcome.Err.find("4 converted, 0 skipped, 1 failed"), std::string::npos);
        EXPECT_NE(outcome.Out.find("{\"source\":\"m/b\",\"target\":\"\""), std::string::npos);
        EXPECT_EQ(Names(dir.File("out")).size(), 4u);
    }
}

TEST(CliProcess, WriteProtectedTargetIsRefusedAndKept) {
    test::TempDir dir;
    test::EncodeMp3(dir.File("name.mp3"), {44100, 1, 0.2});
    std::ofstream(dir.File("name.wav")) << "kept";
    fs::permissions(dir.File("name.wav"),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    OpenToEveryone(dir.Path());
    const test::CliOutcome outcome =
        test::CliChild({"name.mp3"}, dir.Path(), Start(&test::CliStart::AsOtherUser)).Wait();
    EXPECT_EQ(outcome.ExitStatus, 1);
    EXPECT_NE(outcome.Err.find("Cannot create file \"./name.wav\"."), std::string::npos)
        << outcome.Err;
    EXPECT_EQ(ReadFile(dir.File("name.wav")), "kept");
}

TEST(CliProcess, NamesAtTheLengthLimitAreShortenedToFitTheirNumber) {
    test::TempDir dir;
    const std::string name = std::string(251, 'n') + ".mp3";
    for (const char* folder : {"a", "b"}) {
        fs::create_directories(dir.File(folder));
        test::EncodeMp3(dir.File(folder) / name, {44100, 1, 0.2});
    }
    fs::create_directories(dir.File("out"));
    const test::CliOutcome outcome =
        test::RunCliProcess({"-o", "out", "a/" + name, "b/" + name}, dir.Path());
    EXPECT_EQ(outcome.ExitStatus, 0) << outcome.Err;
    EXPECT_EQ(Names(dir.File("out")).size(), 2u);
}

TEST(CliProcess, ControlBytesInNamesAreShownEscaped) {
    test::TempDir dir;
    test::EncodeMp3(dir.File("x\033]0;t\a\n.mp3"), {44100, 1, 0.2});
    fs::create_directories(dir.File("out"));
    const test::CliOutcome outcome =
        test::RunCliProcess({"-o", "out", "x\033]0;t\a\n.mp3"}, dir.Path());
    EXPECT_EQ(outcome.ExitStatus, 0);
    EXPECT_NE(outcome.Err.find("x\\033]0;t\\007\\n.mp3 -> "), std::string::npos) << outcome.Err;
    EXPECT_EQ(outcome.Err.find('\033'), std::string::npos);
}

TEST(CliProcess, PlainFileAsOutputDirectoryIsNotADirectory) {
    test::TempDir dir;
    std::ofstream(dir.File("file")) << "x";
    const test::CliOutcome outcome = test::RunCliProcess({"-o", "file", "a.mp3"}, dir.Path());
    EXPECT_EQ(outcome.ExitStatus, 2);
    EXPECT_NE(outcome.Err.find("\"file\" is not a directory"), std::string::npos);
}

// Every regular file below directory with its bytes, by relative path.
std::map<std::string, std::string> Tree(const fs::path& directory) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(directory)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), directory).native()] = ReadFile(entry.path());
    }
    return files;
}

TEST(CliProcess, ShardsOfOneListWriteTheTreeOfOneRecursiveRun) {
    test::TempDir dir;
    std::string list;
    test::EncodeMp3(dir.File("tone.mp3"), {44100, 1, 0.3});
    for (const char* folder : {"A one", "B 'two'", "C $(three)"}) {
        for (const char* name : {"01 Intro", "-02 x", "03 \t tab", "04 \xe6\x9b\xb2", "05", "06"}) {
            const std::string path = std::string("m/") + folder + "/" + name + ".mp3";
            fs::create_directories(dir.File(path).parent_path());
            fs::copy_file(dir.File("tone.mp3"), dir.File(path));
            list += "./" + path.substr(2) + '\0';
        }
    }
    fs::create_directories(dir.File("m/empty"));
    ASSERT_EQ(
        test::RunCliProcess({"-q", "-r", "--mkdir", "-o", "../one", "."}, dir.File("m")).ExitStatus,
        0);
    const std::map<std::string, std::string> one = Tree(dir.File("one"));
    ASSERT_EQ(one.size(), 18u);
    std::vector<std::unique_ptr<test::CliChild>> shards;
    for (int k = 1; k <= 4; ++k) {
        test::CliStart start;
        start.Input = list;
        shards.push_back(std::make_unique<test::CliChild>(
            std::vector<std::string>{"-q", "-0", "--relative-to", ".", "--shard",
                                     std::to_string(k) + "/4", "--mkdir", "-o", "../four", "-"},
            dir.File("m"), start));
    }
    for (const auto& shard : shards)
        EXPECT_EQ(shard->Wait().ExitStatus, 0);
    EXPECT_EQ(Tree(dir.File("four")), one);

    // The array task's part is the same part.
    test::CliStart task;
    task.Input = list;
    task.Environment = {"SLURM_ARRAY_TASK_ID=7", "SLURM_ARRAY_TASK_MIN=5",
                        "SLURM_ARRAY_TASK_COUNT=4"};
    const auto sources = [](const std::string& json) {
        std::set<std::string> lines;
        std::istringstream in(json);
        for (std::string line; std::getline(in, line);)
            lines.insert(line.substr(0, line.find(",\"target\"")));
        return lines;
    };
    const test::CliOutcome automatic =
        test::CliChild({"--json", "-0", "--relative-to", ".", "--shard", "auto", "--mkdir", "-o",
                        "../auto", "-"},
                       dir.File("m"), task)
            .Wait();
    task.Environment.clear();
    const test::CliOutcome third = test::CliChild({"--json", "-0", "--relative-to", ".", "--shard",
                                                   "3/4", "--mkdir", "-o", "../third", "-"},
                                                  dir.File("m"), task)
                                       .Wait();
    EXPECT_EQ(sources(automatic.Out).size(), 4u); // 2, 6, 10 and 14 of 18
    EXPECT_EQ(sources(automatic.Out), sources(third.Out));

    // A rerun that skips what is there writes nothing.
    const auto before = fs::last_write_time(dir.File("four/A one/01 Intro.wav"));
    test::CliStart again;
    again.Input = list;
    const test::CliOutcome rerun =
        test::CliChild({"-0", "--relative-to", ".", "--existing", "skip", "-o", "../four", "-"},
                       dir.File("m"), again)
            .Wait();
    EXPECT_EQ(rerun.ExitStatus, 0);
    EXPECT_NE(rerun.Err.find("0 converted, 18 skipped, 0 failed"), std::string::npos) << rerun.Err;
    EXPECT_EQ(fs::last_write_time(dir.File("four/A one/01 Intro.wav")), before);
    EXPECT_EQ(Tree(dir.File("four")), one);

    const test::CliOutcome empty =
        test::RunCliProcess({"-r", "-o", "../four", "empty"}, dir.File("m"));
    EXPECT_EQ(empty.ExitStatus, 0);
    EXPECT_NE(empty.Err.find("zent-cli: no input files\n"), std::string::npos) << empty.Err;
}

TEST(CliProcess, ReportAfterAStopHoldsEveryFileAndASummary) {
    test::TempDir dir;
    test::EncodeMp3(dir.File("long.mp3"), {44100, 2, 30.0});
    std::vector<std::string> args = {"-j1", "--report", "report.jsonl", "-o", "out"};
    for (int i = 1; i <= 6; ++i) {
        const std::string name = std::to_string(i) + ".mp3";
        fs::copy_file(dir.File("long.mp3"), dir.File(name));
        args.push_back(name);
    }
    fs::create_directories(dir.File("out"));
    test::CliChild child(args, dir.Path());
    for (int wait = 0; wait < 600000 && !WritesInto(child.Pid(), dir.File("out")); ++wait)
        ::usleep(100);
    ::kill(child.Pid(), SIGTERM);
    const test::CliOutcome outcome = child.Wait();
    EXPECT_EQ(outcome.ExitStatus, 143);
    EXPECT_NE(outcome.Err.find("0 converted, 0 skipped, 0 failed, 1 stopped, 5 not started"),
              std::string::npos)
        << outcome.Err;
    std::istringstream report(ReadFile(dir.File("report.jsonl")));
    std::vector<std::string> records;
    for (std::string line; std::getline(report, line);)
        records.push_back(line);
    ASSERT_EQ(records.size(), 7u);
    EXPECT_NE(records[0].find("\"source\":\"1.mp3\""), std::string::npos);
    EXPECT_NE(records[0].find("\"status\":\"stopped\""), std::string::npos);
    for (int i = 1; i <= 5; ++i)
        EXPECT_NE(records[i].find("\"status\":\"not started\""), std::string::npos) << records[i];
    EXPECT_EQ(records[6].rfind("{\"summary\":{\"converted\":0,\"skipped\":0,\"failed\":0,"
                               "\"stopped\":1,\"not_started\":5,\"jobs\":1,",
                               0),
              0u)
        << records[6];
}

} // namespace
} // namespace zent::cli
