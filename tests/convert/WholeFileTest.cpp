#include "convert/ConversionEngine.h"
#include "convert/OutputFile.h"
#include "convert/Progress.h"
#include "convert/WavFinish.h"
#include "filelist/FileList.h"
#include "framework/Errors.h"
#include "tests/convert/ConvertTestSupport.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace zent::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr std::size_t kBufferSize = 800000;

// One whole file through the engine, as the window converts it (blocks of 800000 bytes).
class WholeFileTest : public ::testing::Test {
protected:
    WholeFileTest() { FRun.Settings.BufferSize = kBufferSize; }

    std::filesystem::path Target() const { return FTemp.File("out.wav"); }

    FileReport Convert(FakeStream& stream) { return FRun.Convert(stream, Target()); }
    WavFile Write(FakeStream& stream) {
        const FileReport report = Convert(stream);
        EXPECT_EQ(report.Outcome, FileOutcome::Converted) << report.Message;
        return ReadWavFile(Target());
    }
    // The block events: "bytes:B done:D of:L".
    std::vector<std::string> Blocks() const { return CallsAfter(FRun.Events, "bytes:"); }
    // Stops the engine once fileDone reaches done; keep says whether the file stays.
    void StopAt(std::int64_t done, bool keep) {
        FRun.OnBytes = [=](ConversionEngine& engine, std::int64_t fileDone) {
            if (fileDone >= done) {
                if (keep)
                    engine.Stop(0);
                else
                    engine.Stop();
            }
        };
    }

    TempDir FTemp;
    EngineRun FRun;
};

// --- Header --------------------------------------------------------------------------------

TEST_F(WholeFileTest, StereoHeaderDescribesSixteenBitPcmAt44100) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000});
    const WavFile wav = Write(stream);
    EXPECT_EQ(wav.Riff, "RIFF");
    EXPECT_EQ(wav.Wave, "WAVE");
    EXPECT_EQ(wav.Fmt, "fmt ");
    EXPECT_EQ(wav.FmtSize, 16u);
    EXPECT_EQ(wav.FormatTag, 1u);
    EXPECT_EQ(wav.Channels, 2u);
    EXPECT_EQ(wav.SampleRate, 44100u);
    EXPECT_EQ(wav.ByteRate, 176400u);
    EXPECT_EQ(wav.BlockAlign, 4u);
    EXPECT_EQ(wav.BitsPerSample, 16u);
    EXPECT_EQ(wav.Data, "data");
    EXPECT_EQ(wav.DataSize, 4000u);
    EXPECT_EQ(wav.RiffSize, 4036u);
    EXPECT_EQ(wav.FileSize, 4044u);
}

struct FormatCase {
    const char* Name;
    std::uint16_t Channels;
    std::uint32_t SampleRate;
    std::uint16_t BitsPerSample;
    std::uint16_t BlockAlign;
    std::uint32_t ByteRate;
};

TEST_F(WholeFileTest, FormatFieldsFollowTheDecodedData) {
    const FormatCase cases[] = {
        {"mono", 1, 22050, 16, 2, 44100},
        {"six channels", 6, 48000, 16, 12, 576000},
        {"96000 Hz", 2, 96000, 16, 4, 384000},
        {"8 bits: block align is the channel count", 2, 11025, 8, 2, 22050},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.Name);
        FakeStream stream(c.Channels, static_cast<int>(c.SampleRate), c.BitsPerSample);
        stream.SetBlocks({std::size_t{c.BlockAlign} * 100});
        const WavFile wav = Write(stream);
        EXPECT_EQ(wav.Channels, c.Channels);
        EXPECT_EQ(wav.SampleRate, c.SampleRate);
        EXPECT_EQ(wav.BitsPerSample, c.BitsPerSample);
        EXPECT_EQ(wav.BlockAlign, c.BlockAlign);
        EXPECT_EQ(wav.ByteRate, c.ByteRate);
    }
}

// --- Data and status -----------------------------------------------------------------------

TEST_F(WholeFileTest, DataIsTheDecodedBytesUnchangedAndNothingAfter) {
    FakeStream stream(2, 44100);
    stream.SetContinuous(2 * kBufferSize + 1234 * 4);
    const WavFile wav = Write(stream);
    EXPECT_EQ(wav.Samples, PatternBytes(2 * kBufferSize + 1234 * 4));
    EXPECT_EQ(wav.DataSize, wav.FileSize - 44);
    EXPECT_EQ(wav.RiffSize, wav.FileSize - 8);
}

