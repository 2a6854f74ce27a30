#include "cli/BatchRunner.h"
#include "convert/ConversionRun.h"
#include "tests/cli/CliProcess.h"
#include "tests/cli/StopAfterFirstRead.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <sys/stat.h>

namespace zent::cli {
namespace {

using testing::HasSubstr;
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every name in a directory, with the contents' sizes.
std::map<std::string, std::uintmax_t> Listing(const fs::path& dir) {
    std::map<std::string, std::uintmax_t> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names[entry.path().filename().string()] = entry.is_regular_file() ? entry.file_size() : 0;
    return names;
}

// What the window writes for a source: the engine on one job, in the window's blocks.
void WindowConvert(const fs::path& source, const fs::path& target) {
    struct Silent final : EngineObserver {
        void FileStarted(FileId) override {}
        void BytesWritten(FileId, std::int64_t, std::int64_t, std::int64_t) override {}
        void FileEnded(const FileReport&) override {}
    } quiet;
    EngineSettings settings;
    settings.BufferSize = kDecodeBufferSize;
    EngineProgress progress;
    ConversionEngine engine(std::move(settings), quiet, progress);
    engine.Add({source.native(), target.native()});
    engine.Close();
    engine.Run();
}

// What the window writes for a source.
std::string WindowBytes(const fs::path& source, const fs::path& scratch) {
    const fs::path target = scratch / "window.wav";
    WindowConvert(source, target);
    std::string bytes = ReadFile(target);
    fs::remove(target);
    return bytes;
}

TEST(CliRun, ExitStatusTellsWhetherEveryFileWasConverted) {
    struct Case {
        std::vector<std::string> Args;
        int Status;
        std::string ErrorText;
        std::vector<std::string> Written;
        std::string OutText = {};
    };
    const std::string cutShort = "ends without its end-of-stream mark: it may be cut short";
    const std::vector<Case> cases = {
        {{"-o", "out", "a.mp3", "b.ogg"}, 0, "", {"a.wav", "b.wav"}},
        {{"-j2", "-o", "out", "a.mp3", "bad.mp3", "b.ogg"},
         1,
         "zent-cli: bad.mp3: not an MP3, Ogg Vorbis, Opus or FLAC file\n",
         {"a.wav", "b.wav"}},
        {{"-o", "out", "a.mp3", "gone.ogg"},
         1,
         "zent-cli: gone.ogg: No such file or directory\n",
         {"a.wav"}},
        {{"-o", "out", "pipe.mp3"}, 1, "zent-cli: pipe.mp3: not a regular file\n", {}},
        {{"-o", "out", "flac.ogg"}, 1, "zent-cli: flac.ogg: the Ogg headers are incomplete", {}},
        {{"-o", "out", "v.opus", "b.ogg"}, 0, "", {"b.wav", "v.wav"}},
        {{"--json", "-o", "out", "cut.ogg"},
         0,
         "zent-cli: cut.ogg: " + cutShort + "\n",
         {"cut.wav"},
         "\"warning\":\"" + cutShort + "\"}"},
        {{"-o", "out", "head.ogg"}, 1, "zent-cli: head.ogg: the Ogg headers are incomplete", {}},
        {{"-o", "out", "empty.ogg"}, 1, "zent-cli: empty.ogg: the file holds no audio", {}},
        {{"-o", "out", "--jobs", "none", "a.mp3"},
         2,
         "zent-cli: invalid number of jobs 'none'",
         {}},
        {{"-o", "missing", "a.mp3"},
         2,
         "zent-cli: the output directory \"missing\" does not exist: give --mkdir to create it\n"
         "Try 'zent-cli --help' for more information.\n",
         {}},
        {{"-o", "out", "src"}, 2, "\"src\" is a directory: give -r", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Args));
        test::TempDir dir;
        test::EncodeMp3(dir.File("a.mp3"), {44100, 2, 0.5});
        test::EncodeOgg(dir.File("b.ogg"), {22050, 1, 0.5});
        WriteFile(dir.File("bad.mp3"), std::string(5000, 'x'));
        test::EncodeOpus(dir.File("v.opus"), {48000, 1, 0.5});
        test::EncodeOgg(dir.File("long.ogg"), {22050, 1, 12.0});
        const std::string oggText = ReadFile(dir.File("long.ogg"));
        const std::vector<char> ogg(oggText.begin(), oggText.end());
        const auto pages = test::OggPages(ogg);
        WriteFile(dir.File("cut.ogg"),
                  std::string(ogg.begin(),
                              ogg.begin() + static_cast<std::ptrdiff_t>(ogg.size() * 2 / 3)));
        const auto cutAt = [&](const char* name, std::size_t size) {
            WriteFile(dir.File(name),
                      std::string(ogg.begin(), ogg.begin() + static_cast<std::ptrdiff_t>(size)));
        };
        cutAt("head.ogg", pages[1].offset + 20);
        cutAt("empty.ogg", pages[2].offset + 20);
        // A first page whose packet begins as Ogg FLAC's does.
        constexpr char kFlacPage[] = "OggS\0\2\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
                                     "\1\x0d\x7f"
                                     "FLAC\1\0\0\1fLaC";
        std::vector<char> flacBytes(kFlacPage, kFlacPage + sizeof kFlacPage - 1);
        test::SetOggGranule(flacBytes, {0, flacBytes.size(), 0}, 0);
        WriteFile(dir.File("flac.ogg"), std::string(flacBytes.begin(), flacBytes.end()));
        ::mkfifo(dir.File("pipe.mp3").c_str(), 0600);
        fs::create_directories(dir.File("src"));
        fs::create_directories(dir.File("out"));
        const test::CliOutcome outcome = test::RunCliProcess(c.Args, dir.Path());
        EXPECT_EQ(outcome.ExitStatus, c.Status);
        EXPECT_THAT(outcome.Err, HasSubstr(c.ErrorText));
        EXPECT_THAT(outcome.Out, HasSubstr(c.OutText));
        std::vector<std::string> written;
        for (const auto& [name, size] : Listing(dir.File("out")))
            written.push_back(name);
        EXPECT_EQ(written, c.Written);
    }
}

TEST(CliRun, SameNamesGetNumbersInInputOrderAndTheWindowsBytesWithAnyJobCount) {
    test::TempDir dir;
    for (const char* folder : {"1", "2", "3", "4"})
        fs::create_directories(dir.File(folder));
    // One name, different contents and formats, in folders; slower ones first.
    std::vector<std::string> sources;
    test::EncodeMp3(dir.File("1/song.mp3"), {44100, 2, 1.5}, {true, true, 128});
    test::EncodeOgg(dir.File("2/song.ogg"), {48000, 6, 0.7});
    test::EncodeMp3(dir.File("3/song.mp3"), {22050, 1, 0.3}, {false, false, 64});
    test::EncodeOgg(dir.File("4/song.ogg"), {44100, 2, 0.2});
    const std::vector<std::string> args = {"1/song.mp3", "2/song.ogg", "3/song.mp3", "4/song.ogg"};
    const std::vector<std::string> names = {"song.wav", "song (2).wav", "song (3).wav",
                                            "song (4).wav"};
    for (const char* jobs : {"-j1", "-j4"}) {
        SCOPED_TRACE(jobs);
        std::vector<std::string> command = {jobs, "--mkdir", "-o", std::string("out") + jobs, "-q"};
        command.insert(command.end(), args.begin(), args.end());
        ASSERT_EQ(test::RunCliProcess(command, dir.Path()).ExitStatus, 0);
        for (std::size_t i = 0; i < args.size(); ++i)
            EXPECT_TRUE(ReadFile(dir.File(std::string("out") + jobs) / names[i]) ==
                        WindowBytes(dir.File(args[i]), dir.Path()))
                << names[i];
    }
}

TEST(CliRun, ExistingTargetIsOverwrittenSkippedOrLeftBesideANumberedName) {
    struct Case {
        std::string Mode;
        std::string Status; // as --json reports the source
        bool OldKept;
        std::string NewName;
    };
    const std::vector<Case> cases = {
        {"overwrite", "converted", false, "a.wav"},
        {"skip", "skipped", true, ""},
        {"rename", "converted", true, "a (3).wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Mode);
        test::TempDir dir;
        test::EncodeMp3(dir.File("a.mp3"), {44100, 1, 0.3});
        WriteFile(dir.File("out/a.wav"), "old");
        WriteFile(dir.File("out/a (2).wav"), "old");
        const test::CliOutcome outcome =
            test::RunCliProcess({"--json", "--existing", c.Mode, "-o", "out", "a.mp3"}, dir.Path());
        EXPECT_EQ(outcome.ExitStatus, 0);
        EXPECT_THAT(outcome.Out, HasSubstr("\"status\":\"" + c.Status + "\""));
        EXPECT_EQ(ReadFile(dir.File("out/a.wav")) == "old", c.OldKept);
        EXPECT_EQ(ReadFile(dir.File("out/a (2).wav")), "old");
        if (!c.NewName.empty()) {
            EXPECT_TRUE(ReadFile(dir.File("out") / c.NewName) ==
                        WindowBytes(dir.File("a.mp3"), dir.Path()));
        }
        EXPECT_EQ(Listing(dir.File("out")).size(), c.Mode == "rename" ? 3u : 2u);
    }
}

TEST(CliRun, RecursiveKeepsTheFolderTreeAndFailsOnlyFilesWhoseFolderCannotBeMade) {
    test::TempDir dir;
    const std::vector<std::string> kept = {"a/01", "b/c/01"};
    for (const char* name : {"a/01", "b/c/01", "d/01"}) {
        fs::create_directories(dir.File(std::string("tree/") + name).parent_path());
        test::EncodeMp3(dir.File(std::string("tree/") + name + ".mp3"), {44100, 1, 0.3});
    }
    WriteFile(dir.File("out/d"), "not a folder");
    const test::CliOutcome outcome =
        test::RunCliProcess({"-q", "-r", "-o", "out", "tree"}, dir.Path());
    EXPECT_EQ(outcome.ExitStatus, 1);
    EXPECT_THAT(outcome.Err,
                HasSubstr("zent-cli: tree/d/01.mp3: cannot create the folder \"out/d\": "));
    EXPECT_EQ(ReadFile(dir.File("out/d")), "not a folder");
    for (const std::string& name : kept)
        EXPECT_TRUE(ReadFile(dir.File("out/" + name + ".wav")) ==
                    WindowBytes(dir.File("tree/" + name + ".mp3"), dir.Path()))
            << name;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const char* folder : {"out/b", "out/b/c"})
        EXPECT_EQ(fs::status(dir.File(folder)).permissions(), fs::perms(0777 & ~mask)) << folder;
}

TEST(CliRun, NulSeparatedInputTakesAnyName) {
    test::TempDir dir;
    const std::string odd = "new\nline \xff\xfe";
    test::EncodeOgg(dir.File(odd + ".ogg"), {44100, 1, 0.3});
    test::EncodeMp3(dir.File("plain.mp3"), {44100, 1, 0.3});
    const std::string input =
        odd + ".ogg" + std::string(1, '\0') + "plain.mp3" + std::string(1, '\0');
    const test::CliOutcome outcome =
        test::RunCliProcess({"-0", "--json", "--mkdir", "-o", "out", "-"}, dir.Path(), input);
    EXPECT_EQ(outcome.ExitStatus, 0) << outcome.Err;
    EXPECT_EQ(ReadFile(dir.File("out/" + odd + ".wav")),
              WindowBytes(dir.File(odd + ".ogg"), dir.Path()));
    EXPECT_TRUE(fs::exists(dir.File("out/plain.wav")));
    EXPECT_THAT(outcome.Out, HasSubstr(R"("source":"new\nline \udcff\udcfe.ogg")"));
}

class NoReports final : public BatchObserver {
public:
    void FileFinished(const FileRecord&) override {}
};

TEST(CliRun, StopRemovesUnfinishedFilesAndLeavesExistingTargets) {
    test::TempDir dir;
    test::EncodeMp3(dir.File("a.mp3"), {44100, 2, 12.0});
    test::EncodeOgg(dir.File("b.ogg"), {44100, 2, 12.0});
    WriteFile(dir.File("out/a.wav"), "old");
    const std::vector<FileJob> jobs = {{dir.File("a.mp3"), dir.File("out/a.wav"), false},
                                       {dir.File("b.ogg"), dir.File("out/b.wav"), false},
                                       {dir.File("a.mp3"), dir.File("out/c.wav"), false}};
    std::atomic<bool> stop{false};
    NoReports observer;
    BatchProgress progress;
    // The batch stops at the first data any job reads.
    EngineSettings settings;
    settings.Jobs = 2;
    settings.OpenStream = [&](const fs::path& path) {
        return std::make_unique<StopAfterFirstRead>(OpenDecoderStreamOrThrow(path), stop);
    };
    const std::vector<FileRecord> records = RunBatch(jobs, settings, stop, progress, observer);
    EXPECT_STREQ(StatusName(records[0]), "stopped");
    EXPECT_STRNE(StatusName(records[1]), "converted");
    EXPECT_STREQ(StatusName(records[2]), "not started");
    EXPECT_EQ(Listing(dir.File("out")), (std::map<std::string, std::uintmax_t>{{"a.wav", 3}}));
}

class Collect final : public BatchObserver {
public:
    void FileFinished(const FileRecord&) override {}
};

// Past the RIFF sizes the file is RF64 and whole: nothing is cut, nothing to warn of.
TEST(CliRun, FilePastTheRiffSizesIsConvertedWholeAsRf64) {
    test::TempDir dir;
    test::EncodeMp3(dir.File("a.mp3"), {44100, 2, 1.0});
    const std::vector<FileJob> jobs = {{dir.File("a.mp3"), dir.File("a.wav"), false}};
    std::atomic<bool> stop{false};
    Collect observer;
    BatchProgress progress;
    EngineSettings settings;
    settings.MaxRiffDataBytes = 4000;
    const FileRecord record = RunBatch(jobs, settings, stop, progress, observer)[0];
    ASSERT_TRUE(record.Report);
    EXPECT_EQ(record.Report->Outcome, FileOutcome::Converted);
    EXPECT_GT(record.Report->Frames, 1000);
    EXPECT_TRUE(record.Report->Warnings.empty());
    std::ifstream in(dir.File("a.wav"), std::ios::binary);
    std::string magic(4, '\0');
    in.read(magic.data(), 4);
    EXPECT_EQ(magic, "RF64");
}

} // namespace
} // namespace zent::cli
