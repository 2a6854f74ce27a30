#include "convert/OutputFile.h"

#include "decode/FileIo.h"
#include "tests/support/TempDir.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <set>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

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
        Flags.push_back(flags);
        if ((flags & O_TMPFILE) == O_TMPFILE) {
            errno = EOPNOTSUPP;
            return -1;
        }
        if (!FVictim.empty() && !FPlanted++)
            fs::create_symlink(FVictim, path);
        return FileIo::Open(path, flags, mode);
    }

    std::vector<int> Flags; // of every Open, in order

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

// Another process's view of a file: can it take the lock?
bool Lockable(const fs::path& path) {
    const int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool free = handle >= 0 && ::flock(handle, LOCK_EX | LOCK_NB) == 0;
    if (handle >= 0)
        ::close(handle);
    return free;
}

TEST(OutputFile, HiddenFileIsOpenedNewWithoutLinksAndLockedWhileWritten) {
    test::TempDir dir;
    NamedOnlyFileIo io{fs::path()};
    OutputFile file(dir.File("a.wav"));
    ASSERT_EQ(io.Flags.size(), 2u);
    EXPECT_EQ(io.Flags[0] & (O_TMPFILE | O_CLOEXEC), O_TMPFILE | O_CLOEXEC);
    const int wanted = O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    EXPECT_EQ(io.Flags[1] & wanted, wanted);
    const std::set<std::string> names = Names(dir.Path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(IsTemporaryName(*names.begin()));
    EXPECT_FALSE(Lockable(dir.Path() / *names.begin()));
    RemoveStaleTemporaries(dir.Path());
    EXPECT_EQ(Names(dir.Path()), names);
}

TEST(OutputFile, StaleHiddenFilesGoWhenTheFirstFileIsWrittenBesideThem) {
    test::TempDir dir;
    const std::string stale = ".a.wav.0123456789abcdef.part";
    const std::string busy = ".b.wav.fedcba9876543210.part";
    const std::set<std::string> others = {".c.part",
                                          "d.wav.0123456789abcdef.part",
                                          ".e.wav.0123456789ABCDEF.part",
                                          ".0123456789abcdef.part",
                                          ".f.wav.0123456789abcde.part",
                                          "g.wav"};
    for (const std::string& name : others)
        WriteText(dir.File(name), "x");
    WriteText(dir.File(stale), "killed");
    WriteText(dir.File(busy), "running");
    const int holder = ::open(dir.File(busy).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    {
        NamedOnlyFileIo io{fs::path()};
        OutputFile file(dir.File("x.wav"));
    }
    // Also where the file itself needs no hidden name.
    fs::create_directories(dir.File("sub"));
    WriteText(dir.File("sub") / stale, "killed");
    { OutputFile file(dir.File("sub/x.wav")); }
    ::close(holder);
    std::set<std::string> expected = others;
    expected.insert({busy, "sub"});
    EXPECT_EQ(Names(dir.Path()), expected);
    EXPECT_TRUE(Names(dir.File("sub")).empty());
    for (const std::string& name : others)
        EXPECT_FALSE(IsTemporaryName(name)) << name;
}

TEST(OutputFile, PlannedNumberTakenMeanwhileGivesTheNextNumber) {
    test::TempDir dir;
    for (const bool named : {false, true}) {
        SCOPED_TRACE(named);
        std::optional<NamedOnlyFileIo> io;
        if (named)
            io.emplace(fs::path());
        fs::remove_all(dir.Path());
        fs::create_directories(dir.Path());
        OutputFile file(dir.File("x (3).wav"), ExistingTarget::Numbered);
        WriteNew(file, "new");
        WriteText(dir.File("x (3).wav"), "old");
        file.Commit();
        EXPECT_EQ(file.Target(), dir.File("x (4).wav"));
        EXPECT_EQ(ReadText(dir.File("x (4).wav")), "new");
    }
}

} // namespace
} // namespace zent