TEST_F(WholeFileTest, EachBlockIsCountedWithTheFilesProgress) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000, 4000});
    Write(stream);
    EXPECT_THAT(FRun.Events, ElementsAre("started", "bytes:4000 done:4000 of:8000",
                                         "bytes:4000 done:8000 of:8000", "ended"));
}

TEST_F(WholeFileTest, StreamWithoutDataGivesHeaderOnlyFile) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({});
    const WavFile wav = Write(stream);
    EXPECT_EQ(wav.FileSize, 44u);
    EXPECT_EQ(wav.RiffSize, 36u);
    EXPECT_EQ(wav.DataSize, 0u);
    EXPECT_THAT(FRun.Events, ElementsAre("started", "ended"));
}

TEST_F(WholeFileTest, EmptyBlocksAreNotCounted) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({0, 4000, 0, 0, 4000, 0});
    const WavFile wav = Write(stream);
    EXPECT_EQ(wav.DataSize, 8000u);
    EXPECT_THAT(Blocks(), ElementsAre("4000 done:4000 of:8000", "4000 done:8000 of:8000"));
}

TEST_F(WholeFileTest, DataBeyondTheAnnouncedLengthIsKept) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000, 4000});
    stream.SetLength(0);
    const WavFile wav = Write(stream);
    EXPECT_EQ(wav.DataSize, 8000u);
    EXPECT_THAT(Blocks(), ElementsAre("4000 done:4000 of:0", "4000 done:8000 of:0"));
}

TEST_F(WholeFileTest, BlocksHoldWholeFramesWhenTheBufferDoesNot) {
    FakeStream stream(6, 44100); // 12-byte frames; 800000 is not a multiple of 12
    stream.SetContinuous(3 * kBufferSize);
    StopAt(1, true);
    Convert(stream);
    const WavFile wav = ReadWavFile(Target());
    EXPECT_EQ(stream.RequestSizes().at(0), kBufferSize - kBufferSize % 12);
    EXPECT_EQ(wav.DataSize % 12, 0u);
    EXPECT_EQ(wav.DataSize, wav.FileSize - 44);
}

TEST_F(WholeFileTest, ExistingTargetIsOverwritten) {
    WriteBytes(Target(), 100000, 'x');
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000});
    const WavFile wav = Write(stream);
    EXPECT_EQ(wav.FileSize, 4044u);
    EXPECT_EQ(wav.Samples, PatternBytes(4000));
}

// --- Stop ----------------------------------------------------------------------------------

TEST_F(WholeFileTest, StopDuringFileLeavesValidShorterFile) {
    FakeStream stream(2, 44100);
    stream.SetContinuous(5 * kBufferSize);
    StopAt(2 * kBufferSize, true);
    EXPECT_EQ(Convert(stream).Outcome, FileOutcome::Stopped);
    const WavFile wav = ReadWavFile(Target());
    EXPECT_EQ(stream.ReadCount(), 2u);
    EXPECT_EQ(wav.FileSize, 44 + 2 * kBufferSize);
    EXPECT_EQ(wav.RiffSize, wav.FileSize - 8);
    EXPECT_EQ(wav.DataSize, wav.FileSize - 44);
    EXPECT_EQ(wav.Samples, PatternBytes(2 * kBufferSize));
    EXPECT_THAT(FileNames(FTemp.Path()), ElementsAre("out.wav"));
    EXPECT_EQ(FRun.BytesCounted(), static_cast<std::int64_t>(2 * kBufferSize));
}

TEST_F(WholeFileTest, StopThatKeepsNoFileLeavesTheTargetAsItWas) {
    WriteBytes(Target(), 100, 'x');
    FakeStream stream(2, 44100);
    stream.SetContinuous(5 * kBufferSize);
    StopAt(1, false);
    EXPECT_EQ(Convert(stream).Outcome, FileOutcome::Abandoned);
    EXPECT_THAT(FileNames(FTemp.Path()), ElementsAre("out.wav"));
    EXPECT_EQ(std::filesystem::file_size(Target()), 100u);
}

// --- Errors --------------------------------------------------------------------------------

TEST_F(WholeFileTest, DecoderErrorLeavesNoFileBehind) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000, 4000, 4000});
    stream.FailAfter(2, "broken frame");
    const FileReport report = Convert(stream);
    EXPECT_EQ(report.Outcome, FileOutcome::Failed);
    EXPECT_EQ(report.Message, "broken frame");
    EXPECT_THAT(FileNames(FTemp.Path()), IsEmpty());
}

