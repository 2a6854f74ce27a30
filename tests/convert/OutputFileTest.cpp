#include "convert/OutputFile.h"

#include "decode/FileIo.h"
#include "tests/support/TempDir.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>

namespace zent {
namespace {

namespace fs = std::filesystem;

// Refuses unnamed files, as a file system without them does, and plants a link at every
// hidden name before it is opened, as an attacker who guessed it would.
class NamedOnlyFileIo : public FileIo {
public:
    explicit NamedOnlyFileIo(fs::path victim) : FVictim(std::move(victim)) {
        SetFileIoForTesting(this);
    }
    ~NamedOnlyFileIo() override { SetFileIoForTesting(nullptr); }
    NamedOnlyFileIo(const NamedOnlyFileIo&) = delete;
    NamedOnlyFileIo& operator=(const NamedOnlyFileIo&) = delete;

    int Open(const char* path, int flags, mode_t mode) override {
        if ((flags & O_TMPFILE) == O_TMPFILE) {
            errno = EOPNOTSUPP;
            return -1;
        }
        if (!FVictim.empty() && !FPlanted++)
            fs::create_symlink(FVictim, path);
        return FileIo::Open(path, flags, mode);
    }

private:
    fs::path FVictim;
    int FPlanted = 0;
};

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::set<std::string> Names(const fs::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

void WriteNew(OutputFile& file, const std::string& text) {
    file.Write(std::as_bytes(std::span(text.data(), text.size())));
}

TEST(OutputFile, PlantedLinkAtTheHiddenNameIsNeverWrittenThrough) {
    test::TempDir dir;
    WriteText(dir.File("victim"), "precious");
    NamedOnlyFileIo io(dir.File("victim"));
    OutputFile file(dir.File("a.wav"));
    WriteNew(file, "new");
    file.Commit();
    EXPECT_EQ(ReadText(dir.File("victim")), "precious");
    EXPECT_EQ(ReadText(dir.File("a.wav")), "new");
}

// Unnamed where the file system allows it, hidden names elsewhere: the same result.
class OutputFileKinds : public testing::TestWithParam<bool> {
protected:
    OutputFileKinds() {
        if (GetParam())
            FNamedOnly.emplace(fs::path());
    }
    std::optional<NamedOnlyFileIo> FNamedOnly;
    test::TempDir FDir;
};

TEST_P(OutputFileKinds, NothingIsSeenBeforeCommitAndNothingStaysWithoutIt) {
    {
        OutputFile file(FDir.File("a.wav"));
        WriteNew(file, "data");
        if (!GetParam()) {
            EXPECT_TRUE(Names(FDir.Path()).empty());
        }
    }
    EXPECT_TRUE(Names(FDir.Path()).empty());
}

TEST_P(OutputFileKinds, NameTakenMeanwhileIsReplacedNumberedOrKept) {
    struct Case {
        ExistingTarget Existing;
        std::set<std::string> Names;
        std::string OldText;
        bool Taken;
    };
    const Case cases[] = {
        {ExistingTarget::Replace, {"a.wav"}, "new", false},
        {ExistingTarget::Numbered, {"a.wav", "a (2).wav", "a (3).wav"}, "old", false},
        {ExistingTarget::Keep, {"a.wav"}, "old", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Existing));
        fs::remove_all(FDir.Path());
        fs::create_directories(FDir.Path());
        {
            OutputFile file(FDir.File("a.wav"), c.Existing);
            WriteNew(file, "new");
            WriteText(FDir.File("a.wav"), "old");
            WriteText(FDir.File("a (2).wav"), "old");
            if (c.Existing != ExistingTarget::Numbered)
                fs::remove(FDir.File("a (2).wav"));
            if (c.Taken) {
                EXPECT_THROW(file.Commit(), ETargetTaken);
            } else {
                file.Commit();
                EXPECT_EQ(ReadText(file.Target()), "new");
            }
        }
        EXPECT_EQ(Names(FDir.Path()), c.Names);
        EXPECT_EQ(ReadText(FDir.File("a.wav")), c.OldText);
    }
}

INSTANTIATE_TEST_SUITE_P(Unnamed, OutputFileKinds, testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Named, OutputFileKinds, testing::Values(true));

TEST(OutputFile, SourceIsRefusedAsTargetAlsoThroughALink) {
    test::TempDir dir;
    WriteText(dir.File("song.wav"), "mp3 bytes");
    fs::create_symlink(dir.File("song.wav"), dir.File("link.mp3"));
    for (const char* source : {"song.wav", "link.mp3"}) {
        SCOPED_TRACE(source);
        try {
            RefuseSourceAsTarget(dir.File(source), dir.File("song.wav"));
            ADD_FAILURE() << "not refused";
        } catch (const EStreamError& error) {
            EXPECT_EQ(error.what(), TargetIsSourceMessage(dir.File("song.wav")));
        }
    }
    EXPECT_NO_THROW(RefuseSourceAsTarget(dir.File("song.wav"), dir.File("other.wav")));
    // A link at the target is replaced itself: the source it points at is safe.
    EXPECT_NO_THROW(RefuseSourceAsTarget(dir.File("song.wav"), dir.File("link.mp3")));
}

} // namespace
} // namespace zent
