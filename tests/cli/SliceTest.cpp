#include "cli/BatchRunner.h"
#include "convert/ConversionRun.h"
#include "convert/SlicePlan.h"
#include "decode/Decoder.h"
#include "tests/cli/StopAfterFirstRead.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <mutex>
#include <utility>

namespace zent::cli {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Stereo frames whose bytes depend on their position, seekable to any frame.
// Its stated length may differ from what it delivers; it may throw on reaching a frame.
struct PatternSpec {
    std::int64_t Frames = 0;
    std::int64_t FailAt = -1;
    std::int64_t StatedFrames = -1; // -1: Frames
    bool Seeks = true;
    std::function<void()> BeforeFirstRead = nullptr;
    std::int64_t StallAt = -1; // from here on active but without data
};

class PatternStream final : public DecoderStream {
public:
    static constexpr int kChannels = 2;
    static constexpr int kFrameBytes = 4;

    explicit PatternStream(const PatternSpec& layout)
        : FFrames(layout.Frames), FFailAt(layout.FailAt),
          FStated(layout.StatedFrames < 0 ? layout.Frames : layout.StatedFrames),
          FSeeks(layout.Seeks), FBeforeFirstRead(layout.BeforeFirstRead), FStallAt(layout.StallAt) {
    }
    int Channels() const override { return kChannels; }
    int SampleRate() const override { return 8000; }
    std::int64_t LengthBytes() const override { return FStated * kFrameBytes; }
    bool IsActive() const override { return FPosition < FFrames * kFrameBytes; }
    std::int64_t CodecFrameFrames() const override { return 1152; }
    bool CanSeekExactly() const override { return FSeeks; }
    void SeekToFrame(std::int64_t frame) override { FPosition = frame * kFrameBytes; }
    ReadResult Read(std::span<std::byte> buffer) override {
        if (FBeforeFirstRead)
            std::exchange(FBeforeFirstRead, nullptr)();
        std::int64_t end = std::min<std::int64_t>(
            FPosition + static_cast<std::int64_t>(buffer.size()), FFrames * kFrameBytes);
        if (FStallAt >= 0)
            end = std::min(end, FStallAt * kFrameBytes);
        end = std::max(end, FPosition);
        if (FFailAt >= 0 && end > FFailAt * kFrameBytes)
            throw EDecoderError("broken at the chosen frame");
        const std::int64_t count = end - FPosition;
        for (std::int64_t i = 0; i < count; ++i)
            buffer[static_cast<std::size_t>(i)] =
                static_cast<std::byte>((FPosition + i) * 7 + (FPosition + i) / 251);
        FPosition = end;
        return ReadResult::Of(static_cast<std::size_t>(count), !IsActive());
    }

private:
    std::int64_t FFrames;
    std::int64_t FFailAt;
    std::int64_t FStated;
    bool FSeeks;
    std::function<void()> FBeforeFirstRead;
    std::int64_t FStallAt;
    std::int64_t FPosition = 0;
};

class Quiet : public BatchObserver {
public:
    void FileFinished(const FileRecord&) override {}
};

struct SplitRun {
    FileReport Result;
    std::string Bytes;
    std::vector<std::string> Names;
};

// Converts one source through the batch with the slices given (none: the automatic plan).
SplitRun Convert(const fs::path& source, const std::vector<Slice>& slices,
                 EngineSettings settings = {}, std::atomic<bool>* stopAtFirstBlock = nullptr) {
    test::TempDir out;
    settings.Jobs = std::max<unsigned>(settings.Jobs, 4);
    if (!slices.empty())
        settings.PlanSlices = [&](const DecoderStream&, const SliceContext&) {
            return slices;
        };
    std::atomic<bool> stop{false};
    if (stopAtFirstBlock && settings.OpenStream)
        settings.OpenStream = [&, open = settings.OpenStream](const fs::path& path) {
            return std::make_unique<StopAfterFirstRead>(open(path), stop);
        };
    Quiet observer;
    BatchProgress progress;
    const std::vector<FileJob> jobs = {{source.string(), (out.Path() / "x.wav").string(), false}};
    SplitRun run;
    const FileRecord record = RunBatch(jobs, std::move(settings), stop, progress, observer)[0];
    EXPECT_TRUE(record.Report) << "never started";
    run.Result = record.Report.value_or(FileReport{});
    run.Bytes = ReadFile(out.Path() / "x.wav");
    run.Names = Names(out.Path());
    return run;
}

EngineSettings PatternSettings(const PatternSpec& layout) {
    EngineSettings settings;
    settings.OpenStream = [=](const fs::path&) {
        return std::make_unique<PatternStream>(layout);
    };
    return settings;
}

TEST(Slices, PlanCutsOnlyWhenJobsWouldWaitAndTheDecoderSeeksExactly) {
    const std::int64_t minute = 60 * 8000;
    struct Case {
        const char* Name;
        std::int64_t Frames;
        bool Seeks;
        SliceContext Context;
        std::size_t Slices;
    };
    const std::vector<Case> cases = {
        {"last file, idle jobs", minute, true, {4, 0, 0}, 4},
        {"one job", minute, true, {1, 0, 0}, 1},
        {"decoder cannot seek exactly", minute, false, {4, 0, 0}, 1},
        {"too short for two slices", 7 * 8000, true, {4, 0, 0}, 1},
        {"long enough for two of four", 9 * 8000, true, {4, 0, 0}, 2},
        {"every job still busy", minute, true, {4, 10, minute}, 1},
        {"far longer than the rest", minute, true, {4, 10, minute / 5}, 4},
        {"two jobs, one other file waits", minute, true, {2, 1, minute}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const PatternStream stream({c.Frames, -1, -1, c.Seeks});
        const std::vector<Slice> slices = PlanSlices(stream, c.Context);
        EXPECT_EQ(slices.size(), c.Slices);
        std::int64_t next = 0;
        for (const Slice& slice : slices) {
            EXPECT_EQ(slice.First, next);
            next += slice.Count;
        }
        EXPECT_EQ(next, c.Frames);
    }
}

TEST(Slices, AFileWhoseDataAreHashedInOrderHasAShorterFirstSlice) {
    test::TempDir dir;
    const fs::path source = dir.File("long.flac");
    test::FlacParams params;
    params.tone = {8000, 1, 60.0};
    test::EncodeFlac(source, params);
    const std::int64_t frames = 60 * 8000;
    const std::int64_t minimum = static_cast<std::int64_t>(kMinSliceSeconds * 8000);
    // The first job hashes everything as well: a third of the file on two jobs, the least a
    // slice may be on four (hashing takes all the first job's time there).
    for (const auto& [jobs, first] : {std::pair{2u, frames / 3}, std::pair{4u, minimum}}) {
        const std::unique_ptr<DecoderStream> stream = OpenDecoderStream(source, SampleKind::Source);
        const std::vector<Slice> slices = PlanSlices(*stream, {jobs, 0, 0});
        ASSERT_EQ(slices.size(), jobs);
        EXPECT_EQ(slices.front(), (Slice{0, first}));
        EXPECT_EQ(slices.back().First + slices.back().Count, frames);
        for (std::size_t i = 2; i < slices.size(); ++i)
            EXPECT_LE(std::abs(slices[i].Count - slices[1].Count), 1);
    }
}

TEST(Slices, AnyCutOfAFlacFileGivesTheBytesOfOnePieceAndIsChecked) {
    test::TempDir dir;
    test::FlacParams params;
    params.tone = {44100, 2, 8.0};
    params.bits = 24;
    test::EncodeFlac(dir.File("clean.flac"), params);
    fs::copy_file(dir.File("clean.flac"), dir.File("damaged.flac"));
    // STREAMINFO's last byte is the checksum's last.
    std::string bytes = ReadFile(dir.File("damaged.flac"));
    bytes[8 + 33] ^= 0x01;
    std::ofstream(dir.File("damaged.flac"), std::ios::binary) << bytes;
    const std::int64_t frames = 8 * 44100;
    // Cuts whose slices all run at once, and more slices than jobs, some of which wait.
    const std::vector<std::vector<Slice>> cuts = {
        EvenSlices(frames, 2), SlicesAfterFirst(frames, 1000, 4), EvenSlices(frames, 9)};
    for (const char* name : {"clean.flac", "damaged.flac"}) {
        const bool damaged = std::string(name) == "damaged.flac";
        const SplitRun whole = Convert(dir.File(name), {{0, frames}});
        ASSERT_EQ(whole.Result.Outcome, FileOutcome::Converted);
        EXPECT_EQ(whole.Result.Warnings.empty(), !damaged);
        for (const auto& cut : cuts) {
            SCOPED_TRACE(std::string(name) + " in " + std::to_string(cut.size()));
            const SplitRun split = Convert(dir.File(name), cut);
            EXPECT_EQ(split.Result.Outcome, FileOutcome::Converted);
            EXPECT_TRUE(split.Bytes == whole.Bytes);
            EXPECT_EQ(split.Result.Warnings, whole.Result.Warnings);
        }
    }
}

TEST(Slices, AnyCutGivesTheBytesOfOnePiece) {
    test::TempDir dir;
    const std::int64_t frames = 300000;
    const SplitRun whole = Convert(dir.File("p"), {{0, frames}}, PatternSettings({frames}));
    ASSERT_EQ(whole.Result.Outcome, FileOutcome::Converted);
    ASSERT_EQ(whole.Bytes.size(), 44u + frames * 4);
    const std::vector<std::vector<Slice>> cuts = {
        EvenSlices(frames, 2),
        EvenSlices(frames, 7),
        // Ends beyond the stated length count for the last slice only.
        {{0, 1}, {1, 199999}, {200000, 1}},
        {{0, 150000}, {150000, 1000}},
    };
    for (const auto& cut : cuts) {
        const SplitRun split = Convert(dir.File("p"), cut, PatternSettings({frames}));
        EXPECT_EQ(split.Result.Outcome, FileOutcome::Converted);
        EXPECT_EQ(split.Result.Frames, frames);
        EXPECT_TRUE(split.Bytes == whole.Bytes) << cut.size() << " slices";
        EXPECT_EQ(split.Names, std::vector<std::string>{"x.wav"});
    }
    // Left to the plan, one file on four jobs goes to four slices decoded side by side: the
    // first slice reads only once another job has opened a decoder of its own.
    std::mutex mutex;
    std::condition_variable opening;
    int opened = 0;
    bool sideBySide = false;
    EngineSettings counting;
    counting.OpenStream = [&](const fs::path&) {
        const std::lock_guard lock(mutex);
        ++opened;
        opening.notify_all();
        PatternSpec layout{frames};
        if (opened == 1) {
            layout.BeforeFirstRead = [&] {
                std::unique_lock wait(mutex);
                sideBySide =
                    opening.wait_for(wait, std::chrono::seconds(60), [&] { return opened > 1; });
            };
        }
        return std::make_unique<PatternStream>(layout);
    };
    EXPECT_TRUE(Convert(dir.File("p"), {}, counting).Bytes == whole.Bytes);
    EXPECT_EQ(opened, 4);
    EXPECT_TRUE(sideBySide);
}

TEST(Slices, FailureOrStopInOneSliceLeavesNothing) {
    test::TempDir dir;
    const std::int64_t frames = 400000;
    const std::vector<Slice> cut = EvenSlices(frames, 4);
    const SplitRun failed = Convert(dir.File("p"), cut, PatternSettings({frames, 250000}));
    EXPECT_EQ(failed.Result.Outcome, FileOutcome::Failed);
    EXPECT_EQ(failed.Result.Message, "broken at the chosen frame");
    EXPECT_TRUE(failed.Names.empty());

    std::atomic<bool> stopMarker{false};
    const SplitRun stopped = Convert(dir.File("p"), cut, PatternSettings({frames}), &stopMarker);
    EXPECT_EQ(stopped.Result.Outcome, FileOutcome::Abandoned);
    EXPECT_TRUE(stopped.Names.empty());

    // A source that gives less than its length fails as a whole file does.
    const SplitRun shortRun =
        Convert(dir.File("p"), EvenSlices(200000, 3), PatternSettings({100000, -1, 200000}));
    EXPECT_EQ(shortRun.Result.Outcome, FileOutcome::Failed);
    EXPECT_NE(shortRun.Result.Message.find("ends early"), std::string::npos);
    EXPECT_TRUE(shortRun.Names.empty());

    // A middle slice whose stream stays active without data fails instead of spinning.
    PatternSpec stalling{frames};
    stalling.StallAt = 150000;
    const SplitRun stuck = Convert(dir.File("p"), cut, PatternSettings(stalling));
    EXPECT_EQ(stuck.Result.Outcome, FileOutcome::Failed);
    EXPECT_NE(stuck.Result.Message.find("stopped delivering data"), std::string::npos);
    EXPECT_TRUE(stuck.Names.empty());
}

TEST(Slices, EndMayFallShortOfTheLengthByOneCodecFrameAtMost) {
    test::TempDir dir;
    const std::int64_t stated = 200000;
    const std::int64_t codecFrame = 1152; // PatternStream's
    struct Case {
        std::int64_t Delivered;
        FileOutcome Outcome;
    };
    for (const Case& c : {Case{stated - codecFrame, FileOutcome::Converted},
                          Case{stated - codecFrame - 1, FileOutcome::Failed}}) {
        SCOPED_TRACE(c.Delivered);
        const SplitRun run = Convert(dir.File("p"), EvenSlices(c.Delivered, 3),
                                     PatternSettings({c.Delivered, -1, stated}));
        EXPECT_EQ(run.Result.Outcome, c.Outcome);
        EXPECT_EQ(run.Names.size(), c.Outcome == FileOutcome::Converted ? 1u : 0u);
    }
}

// Stops the engine, keeping file 0, once it has written its first block.
class StopAtFirstBlock final : public EngineObserver {
public:
    ConversionEngine* Engine = nullptr;
    FileReport Report;
    void FileStarted(FileId) override {}
    void BytesWritten(FileId, std::int64_t, std::int64_t, std::int64_t) override {
        if (!FStopped.exchange(true))
            Engine->Stop(FileId{0});
    }
    void FileEnded(const FileReport& report) override { Report = report; }

private:
    std::atomic<bool> FStopped{false};
};

TEST(Slices, AStopKeepingTheFileLeavesTheWholeSlicesFromTheStartAsAValidShorterFile) {
    test::TempDir dir;
    const std::int64_t frames = 400000;
    const std::string whole =
        Convert(dir.File("p"), {{0, frames}}, PatternSettings({frames})).Bytes;
    const EngineSettings pattern = PatternSettings({frames});
    StopAtFirstBlock observer;
    EngineProgress progress;
    EngineSettings settings;
    settings.Jobs = 4;
    settings.OpenStream = pattern.OpenStream;
    settings.PlanSlices = [](const DecoderStream&, const SliceContext&) {
        return EvenSlices(400000, 4);
    };
    {
        ConversionEngine engine(std::move(settings), observer, progress);
        observer.Engine = &engine;
        engine.Add({"p", dir.File("x.wav").string(), false});
        engine.Close();
        engine.Run();
    }
    const std::string kept = ReadFile(dir.File("x.wav"));
    EXPECT_EQ(observer.Report.Outcome, FileOutcome::Stopped);
    // Only what is in place from the start counts: maybe nothing, if the first slice had not
    // begun yet.
    ASSERT_GE(kept.size(), 44u);
    EXPECT_LT(kept.size(), whole.size());
    EXPECT_EQ(observer.Report.Frames, static_cast<std::int64_t>(kept.size() - 44) / 4);
    EXPECT_EQ(kept.substr(44), whole.substr(44, kept.size() - 44));
    const auto dataSize = [&] {
        std::uint32_t size = 0;
        for (int i = 3; i >= 0; --i)
            size = size << 8 | static_cast<unsigned char>(kept[40 + static_cast<std::size_t>(i)]);
        return size;
    };
    EXPECT_EQ(dataSize(), kept.size() - 44);
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"x.wav"}));
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

