#include "cli/InputWalk.h"

#include "cli/CliOptions.h"
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

} // namespace
} // namespace zent::cli
