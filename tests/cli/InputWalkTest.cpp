#include "cli/InputWalk.h"

#include "cli/CliOptions.h"
#include "cli/TargetPlan.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace zent::cli {
namespace {

void Touch(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

TEST(InputWalk, DirectoriesGiveTheirMp3AndOggFilesInByteOrder) {
    test::TempDir dir;
    const std::string root = dir.Path().string();
    for (const char* name :
         {"b.mp3", "a.OGG", "c.wav", "z/y.Mp3", "z/x.ogg.txt", "A.mp3", "m/deep/er/1.ogg", "noext"})
        Touch(dir.File(name));
    std::filesystem::create_directories(dir.File("empty.mp3"));
    std::istringstream none;
    const InputList inputs = CollectInputs({root, root + "/c.wav"}, true, none, false);
    const std::vector<std::string> expected = {
        root + "/A.mp3",           root + "/a.OGG",   root + "/b.mp3",
        root + "/m/deep/er/1.ogg", root + "/z/y.Mp3",
        root + "/c.wav", // named files are taken whatever they are called
    };
    EXPECT_EQ(inputs.Files, expected);
    EXPECT_TRUE(inputs.Errors.empty());
}

TEST(InputWalk, DirectoryWithoutRecursiveIsNamedInTheError) {
    test::TempDir dir;
    std::istringstream none;
    try {
        CollectInputs({dir.Path().string()}, false, none, false);
        FAIL() << "accepted";
    } catch (const EUsageError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "\"" + dir.Path().string() +
                      "\" is a directory: give -r to convert the files in it");
    }
}

TEST(InputWalk, StandardInputGivesPathsByLineOrByNulWhereDashStands) {
    const std::string oddName = "new\nline \xff\xfe.mp3";
    struct Case {
        std::string Input;
        bool Nul;
        std::vector<std::string> Expected;
    };
    const std::vector<Case> cases = {
        {"a.mp3\n\nb c.ogg\nd.mp3\r\n", false, {"first", "a.mp3", "b c.ogg", "d.mp3\r", "last"}},
        {std::string("a.mp3\0", 6) + oddName + std::string("\0\0", 2),
         true,
         {"first", "a.mp3", oddName, "last"}},
        {"no end", false, {"first", "no end", "last"}},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.Input);
        // A second "-" finds standard input used up.
        EXPECT_EQ(CollectInputs({"first", "-", "-", "last"}, false, in, c.Nul).Files, c.Expected);
    }
}

TEST(InputWalk, FilesBelowADirectoryKeepTheirFoldersUnlessFlat) {
    test::TempDir dir;
    for (const char* name : {"tree/a/01.mp3", "tree/b/c/01.mp3", "tree/01.mp3", "other/01.mp3"})
        Touch(dir.File(name));
    const std::string root = dir.Path().string();
    std::istringstream none;
    const InputList inputs =
        CollectInputs({root + "/tree", root + "/other/01.mp3"}, true, none, false);
    EXPECT_EQ(inputs.Folders, (std::vector<std::string>{"", "a", "b/c", ""}));
    const auto targets = [&](const std::vector<std::string>& folders) {
        std::vector<std::string> names;
        for (const FileJob& job :
             PlanTargets(inputs.Files, folders, "out", ExistingTarget::Replace))
            names.push_back(job.Target);
        return names;
    };
    // Same names are numbered within a folder only.
    EXPECT_EQ(targets(inputs.Folders),
              (std::vector<std::string>{"out/01.wav", "out/a/01.wav", "out/b/c/01.wav",
                                        "out/01 (2).wav"}));
    EXPECT_EQ(targets({}), (std::vector<std::string>{"out/01.wav", "out/01 (2).wav",
                                                     "out/01 (3).wav", "out/01 (4).wav"}));
}

TEST(InputWalk, TargetFoldersNeverLeaveTheOutputDirectory) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"../../up", "out/up/x.wav"},
        {"/abs/./b//", "out/abs/b/x.wav"},
        {"..", "out/x.wav"},
        {"a/../b", "out/a/b/x.wav"},
    };
    for (const auto& [folder, target] : cases)
        EXPECT_EQ(PlanTargets({"x.mp3"}, {folder}, "out", ExistingTarget::Replace)[0].Target,
                  target)
            << folder;
}

TEST(InputWalk, RelativeToKeepsEachFoldersPlaceAndRefusesWhatIsOutside) {
    test::TempDir dir;
    const std::string root = dir.Path().string();
    InputList inputs;
    inputs.Files = {root + "/m/a/01.mp3", root + "/m/./b/../01.mp3", root + "/x/01.mp3",
                    root + "/m"};
    KeepFoldersBelow(inputs, root + "/m/");
    EXPECT_EQ(inputs.Files,
              (std::vector<std::string>{root + "/m/a/01.mp3", root + "/m/./b/../01.mp3"}));
    EXPECT_EQ(inputs.Folders, (std::vector<std::string>{"a", ""}));
    ASSERT_EQ(inputs.Errors.size(), 2u);
    EXPECT_EQ(inputs.Errors[0].Source, root + "/x/01.mp3");
    EXPECT_NE(inputs.Errors[0].Message.find("is not below"), std::string::npos);
}