void Concatenate(const fs::path& target, const std::vector<fs::path>& parts) {
    std::ofstream out(target, std::ios::binary);
    for (const fs::path& part : parts)
        out << ReadFile(part);
}

TEST(Slices, AnotherFormatAndChannelCountCutGiveTheBytesOfOnePiece) {
    test::TempDir dir;
    const fs::path source = dir.File("cbr.mp3");
    test::EncodeMp3(source, {44100, 2, 3.0});
    EngineSettings settings;
    settings.Output = {SampleFormat::S24, 0, 1, true};
    const SplitRun whole = Convert(source, {}, settings);
    ASSERT_EQ(whole.Result.Outcome, FileOutcome::Converted) << whole.Result.Message;
    const SplitRun cut = Convert(source, EvenSlices(whole.Result.Frames, 3), settings);
    EXPECT_EQ(cut.Result.Outcome, FileOutcome::Converted) << cut.Result.Message;
    EXPECT_EQ(cut.Bytes, whole.Bytes);
    EXPECT_EQ(cut.Names, whole.Names);
}

TEST(Slices, RealDecodersCutOnAndOffCodecFramesGiveTheBytesOfOnePiece) {
    test::TempDir dir;
    struct Layout {
        std::string Name;
        std::function<void(const fs::path&)> Make;
        bool Seeks = true; // libmpg123 seeks MPEG-2 and mono layer III only nearly exactly
    };
    const std::vector<Layout> layouts = {
        {"cbr.mp3",
         [](const fs::path& f) {
             test::EncodeMp3(f, {44100, 2, 3.0});
         }},
        {"vbr.mp3",
         [](const fs::path& f) {
             test::EncodeMp3(f, {44100, 2, 3.0}, {true, true});
         }},
        {"cbr-untagged.mp3",
         [](const fs::path& f) {
             test::EncodeMp3(f, {44100, 2, 3.0}, {false, false});
         }},
        {"vbr-untagged.mp3",
         [](const fs::path& f) {
             test::EncodeMp3(f, {44100, 2, 3.0}, {true, false});
         }},
        {"mono22050.mp3",
         [](const fs::path& f) {
             test::EncodeMp3(f, {22050, 1, 3.0}, {false, true, 64});
         },
         false},
        {"mono44100.mp3",
         [](const fs::path& f) {
             test::EncodeMp3(f, {44100, 1, 9.0});
         },
         false},
        {"stereo22050.mp3",
         [](const fs::path& f) {
             test::EncodeMp3(f, {22050, 2, 3.0});
         },
         false},
        {"stereo48000.mp3",
         [](const fs::path& f) {
             test::EncodeMp3(f, {48000, 2, 3.0});
         }},
        {"mono.ogg",
         [](const fs::path& f) {
             test::EncodeOgg(f, {44100, 1, 3.0});
         }},
        {"stereo.ogg",
         [](const fs::path& f) {
             test::EncodeOgg(f, {44100, 2, 3.0});
         }},
        {"six.ogg",
         [](const fs::path& f) {
             test::EncodeOgg(f, {48000, 6, 2.0});
         }},
        {"stereo.opus",
         [](const fs::path& f) {
             test::EncodeOpus(f, {48000, 2, 6.0});
         }},
        {"six.opus",
         [](const fs::path& f) {
             test::EncodeOpus(f, {48000, 6, 5.0}, "--bitrate 64");
         }},
        {"chained.ogg",
         [&](const fs::path& f) {
             test::EncodeOgg(dir.File("link1"), {44100, 2, 1.3});
             test::EncodeOgg(dir.File("link2"), {44100, 2, 1.7});
             Concatenate(f, {dir.File("link1"), dir.File("link2")});
         }},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.Name);
        const fs::path source = dir.File(layout.Name);
        layout.Make(source);
        const std::unique_ptr<DecoderStream> stream = OpenDecoderStream(source);
        ASSERT_TRUE(stream);
        const std::int64_t frames = stream->LengthBytes() / (2 * stream->Channels());
        const std::int64_t codec = stream->CodecFrameFrames();
        WindowConvert(source, dir.File("whole.wav"));
        const std::string whole = ReadFile(dir.File("whole.wav"));
        ASSERT_EQ(stream->CanSeekExactly(), layout.Seeks);
        if (!layout.Seeks) {
            // The automatic plan converts it in one piece, however idle the jobs.
            EXPECT_EQ(PlanSlices(*stream, {4, 0, 0}).size(), 1u);
            EXPECT_TRUE(Convert(source, {}).Bytes == whole);
            continue;
        }
        const std::vector<std::vector<Slice>> cuts = {
            EvenSlices(frames, 3),
            {{0, 5 * codec}, {5 * codec, 7 * codec}, {12 * codec, frames - 12 * codec}},
            {{0, 1}, {1, 5 * codec + 1}, {5 * codec + 2, frames - 5 * codec - 2}},
            {{0, frames - codec - 7}, {frames - codec - 7, codec + 7}},
        };
        for (const auto& cut : cuts) {
            const SplitRun split = Convert(source, cut);
            EXPECT_EQ(split.Result.Outcome, FileOutcome::Converted) << split.Result.Message;
            EXPECT_TRUE(split.Bytes == whole) << "cut at " << cut[1].First;
        }
    }
}

} // namespace
} // namespace zent::cli