TEST_F(WholeFileTest, TargetNamingADirectoryCannotBeCreated) {
    const auto target = FTemp.File("taken.wav");
    std::filesystem::create_directory(target);
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000});
    EXPECT_EQ(FRun.Convert(stream, target).Message,
              "Cannot create file \"" + target.string() + "\". " + std::strerror(EISDIR));
    EXPECT_EQ(stream.ReadCount(), 0u);
}

TEST_F(WholeFileTest, TargetUnderARegularFileCannotBeCreated) {
    WriteBytes(FTemp.File("plain"), 10, 'x');
    const auto target = FTemp.File("plain") / "out.wav";
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000});
    EXPECT_EQ(FRun.Convert(stream, target).Message,
              "Cannot create file \"" + target.string() + "\". " + std::strerror(ENOTDIR));
}

// Lowers the file size limit of this process; writes past it fail instead of killing it.
TEST_F(WholeFileTest, FullDiskIsAWriteErrorAndLeavesNoFile) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000, 4000, 4000, 4000});
    std::string message;
    {
        const FileSizeLimit limit(10000);
        message = Convert(stream).Message;
    }
    EXPECT_EQ(message, StreamWriteErrorMessage(Target(), EFBIG));
    EXPECT_THAT(FileNames(FTemp.Path()), IsEmpty());
}

TEST_F(WholeFileTest, TargetThatIsNoFileIsNotReplaced) {
    ASSERT_EQ(::mkfifo(Target().c_str(), 0600), 0);
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000});
    EXPECT_EQ(Convert(stream).Message, CannotCreateFileMessage(Target(), EEXIST));
    EXPECT_EQ(stream.ReadCount(), 0u);
    EXPECT_TRUE(std::filesystem::is_fifo(Target()));
    EXPECT_THAT(FileNames(FTemp.Path()), ElementsAre("out.wav"));
}

struct FaultCase {
    const char* Name;
    IoCall Call;
    int CallsBefore;
    int Error;
    bool ShortFirst;
};

// Whatever step fails, the name keeps what it had and no hidden file is left.
TEST_F(WholeFileTest, FailureAtAnyStepLeavesTheTargetAsItWas) {
    const FaultCase cases[] = {
        {"header, disk full", IoCall::Write, 0, ENOSPC, false},
        {"header, short write", IoCall::Write, 0, ENOSPC, true},
        {"first block, disk full", IoCall::Write, 1, ENOSPC, false},
        {"second block, short write", IoCall::Write, 2, ENOSPC, true},
        {"RIFF size patch", IoCall::WriteAt, 0, ENOSPC, false},
        {"data size patch, short write", IoCall::WriteAt, 1, ENOSPC, true},
        {"rename", IoCall::Rename, 0, EACCES, false},
    };
    WriteBytes(Target(), 100, 'x');
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string message;
        {
            FaultyFileIo io;
            io.Fail(c.Call, c.CallsBefore, c.Error, c.ShortFirst);
            FakeStream stream(2, 44100);
            stream.SetBlocks({4000, 4000});
            message = Convert(stream).Message;
        }
        EXPECT_EQ(message, c.Call == IoCall::Rename ? CannotCreateFileMessage(Target(), c.Error)
                                                    : StreamWriteErrorMessage(Target(), c.Error));
        EXPECT_THAT(FileNames(FTemp.Path()), ElementsAre("out.wav"));
        EXPECT_EQ(std::filesystem::file_size(Target()), 100u);
    }
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000, 4000});
    EXPECT_EQ(Write(stream).Samples, PatternBytes(8000));
}

TEST_F(WholeFileTest, SourceEndingShortOfItsLengthIsAnError) {
    const std::int64_t oneCodecFrame = 1152 * 4;
    for (const bool beyondOneFrame : {false, true}) {
        SCOPED_TRACE(beyondOneFrame);
        std::filesystem::remove(Target());
        FakeStream stream(2, 44100);
        stream.SetBlocks({4000});
        stream.SetLength(4000 + oneCodecFrame + (beyondOneFrame ? 4 : 0));
        if (!beyondOneFrame) {
            EXPECT_EQ(Write(stream).DataSize, 4000u);
            continue;
        }
        EXPECT_THAT(Convert(stream).Message, HasSubstr("\"fake.mp3\" ends early"));
        EXPECT_THAT(FileNames(FTemp.Path()), IsEmpty());
    }
    EXPECT_EQ(SourceEndsEarlyMessage("/music/song.mp3", 83.7, 179.2),
              "The file \"/music/song.mp3\" ends early: only 01:23 of 03:00 could be decoded.");
}

