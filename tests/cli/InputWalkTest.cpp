#include "cli/InputWalk.h"

#include "cli/CliOptions.h"
#include "cli/TargetPlan.h"
#include "tests/support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

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

} // namespace
} // namespace zent::cli