// Every input lands in exactly one of N shards, in the byte order of all of them, whatever
// order the list gave.
TEST(InputWalk, ShardsSplitEveryInputOnceByIndexInByteOrder) {
    std::mt19937 random(27);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        InputList all;
        const int files = static_cast<int>(random() % 30);
        for (int i = 0; i < files; ++i) {
            all.Files.push_back(std::string(1, static_cast<char>('a' + random() % 5)) + "/" +
                                std::to_string(random() % 1000) + ".mp3");
            all.Folders.push_back(std::to_string(i));
        }
        for (int i = static_cast<int>(random() % 3); i > 0; --i)
            all.Errors.push_back({std::string(1, static_cast<char>('a' + random() % 5)), "x"});
        const unsigned count = 1 + random() % 6;
        std::vector<std::string> seen;
        for (unsigned k = 0; k < count; ++k) {
            InputList part = all;
            const std::vector<std::size_t> taken = TakeShard(part, {k, count});
            EXPECT_EQ(part.Files.size(), all.Files.size());
            EXPECT_TRUE(std::is_sorted(part.Files.begin(), part.Files.end()));
            for (const std::size_t i : taken)
                seen.push_back(part.Files[i] + "|" + part.Folders[i]);
            for (const InputProblem& problem : part.Errors)
                seen.push_back(problem.Source);
        }
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < all.Files.size(); ++i)
            expected.push_back(all.Files[i] + "|" + all.Folders[i]);
        for (const InputProblem& problem : all.Errors)
            expected.push_back(problem.Source);
        std::sort(seen.begin(), seen.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(seen, expected);
    }
    InputList inputs;
    inputs.Files = {"d", "b", "a", "c", "e"};
    EXPECT_EQ(TakeShard(inputs, {1, 2}), (std::vector<std::size_t>{1, 3}));
    EXPECT_EQ(inputs.Files, (std::vector<std::string>{"a", "b", "c", "d", "e"}));
}

TEST(InputWalk, DanglingLinkAndOverlongPathAreNamed) {
    test::TempDir dir;
    Touch(dir.File("m/ok.mp3"));
    std::filesystem::create_symlink("gone.mp3", dir.File("m/dangling.mp3"));
    std::filesystem::create_symlink("gone.txt", dir.File("m/dangling.txt"));
    // Deeper than the system lets a path reach, made one folder at a time.
    int handle = ::open(dir.File("m").c_str(), O_DIRECTORY | O_RDONLY);
    const std::string name(200, 'd');
    for (int depth = 0; depth < 25; ++depth) {
        ASSERT_EQ(::mkdirat(handle, name.c_str(), 0755), 0);
        const int next = ::openat(handle, name.c_str(), O_DIRECTORY | O_RDONLY);
        ::close(handle);
        handle = next;
    }
    ::close(::openat(handle, "deep.mp3", O_CREAT | O_WRONLY, 0644));
    ::close(handle);
    std::istringstream none;
    const InputList inputs = CollectInputs({dir.File("m").native()}, true, none, false);
    EXPECT_EQ(inputs.Files, std::vector<std::string>{dir.File("m/ok.mp3").native()});
    ASSERT_EQ(inputs.Errors.size(), 2u) << inputs.Errors[0].Message;
    EXPECT_EQ(inputs.Errors[0].Source, dir.File("m/dangling.mp3").native());
    EXPECT_NE(inputs.Errors[0].Message.find("points to nothing"), std::string::npos);
    EXPECT_NE(inputs.Errors[1].Message.find("File name too long"), std::string::npos);
    // Removed from the inside out: the path is too long to name at once.
    std::string path = dir.File("m").native();
    std::vector<std::string> folders;
    for (int depth = 0; depth < 25; ++depth)
        folders.push_back(name);
    handle = ::open(path.c_str(), O_DIRECTORY | O_RDONLY);
    std::vector<int> handles{handle};
    for (const std::string& folder : folders)
        handles.push_back(::openat(handles.back(), folder.c_str(), O_DIRECTORY | O_RDONLY));
    ::unlinkat(handles.back(), "deep.mp3", 0);
    for (std::size_t i = handles.size() - 1; i > 0; --i) {
        ::close(handles[i]);
        ::unlinkat(handles[i - 1], name.c_str(), AT_REMOVEDIR);
    }
    ::close(handles[0]);
}

} // namespace
} // namespace zent::cli