TEST_F(WholeFileTest, StreamThatKeepsDeliveringNothingIsAnError) {
    for (const int emptyReads : {kMaxEmptyReads - 1, kMaxEmptyReads}) {
        SCOPED_TRACE(emptyReads);
        std::vector<std::size_t> blocks(static_cast<std::size_t>(emptyReads), 0);
        blocks.push_back(4000);
        FakeStream stream(2, 44100);
        stream.SetBlocks(blocks);
        const std::string message = Convert(stream).Message;
        if (emptyReads < kMaxEmptyReads)
            EXPECT_EQ(message, "");
        else
            EXPECT_THAT(message, HasSubstr("Cannot decode \"fake.mp3\": "));
    }
}

// --- Real sources --------------------------------------------------------------------------

TEST_F(WholeFileTest, VanishedSourceIsNotLoadedAndCreatesNothing) {
    const auto source = FTemp.File("gone.mp3");
    EncodeMp3(source, {44100, 2, 0.5});
    std::filesystem::remove(source);
    FRun.Settings.OpenStream = [](const std::filesystem::path& path) {
        return OpenDecoderStream(path);
    };
    EXPECT_EQ(FRun.Convert(source, Target()).Message, kSampleNotLoaded);
    EXPECT_FALSE(std::filesystem::exists(Target()));
    EXPECT_THAT(CallsAfter(FRun.Events, "bytes:"), IsEmpty());
}

// mpg123 and oggdec decode the same sources independently; their data must match ours.
void ExpectSameSamplesAsTool(const std::string& command, const std::filesystem::path& ours,
                             const std::filesystem::path& theirs) {
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const WavFile wav = ReadWavFile(ours);
    const std::vector<std::byte> reference = ReadWavDataChunk(theirs);
    EXPECT_EQ(wav.Samples.size(), reference.size());
    EXPECT_TRUE(wav.Samples == reference) << "decoded samples differ";
}

TEST_F(WholeFileTest, Mp3ConversionMatchesAnIndependentDecode) {
    const auto source = FTemp.File("tone.mp3");
    EncodeMp3(source, {44100, 2, 3.0});
    FRun.Convert(source, Target());
    const WavFile wav = ReadWavFile(Target());
    EXPECT_EQ(wav.Channels, 2u);
    EXPECT_EQ(wav.SampleRate, 44100u);
    const auto reference = FTemp.File("reference.wav");
    ExpectSameSamplesAsTool("mpg123 -q -w '" + reference.string() + "' '" + source.string() + "'",
                            Target(), reference);
}

TEST_F(WholeFileTest, OggConversionMatchesAnIndependentDecode) {
    const auto source = FTemp.File("tone.ogg");
    EncodeOgg(source, {48000, 1, 3.0});
    FRun.Convert(source, Target());
    const WavFile wav = ReadWavFile(Target());
    EXPECT_EQ(wav.Channels, 1u);
    EXPECT_EQ(wav.SampleRate, 48000u);
    const auto reference = FTemp.File("reference.wav");
    ExpectSameSamplesAsTool("oggdec -Q -o '" + reference.string() + "' '" + source.string() + "'",
                            Target(), reference);
}

// --- Percentages ---------------------------------------------------------------------------

TEST(ProgressPercentTest, HalvesRoundToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfToEven(0.5), 0.0);
    EXPECT_EQ(RoundHalfToEven(1.5), 2.0);
    EXPECT_EQ(RoundHalfToEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfToEven(2.4999), 2.0);
    EXPECT_EQ(RoundHalfToEven(2.5001), 3.0);
}

TEST(ProgressPercentTest, CountsBeyondThirtyTwoBitsStayExact) {
    EXPECT_EQ(ProgressPercent(3'000'000'000, 6'000'000'000), 50);
    EXPECT_EQ(ProgressPercent(5'000'000'000, 5'000'000'000), 100);
}

TEST(ProgressPercentTest, TotalOfZeroStaysWithinRange) {
    EXPECT_EQ(ProgressPercent(0, 0), 0);
    EXPECT_EQ(ProgressPercent(4000, 0), 100);
    EXPECT_EQ(ProgressPercent(4000, -5), 100);
}

} // namespace
} // namespace zent::test
