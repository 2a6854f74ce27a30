// The window's run on the engine, its events carried to it by RunEvents as in the window.
#include "convert/ConversionRun.h"

#include "app/RunEvents.h"
#include "convert/OutputFile.h"
#include "convert/TargetNames.h"
#include "filelist/FileList.h"
#include "framework/Errors.h"
#include "tests/convert/ConvertTestSupport.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

#include <QEventLoop>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <mutex>

namespace zent::test {
namespace {

// How the jobs go while their events travel to the run.
enum class Pace {
    Free, // as in the window: a job goes on while its events wait for the next delivery
    // A job that sent an event waits until it was delivered: the test acts at a known point
    // of a file (a stop after its first block, a fault before its second).
    Held,
};

// Passes the engine's events on to RunEvents and holds the job that sent one until a delivery
// has taken it.
class HeldJobs final : public EngineObserver {
public:
    explicit HeldJobs(RunEvents& events) : FEvents(events) {}

    void FileStarted(FileId id) override {
        FEvents.FileStarted(id);
        Hold();
    }
    void BytesWritten(FileId id, std::int64_t bytes, std::int64_t fileDone,
                      std::int64_t fileLength) override {
        FEvents.BytesWritten(id, bytes, fileDone, fileLength);
        Hold();
    }
    void FileEnded(const FileReport& report) override {
        FEvents.FileEnded(report);
        Hold();
    }
    // After each delivery, on the test's thread.
    void Delivered() {
        {
            const std::lock_guard lock(FMutex);
            ++FDeliveries;
        }
        FChanged.notify_all();
    }
    // No delivery comes any more.
    void Release() {
        {
            const std::lock_guard lock(FMutex);
            FReleased = true;
        }
        FChanged.notify_all();
    }

private:
    void Hold() {
        std::unique_lock lock(FMutex);
        // The delivery under way may have taken the events before this one; the next takes it.
        const int until = FDeliveries + 2;
        FChanged.wait(lock, [&] { return FReleased || FDeliveries >= until; });
    }

    RunEvents& FEvents;
    std::mutex FMutex;
    std::condition_variable FChanged;
    int FDeliveries = 0;
    bool FReleased = false;
};

// The window's run to its end, on this thread's event loop. Throws Error with the message of
// the error that ended the run.
void ConvertAll(ConversionRun& run, Pace pace = Pace::Free) {
    QEventLoop loop;
    std::optional<HeldJobs> held;
    RunEvents events(run, [&] {
        if (held)
            held->Delivered();
        if (run.Over())
            loop.quit();
    });
    EngineObserver& observer =
        pace == Pace::Held ? static_cast<EngineObserver&>(held.emplace(events)) : events;
    if (!run.Prepare(observer))
        return;
    run.Begin();
    loop.exec();
    events.Stop();
    if (held)
        held->Release();
    if (const std::optional<CoreText> error = run.Finish())
        throw Error(*error);
}

using ::testing::AllOf;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::Ge;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Le;

class ConversionRunTest : public ::testing::Test {
protected:
    ConversionRunTest() { FView.Directory = FOut.Path().string(); }

    // A short generated source; the extension picks the encoder unless told otherwise.
    std::filesystem::path MakeSource(const std::string& name, bool ogg = false,
                                     double seconds = 0.3) {
        const auto path = FIn.File(name);
        if (ogg || name.ends_with(".ogg"))
            EncodeOgg(path, {44100, 1, seconds});
        else
            EncodeMp3(path, {44100, 2, seconds});
        return path;
    }

    FileEntry& AddSource(const std::string& name, double seconds = 0.3) {
        return FView.AddEntry(MakeSource(name, false, seconds));
    }

    // Runs and returns the message of the error that the run passed on.
    std::string ConvertAllExpectingError(ConversionRun& run, Pace pace = Pace::Free) {
        try {
            ConvertAll(run, pace);
        } catch (const Error& error) {
            return error.what();
        }
        ADD_FAILURE() << "the run must pass the error on";
        return {};
    }

    bool TargetExists(const std::string& name) const {
        return std::filesystem::exists(FOut.File(name));
    }

