// zent-cli as a process meets signals, closed descriptors, outputs that cannot be written,
// hostile names and another process writing the same names.
#include "tests/cli/CliProcess.h"

#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
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

} // namespace
} // namespace zent::cli