    // After a failed run: the entries are all there, the target directory holds no WAV that
    // is not whole and no hidden file, and a run with the same sources converts them.
    void ExpectNothingLostAndANextRunWorks(const std::vector<std::string>& entries,
                                           const std::vector<std::string>& sources) {
        EXPECT_THAT(FView.EntryNames(), ::testing::ElementsAreArray(entries));
        for (const std::string& name : FileNames(FOut.Path())) {
            ASSERT_FALSE(name.starts_with(".")) << name;
            const WavFile wav = ReadWavFile(FOut.File(name));
            EXPECT_EQ(wav.DataSize, wav.FileSize - 44) << name;
        }
        for (const std::string& name : sources)
            MakeSource(name, false, 10.0);
        FView.OnCall = nullptr;
        FView.Stop = false;
        ConversionRun run(FView);
        ConvertAll(run);
        EXPECT_THAT(FView.Entries, IsEmpty());
    }

    // For a fresh start in a loop over cases: no entries, nothing in the target directory.
    void ClearTargets() {
        FView.Entries.clear();
        for (const std::string& name : FileNames(FOut.Path()))
            std::filesystem::remove(FOut.File(name));
    }

    TempDir FIn;
    TempDir FOut;
    RecordingRunView FView;
};

// --- Target directory ----------------------------------------------------------------------

TEST_F(ConversionRunTest, MissingDirectoryIsReportedAndChangesNothingElse) {
    FView.Directory = FOut.File("missing").string();
    AddSource("a.mp3");
    ConversionRun run(FView);
    ConvertAll(run);
    EXPECT_THAT(FView.Log, ElementsAre("ShowErrorMessage:Please pick a valid target directory.",
                                       "FocusTargetDirectory"));
    EXPECT_THAT(FView.EntryNames(), ElementsAre("a.mp3"));
}

TEST_F(ConversionRunTest, EmptyDirectoryTextIsNotATargetDirectory) {
    FView.Directory.clear();
    AddSource("a.mp3");
    ConversionRun run(FView);
    ConvertAll(run);
    EXPECT_THAT(FView.Log, ElementsAre("ShowErrorMessage:Please pick a valid target directory.",
                                       "FocusTargetDirectory"));
}

TEST_F(ConversionRunTest, EmptyListEndsWithoutAnyChange) {
    ConversionRun run(FView);
    ConvertAll(run);
    EXPECT_THAT(FView.Log, IsEmpty());
}

// --- Converting the list -------------------------------------------------------------------

TEST_F(ConversionRunTest, EntriesAreConvertedFromTheTopAndEachIsRemoved) {
    AddSource("a.mp3");
    FView.AddEntry(MakeSource("b.ogg"));
    AddSource("c.mp3");
    ConversionRun run(FView);
    ConvertAll(run);
    EXPECT_THAT(FView.RunSteps(),
                ElementsAre("ClearSelectionAndFocusList", "ClearStopRequest",
                            "BeginConversionState", "SelectAndFocus:a.mp3", "SetStatusInfo:a.mp3",
                            "RemoveEntry:a.mp3", "SelectAndFocus:b.ogg", "SetStatusInfo:b.ogg",
                            "RemoveEntry:b.ogg", "SelectAndFocus:c.mp3", "SetStatusInfo:c.mp3",
                            "RemoveEntry:c.mp3", "UpdateStatus", "EndConversionState"));
    EXPECT_THAT(FView.Entries, IsEmpty());
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        const WavFile wav = ReadWavFile(FOut.File(name));
        EXPECT_GT(wav.DataSize, 0u) << name;
        EXPECT_EQ(wav.DataSize, wav.FileSize - 44) << name;
    }
}

TEST_F(ConversionRunTest, TargetPathJoinsDirectoryAndNameWithWavExtension) {
    AddSource("song.v1.mp3");
    FView.AddEntry(MakeSource("noext", true));
    std::vector<std::string> targets;
    FView.OnCall = [&](const std::string& call) {
        if (call.starts_with("SetStatusInfo:") && call != "SetStatusInfo:")
            targets.push_back(FView.Entries.front()->TargetPath);
    };
    ConversionRun run(FView);
    ConvertAll(run);
    const std::string dir = FOut.Path().string();
    EXPECT_THAT(targets, ElementsAre(dir + "/song.v1.wav", dir + "/noext.wav"));
    EXPECT_TRUE(TargetExists("song.v1.wav"));
    EXPECT_TRUE(TargetExists("noext.wav"));
}

TEST_F(ConversionRunTest, TrailingSeparatorIsKeptAsItIs) {
    FView.Directory = FOut.Path().string() + "/";
    AddSource("a.mp3");
    std::string target;
    FView.OnCall = [&](const std::string& call) {
        if (call == "SetStatusInfo:a.mp3")
            target = FView.Entries.front()->TargetPath;
    };
    ConversionRun run(FView);
    ConvertAll(run);
    EXPECT_EQ(target, FOut.Path().string() + "/a.wav");
    EXPECT_TRUE(TargetExists("a.wav"));
}

TEST_F(ConversionRunTest, EntryAddedDuringTheRunIsConvertedInTheSameRun) {
    AddSource("a.mp3");
    const auto late = MakeSource("late.ogg");
    FView.OnCall = [&](const std::string& call) {
        if (call == "SelectAndFocus:a.mp3")
            FView.AddEntry(late);
    };
    ConversionRun run(FView);
    ConvertAll(run);
    EXPECT_THAT(FView.Entries, IsEmpty());
    EXPECT_TRUE(TargetExists("late.wav"));
}

// --- Stop ----------------------------------------------------------------------------------

TEST_F(ConversionRunTest, StopDuringAFileKeepsItsEntryAndItsShorterFile) {
    AddSource("long.mp3", 10.0); // more than two blocks of decoded data
    AddSource("b.mp3");
    FView.OnCall = [&](const std::string& call) {
        if (call.starts_with("SetTotalProgress:"))
            FView.Stop = true;
    };
    ConversionRun run(FView);
    ConvertAll(run, Pace::Held);
    EXPECT_THAT(FView.EntryNames(), ElementsAre("long.mp3", "b.mp3"));
    const WavFile wav = ReadWavFile(FOut.File("long.wav"));
    EXPECT_EQ(wav.DataSize, 800000u);
    EXPECT_EQ(wav.RiffSize, wav.FileSize - 8);
    EXPECT_FALSE(TargetExists("b.wav"));
    const auto steps = FView.RunSteps();
    EXPECT_THAT(std::vector<std::string>(steps.end() - 2, steps.end()),
                ElementsAre("UpdateStatus", "EndConversionState"));
}

TEST_F(ConversionRunTest, StopBetweenFilesEndsTheRunBeforeTheNextFile) {
    AddSource("a.mp3");
    AddSource("b.mp3");
    AddSource("c.mp3");
    FView.OnCall = [&](const std::string& call) {
        if (call == "SelectAndFocus:b.mp3")
            FView.Stop = true;
    };
    ConversionRun run(FView);
    ConvertAll(run, Pace::Held);
    EXPECT_THAT(FView.EntryNames(), ElementsAre("b.mp3", "c.mp3"));
    EXPECT_TRUE(TargetExists("a.wav"));
    EXPECT_FALSE(TargetExists("b.wav"));
}

TEST_F(ConversionRunTest, StopRequestedBeforeTheRunIsCleared) {
    AddSource("a.mp3");
    FView.Stop = true;
    ConversionRun run(FView);
    ConvertAll(run);
    EXPECT_THAT(FView.Entries, IsEmpty());
    EXPECT_TRUE(TargetExists("a.wav"));
}

// --- Errors --------------------------------------------------------------------------------

TEST_F(ConversionRunTest, UncreatableTargetEndsTheRunAndKeepsTheEntries) {
    std::filesystem::create_directory(FOut.File("a.wav"));
    AddSource("a.mp3");
    AddSource("b.mp3");
    ConversionRun run(FView);
    const std::string message = ConvertAllExpectingError(run);
    EXPECT_EQ(message, "Cannot create file \"" + FOut.File("a.wav").string() + "\". " +
                           std::strerror(EISDIR));
    EXPECT_THAT(FView.EntryNames(), ElementsAre("a.mp3", "b.mp3"));
    EXPECT_FALSE(TargetExists("b.wav"));
    const auto steps = FView.RunSteps();
    EXPECT_THAT(std::vector<std::string>(steps.end() - 2, steps.end()),
                ElementsAre("UpdateStatus", "EndConversionState"));
}

TEST_F(ConversionRunTest, VanishedSourceEndsTheRunAsNotLoaded) {
    std::filesystem::remove(AddSource("a.mp3").SourcePath);
    AddSource("b.mp3");
    ConversionRun run(FView);
    EXPECT_EQ(ConvertAllExpectingError(run), kSampleNotLoaded);
    EXPECT_THAT(FView.EntryNames(), ElementsAre("a.mp3", "b.mp3"));
    EXPECT_FALSE(TargetExists("a.wav"));
    EXPECT_EQ(FView.Log.back(), "EndConversionState");
}

struct RunFaultCase {
    const char* Name;
    // Sets up the fault, at the start or once the first block is written.
    std::function<void(FaultyFileIo&, const std::filesystem::path& source)> Arm;
    bool ArmMidFile;
    std::string Message; // a part of the message
};

TEST_F(ConversionRunTest, FailureAtAnyStepKeepsTheEntryAndLeavesNoFile) {
    const auto target = FOut.File("a.wav");
    const auto source = FIn.File("a.mp3");
    const RunFaultCase cases[] = {
        {"header", [](FaultyFileIo& io, auto&) { io.Fail(IoCall::Write, 0, ENOSPC); }, false,
         StreamWriteErrorMessage(target, ENOSPC)},
        {"data block, short write",
         [](FaultyFileIo& io, auto&) { io.Fail(IoCall::Write, 0, ENOSPC, true); }, true,
         StreamWriteErrorMessage(target, ENOSPC)},
        {"size patch", [](FaultyFileIo& io, auto&) { io.Fail(IoCall::WriteAt, 0, ENOSPC); }, false,
         StreamWriteErrorMessage(target, ENOSPC)},
        {"rename", [](FaultyFileIo& io, auto&) { io.Fail(IoCall::Rename, 0, EACCES); }, false,
         CannotCreateFileMessage(target, EACCES)},
        {"source read", [](FaultyFileIo& io, auto&) { io.Fail(IoCall::Read, 0, EIO); }, true,
         "\"" + source.string() + "\""},
        {"source truncated",
         [](FaultyFileIo&, auto& path) { std::filesystem::resize_file(path, 1000); }, true,
         "\"" + source.string() + "\""},
    };
    for (const RunFaultCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ClearTargets();
        AddSource("a.mp3", 10.0);
        AddSource("b.mp3");
        std::string message;
        {
            FaultyFileIo io;
            if (!c.ArmMidFile)
                c.Arm(io, source);
            bool armed = !c.ArmMidFile;
            FView.OnCall = [&](const std::string& call) {
                if (!armed && call.starts_with("SetTotalProgress:")) {
                    armed = true;
                    c.Arm(io, source);
                }
            };
            ConversionRun run(FView);
            message = ConvertAllExpectingError(run, Pace::Held);
        }
        EXPECT_THAT(message, HasSubstr(c.Message));
        EXPECT_THAT(FileNames(FOut.Path()), IsEmpty());
        ExpectNothingLostAndANextRunWorks({"a.mp3", "b.mp3"}, {"a.mp3"});
    }
}

TEST_F(ConversionRunTest, StopAtAnyStepKeepsTheEntryAndOnlyWholeFiles) {
    for (const std::string moment :
         {"SelectAndFocus:a.mp3", "SetTotalProgress:", "SetStatusText:Closing file ..."}) {
        SCOPED_TRACE(moment);
        ClearTargets();
        AddSource("a.mp3", 10.0);
        AddSource("b.mp3");
        FView.OnCall = [&](const std::string& call) {
            if (call.starts_with(moment))
                FView.Stop = true;
        };
        ConversionRun run(FView);
        ConvertAll(run, Pace::Held);
        EXPECT_FALSE(TargetExists("b.wav"));
        ExpectNothingLostAndANextRunWorks({"a.mp3", "b.mp3"}, {});
    }
}

TEST_F(ConversionRunTest, SourceRemovedMidFileIsStillConvertedWhole) {
    const auto source = AddSource("a.mp3", 10.0).SourcePath;
    const std::vector<std::byte> decoded = DecodeAll(source);
    FView.OnCall = [&](const std::string& call) {
        if (call.starts_with("SetTotalProgress:"))
            std::filesystem::remove(source);
    };
    ConversionRun run(FView);
    ConvertAll(run, Pace::Held);
    EXPECT_THAT(FView.Entries, IsEmpty());
    EXPECT_TRUE(ReadWavFile(FOut.File("a.wav")).Samples == decoded);
}

TEST_F(ConversionRunTest, FullFileSystemKeepsTheEntryAndLeavesNoFile) {
    AddSource("a.mp3", 10.0);
    std::string message;
    {
        const FileSizeLimit limit(100000);
        ConversionRun run(FView);
        message = ConvertAllExpectingError(run);
    }
    EXPECT_EQ(message, StreamWriteErrorMessage(FOut.File("a.wav"), EFBIG));
    EXPECT_THAT(FileNames(FOut.Path()), IsEmpty());
    ExpectNothingLostAndANextRunWorks({"a.mp3"}, {});
}

TEST_F(ConversionRunTest, Mp3CutShortOfItsInfoTagLengthKeepsTheEntryAndLeavesNoFile) {
    const auto source = FIn.File("cut.mp3");
    EncodeMp3(source, {44100, 2, 3.0}, {.infoTag = true});
    std::filesystem::resize_file(source, std::filesystem::file_size(source) / 2);
    FView.AddEntry(source);
    ConversionRun run(FView);
    EXPECT_THAT(ConvertAllExpectingError(run),
                HasSubstr("The file \"" + source.string() + "\" ends early: only 00:01 of 00:03"));
    EXPECT_THAT(FView.EntryNames(), ElementsAre("cut.mp3"));
    EXPECT_THAT(FileNames(FOut.Path()), IsEmpty());
}

// --- Names ---------------------------------------------------------------------------------

TEST_F(ConversionRunTest, SourcesOfTheSameNameInOneRunGetNumberedFiles) {
    const auto mp3 = MakeSource("song.mp3");
    const auto ogg = MakeSource("song.ogg");
    FView.AddEntry(mp3);
    FView.AddEntry(ogg);
    ConversionRun run(FView);
    ConvertAll(run);
    EXPECT_THAT(FileNames(FOut.Path()), ElementsAre("song (2).wav", "song.wav"));
    EXPECT_TRUE(ReadWavFile(FOut.File("song.wav")).Samples == DecodeAll(mp3));
    EXPECT_TRUE(ReadWavFile(FOut.File("song (2).wav")).Samples == DecodeAll(ogg));
}

TEST_F(ConversionRunTest, LaterRunOfTheWindowNeverReplacesWhatAnEarlierOneWrote) {
    std::filesystem::create_directories(FIn.File("album2"));
    const auto first = MakeSource("intro.mp3");
    const auto second = FIn.File("album2/intro.ogg");
    EncodeOgg(second, {44100, 1, 0.3});
    std::ofstream(FOut.File("old.wav")) << "there before";
    TargetNames names;
    // The first source again: its own file is replaced, no third one made.
    for (const auto& source : {first, second, first}) {
        FView.AddEntry(source);
        ConversionRun run(FView, &names);
        ConvertAll(run);
    }
    EXPECT_THAT(FileNames(FOut.Path()), ElementsAre("intro (2).wav", "intro.wav", "old.wav"));
    EXPECT_TRUE(ReadWavFile(FOut.File("intro.wav")).Samples == DecodeAll(first));
}

TEST_F(ConversionRunTest, SourceNamedAsItsTargetIsRefusedAndKept) {
    const auto source = MakeSource("song.mp3");
    std::filesystem::copy_file(source, FOut.File("song.wav"));
    const auto size = std::filesystem::file_size(source);
    FView.AddEntry(FOut.File("song.wav"));
    ConversionRun run(FView);
    EXPECT_EQ(ConvertAllExpectingError(run), TargetIsSourceMessage(FOut.File("song.wav")));
    EXPECT_EQ(std::filesystem::file_size(FOut.File("song.wav")), size);
}

TEST_F(ConversionRunTest, LinkAtTheTargetNameIsReplacedNotWrittenThrough) {
    const auto source = MakeSource("song.mp3");
    const auto elsewhere = FIn.File("elsewhere.bin");
    WriteBytes(elsewhere, 100, 'x');
    for (const auto& pointee : {elsewhere, source}) {
        SCOPED_TRACE(pointee.string());
        const auto before = std::filesystem::file_size(pointee);
        std::filesystem::remove(FOut.File("song.wav"));
        std::filesystem::create_symlink(pointee, FOut.File("song.wav"));
        FView.AddEntry(source);
        ConversionRun run(FView);
        ConvertAll(run);
        EXPECT_FALSE(std::filesystem::is_symlink(FOut.File("song.wav")));
        EXPECT_TRUE(ReadWavFile(FOut.File("song.wav")).Samples == DecodeAll(source));
        EXPECT_EQ(std::filesystem::file_size(pointee), before);
    }
}

// --- Several jobs --------------------------------------------------------------------------

TEST_F(ConversionRunTest, SeveralJobsWriteTheBytesOfOneAndTheSelectionMovesDownTheList) {
    std::vector<std::filesystem::path> sources;
    for (const char* name : {"a.mp3", "b.ogg", "c.mp3", "d.ogg", "e.mp3"})
        sources.push_back(MakeSource(name, false, 2.0));
    std::vector<std::vector<std::byte>> oneJob;
    for (const unsigned jobs : {1u, 2u, 3u}) {
        SCOPED_TRACE(jobs);
        ClearTargets();
        FView.Log.clear();
        for (const auto& source : sources)
            FView.AddEntry(source);
        ConversionRun run(FView, nullptr, jobs);
        ConvertAll(run);
        EXPECT_THAT(FView.Entries, IsEmpty());
        const std::vector<std::string> selected = CallsAfter(FView.Log, "SelectAndFocus:");
        EXPECT_TRUE(std::is_sorted(selected.begin(), selected.end()));
        EXPECT_EQ(CallsAfter(FView.Log, "RemoveEntry:").size(), sources.size());
        for (std::size_t i = 0; i < sources.size(); ++i) {
            const auto wav = FOut.File(sources[i].stem().string() + ".wav");
            const std::vector<std::byte> bytes = ReadWavFile(wav).Samples;
            if (jobs == 1)
                oneJob.push_back(bytes);
            else
                EXPECT_TRUE(bytes == oneJob[i]) << wav;
        }
    }
}

// Files in flight that did not end whole keep their entries; those that did have left.
void ExpectEntriesOfUnfinishedFiles(const RecordingRunView& view, const TempDir& out,
                                    const std::vector<std::string>& names) {
    std::vector<std::string> expected;
    for (const std::string& name : names) {
        const auto wav = out.File(std::filesystem::path(name).stem().string() + ".wav");
        if (!std::filesystem::exists(wav))
            expected.push_back(name);
    }
    EXPECT_THAT(view.EntryNames(), ::testing::IsSupersetOf(expected));
    for (const std::string& name : FileNames(out.Path()))
        EXPECT_FALSE(name.starts_with(".")) << name;
}

TEST_F(ConversionRunTest, StopWithSeveralFilesInFlightKeepsTheTopmostShorterAndAbandonsTheRest) {
    AddSource("a.mp3", 10.0);
    AddSource("b.mp3", 30.0);
    AddSource("c.mp3", 10.0);
    std::string shown;
    FView.OnCall = [&](const std::string& call) {
        if (call.starts_with("SelectAndFocus:"))
            shown = call;
        if (call.starts_with("SetFileProgress:") && shown == "SelectAndFocus:a.mp3")
            FView.Stop = true;
    };
    ConversionRun run(FView, nullptr, 2);
    ConvertAll(run, Pace::Held);
    const WavFile wav = ReadWavFile(FOut.File("a.wav"));
    EXPECT_EQ(wav.DataSize, wav.FileSize - 44);
    EXPECT_LT(wav.DataSize, FrameCount({44100, 2, 10.0}) * 4);
    EXPECT_THAT(FView.EntryNames(), ElementsAre("a.mp3", "b.mp3", "c.mp3"));
    EXPECT_THAT(FileNames(FOut.Path()), ElementsAre("a.wav"));
}

TEST_F(ConversionRunTest, AnErrorWithSeveralFilesInFlightEndsTheRunAndKeepsUnfinishedEntries) {
    AddSource("a.mp3", 30.0);
    std::filesystem::remove(AddSource("b.mp3").SourcePath);
    AddSource("c.mp3");
    AddSource("d.mp3");
    ConversionRun run(FView, nullptr, 2);
    EXPECT_EQ(ConvertAllExpectingError(run), kSampleNotLoaded);
    ExpectEntriesOfUnfinishedFiles(FView, FOut, {"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
    EXPECT_THAT(FView.EntryNames(), ::testing::Contains("b.mp3"));
    EXPECT_EQ(FView.Log.back(), "EndConversionState");
}

TEST_F(ConversionRunTest, EntriesAddedDuringARunOfSeveralJobsJoinIt) {
    AddSource("a.mp3", 5.0);
    AddSource("b.mp3", 5.0);
    const auto late = MakeSource("late.ogg");
    ConversionRun run(FView, nullptr, 2);
    FView.OnCall = [&](const std::string& call) {
        if (call == "SelectAndFocus:a.mp3") {
            FView.AddEntry(late);
            run.EntriesAdded();
        }
    };
    ConvertAll(run);
    EXPECT_THAT(FView.Entries, IsEmpty());
    EXPECT_THAT(FileNames(FOut.Path()), ElementsAre("a.wav", "b.wav", "late.wav"));
}

// --- Total progress ------------------------------------------------------------------------

TEST_F(ConversionRunTest, TotalBarFollowsTheProjectedTotal) {
    const auto source = MakeSource("a.ogg");
    FView.AddEntry(source);
    const double bytes = static_cast<double>(FrameCount({44100, 1, 0.3}) * 2);
    FView.ProjectedTotal = 4 * bytes;
    ConversionRun run(FView);
    ConvertAll(run);
    EXPECT_EQ(run.BytesDone(), static_cast<std::int64_t>(bytes));
    const std::vector<int> percents = FView.TotalPercents();
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 25);
}

TEST_F(ConversionRunTest, ZeroProjectedTotalKeepsTheBarWithinRange) {
    AddSource("a.mp3");
    AddSource("b.mp3");
    FView.ProjectedTotal = 0;
    ConversionRun run(FView);
    ConvertAll(run);
    EXPECT_THAT(FView.Entries, IsEmpty());
    const std::vector<int> percents = FView.TotalPercents();
    EXPECT_FALSE(percents.empty());
    EXPECT_THAT(percents, Each(AllOf(Ge(0), Le(100))));
}

TEST_F(ConversionRunTest, TotalProgressCountsBeyondThirtyTwoBits) {
    FView.ProjectedTotal = 6e9;
    ConversionRun run(FView);
    ConvertAll(run); // an empty list: only the counters are set
    run.AddTotalProgress(3'000'000'000);
    EXPECT_EQ(FView.Log.back(), "SetTotalProgress:50");
    run.AddTotalProgress(3'000'000'000);
    EXPECT_EQ(FView.Log.back(), "SetTotalProgress:100");
    EXPECT_EQ(run.BytesDone(), 6'000'000'000);
}

TEST(TruncatedTotalTest, TruncatesTowardZeroAndRefusesWhatIsNoByteCount) {
    EXPECT_EQ(TruncatedTotal(1234.9), 1234);
    EXPECT_EQ(TruncatedTotal(5e9), 5'000'000'000);
    EXPECT_EQ(TruncatedTotal(-3.0), 0);
    EXPECT_EQ(TruncatedTotal(1e300), 0);
}

} // namespace
} // namespace zent::test
