#include "convert/WavWriter.h"

#include "convert/OutputFile.h"
#include "convert/Progress.h"
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

class WavWriterTest : public ::testing::Test {
protected:
    std::filesystem::path Target() const { return FTemp.File("out.wav"); }

    WavFile Write(FakeStream& stream, const WavWriterOptions& options = {}) {
        WriteWavFile(stream, "fake.mp3", Target(), FBuffer, FView, options);
        return ReadWavFile(Target());
    }

    TempDir FTemp;
    std::vector<std::byte> FBuffer = std::vector<std::byte>(kBufferSize);
    RecordingConversionView FView;
};

// --- Header --------------------------------------------------------------------------------

TEST_F(WavWriterTest, StereoHeaderDescribesSixteenBitPcmAt44100) {
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

TEST_F(WavWriterTest, FormatFieldsFollowTheDecodedData) {
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

TEST_F(WavWriterTest, DataIsTheDecodedBytesUnchangedAndNothingAfter) {
    FakeStream stream(2, 44100);
    stream.SetContinuous(2 * kBufferSize + 1234 * 4);
    const WavFile wav = Write(stream);
    EXPECT_EQ(wav.Samples, PatternBytes(2 * kBufferSize + 1234 * 4));
    EXPECT_EQ(wav.DataSize, wav.FileSize - 44);
    EXPECT_EQ(wav.RiffSize, wav.FileSize - 8);
}

TEST_F(WavWriterTest, OneFileReportsOpeningDonePercentagesAndClosing) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000, 4000});
    Write(stream);
    EXPECT_THAT(FView.Calls, ElementsAre("text:Opening file...", "total:4000", "events", "file:50",
                                         "text:Done 50%", "total:4000", "events", "file:100",
                                         "text:Done 100%", "text:Closing file ..."));
}

TEST_F(WavWriterTest, PercentagesRoundHalvesToEven) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({100, 100, 100, 100, 100, 100, 100, 100});
    Write(stream);
    EXPECT_THAT(FView.Texts(),
                ElementsAre("Opening file...", "Done 12%", "Done 25%", "Done 38%", "Done 50%",
                            "Done 62%", "Done 75%", "Done 88%", "Done 100%", "Closing file ..."));
}

TEST_F(WavWriterTest, StreamWithoutDataGivesHeaderOnlyFile) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({});
    const WavFile wav = Write(stream);
    EXPECT_EQ(wav.FileSize, 44u);
    EXPECT_EQ(wav.RiffSize, 36u);
    EXPECT_EQ(wav.DataSize, 0u);
    EXPECT_THAT(FView.Calls, ElementsAre("text:Opening file...", "text:Closing file ..."));
}

TEST_F(WavWriterTest, EmptyBlocksNeitherMoveTheBarNorChangeTheText) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({0, 4000, 0, 0, 4000, 0});
    const WavFile wav = Write(stream);
    EXPECT_EQ(wav.DataSize, 8000u);
    EXPECT_THAT(FView.Calls, ElementsAre("text:Opening file...", "total:4000", "events", "file:50",
                                         "text:Done 50%", "total:4000", "events", "file:100",
                                         "text:Done 100%", "text:Closing file ..."));
}

TEST_F(WavWriterTest, PercentIsCappedWhenDataOutrunsTheLength) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000, 4000});
    stream.SetLength(2000);
    Write(stream);
    EXPECT_THAT(FView.Texts(),
                ElementsAre("Opening file...", "Done 100%", "Done 100%", "Closing file ..."));
}

TEST_F(WavWriterTest, LengthOfZeroShowsFullBarOnceDataArrives) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000});
    stream.SetLength(0);
    const WavFile wav = Write(stream);
    EXPECT_EQ(wav.DataSize, 4000u);
    EXPECT_THAT(FView.Calls, ::testing::Contains("file:100"));
}

TEST_F(WavWriterTest, BlocksHoldWholeFramesWhenTheBufferDoesNot) {
    FakeStream stream(6, 44100); // 12-byte frames; 800000 is not a multiple of 12
    stream.SetContinuous(3 * kBufferSize);
    FView.OnCall = [this](const std::string& call) {
        if (call == "events")
            FView.Stop = true;
    };
    const WavFile wav = Write(stream);
    EXPECT_EQ(stream.RequestSizes().at(0), kBufferSize - kBufferSize % 12);
    EXPECT_EQ(wav.DataSize % 12, 0u);
    EXPECT_EQ(wav.DataSize, wav.FileSize - 44);
}

TEST_F(WavWriterTest, ExistingTargetIsOverwritten) {
    WriteBytes(Target(), 100000, 'x');
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000});
    const WavFile wav = Write(stream);
    EXPECT_EQ(wav.FileSize, 4044u);
    EXPECT_EQ(wav.Samples, PatternBytes(4000));
}

// --- Stop ----------------------------------------------------------------------------------

TEST_F(WavWriterTest, StopDuringFileLeavesValidShorterFile) {
    FakeStream stream(2, 44100);
    stream.SetContinuous(5 * kBufferSize);
    int pumps = 0;
    FView.OnCall = [&](const std::string& call) {
        if (call == "events" && ++pumps == 2)
            FView.Stop = true;
    };
    const WavFile wav = Write(stream);
    EXPECT_EQ(stream.ReadCount(), 2u);
    EXPECT_EQ(wav.FileSize, 44 + 2 * kBufferSize);
    EXPECT_EQ(wav.RiffSize, wav.FileSize - 8);
    EXPECT_EQ(wav.DataSize, wav.FileSize - 44);
    EXPECT_EQ(wav.Samples, PatternBytes(2 * kBufferSize));
    EXPECT_THAT(FileNames(FTemp.Path()), ElementsAre("out.wav"));
    // The stopped block's progress is not shown.
    EXPECT_THAT(FView.Texts(), ElementsAre("Opening file...", "Done 20%", "Closing file ..."));
    EXPECT_EQ(FView.TotalAdded(), static_cast<std::int64_t>(2 * kBufferSize));
}

TEST_F(WavWriterTest, StopThatKeepsNoFileLeavesTheTargetAsItWas) {
    WriteBytes(Target(), 100, 'x');
    FakeStream stream(2, 44100);
    stream.SetContinuous(5 * kBufferSize);
    FView.OnCall = [&](const std::string& call) {
        FView.Stop = call == "events";
    };
    EXPECT_FALSE(WriteWavFile(stream, "fake.mp3", Target(), FBuffer, FView,
                              WavWriterOptions{.KeepStoppedFile = false}));
    EXPECT_THAT(FileNames(FTemp.Path()), ElementsAre("out.wav"));
    EXPECT_EQ(std::filesystem::file_size(Target()), 100u);
}

// --- Errors --------------------------------------------------------------------------------

TEST_F(WavWriterTest, DecoderErrorLeavesNoFileBehind) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000, 4000, 4000});
    stream.FailAfter(2, "broken frame");
    try {
        Write(stream);
        FAIL() << "the decoder error must end the file";
    } catch (const EDecoderError& error) {
        EXPECT_STREQ(error.what(), "broken frame");
    }
    EXPECT_THAT(FileNames(FTemp.Path()), IsEmpty());
}

TEST_F(WavWriterTest, DataBeyondTheSizeLimitIsCutAtWholeFrames) {
    FakeStream stream(2, 44100);
    stream.SetContinuous(kBufferSize);
    try {
        Write(stream, WavWriterOptions{1002});
        FAIL() << "cutting the file must be reported";
    } catch (const EWavSizeLimitError& error) {
        EXPECT_THAT(error.what(), HasSubstr("\"" + Target().string() + "\""));
        EXPECT_THAT(error.what(), HasSubstr("size limit"));
    }
    const WavFile wav = ReadWavFile(Target());
    EXPECT_EQ(wav.DataSize, 1000u);
    EXPECT_EQ(wav.RiffSize, 1036u);
    EXPECT_EQ(wav.FileSize, 1044u);
    EXPECT_EQ(wav.Samples, PatternBytes(1000));
    EXPECT_EQ(FView.TotalAdded(), 1000);
}

TEST_F(WavWriterTest, DataThatFillsTheSizeLimitExactlyIsNotCut) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000, 4000});
    const WavFile wav = Write(stream, WavWriterOptions{8000});
    EXPECT_EQ(wav.DataSize, 8000u);
}

TEST_F(WavWriterTest, TargetNamingADirectoryCannotBeCreated) {
    const auto target = FTemp.File("taken.wav");
    std::filesystem::create_directory(target);
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000});
    try {
        WriteWavFile(stream, "fake.mp3", target, FBuffer, FView);
        FAIL() << "creating the file must fail";
    } catch (const EStreamError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create file \"" + target.string() + "\". " + std::strerror(EISDIR));
    }
    EXPECT_EQ(stream.ReadCount(), 0u);
}

TEST_F(WavWriterTest, TargetUnderARegularFileCannotBeCreated) {
    WriteBytes(FTemp.File("plain"), 10, 'x');
    const auto target = FTemp.File("plain") / "out.wav";
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000});
    try {
        WriteWavFile(stream, "fake.mp3", target, FBuffer, FView);
        FAIL() << "creating the file must fail";
    } catch (const EStreamError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create file \"" + target.string() + "\". " + std::strerror(ENOTDIR));
    }
}

// Lowers the file size limit of this process; writes past it fail instead of killing it.
TEST_F(WavWriterTest, FullDiskIsAWriteErrorAndLeavesNoFile) {
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000, 4000, 4000, 4000});
    std::string message;
    {
        const FileSizeLimit limit(10000);
        try {
            WriteWavFile(stream, "fake.mp3", Target(), FBuffer, FView);
        } catch (const EStreamError& error) {
            message = error.what();
        }
    }
    EXPECT_EQ(message, StreamWriteErrorMessage(Target(), EFBIG));
    EXPECT_THAT(FileNames(FTemp.Path()), IsEmpty());
}

TEST_F(WavWriterTest, TargetThatIsNoFileIsNotReplaced) {
    ASSERT_EQ(::mkfifo(Target().c_str(), 0600), 0);
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000});
    try {
        Write(stream);
        FAIL() << "a pipe must not be replaced";
    } catch (const EStreamError& error) {
        EXPECT_EQ(std::string(error.what()), CannotCreateFileMessage(Target(), EEXIST));
    }
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
TEST_F(WavWriterTest, FailureAtAnyStepLeavesTheTargetAsItWas) {
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
            try {
                Write(stream);
            } catch (const EStreamError& error) {
                message = error.what();
            }
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

TEST_F(WavWriterTest, SourceEndingShortOfItsLengthIsAnError) {
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
        try {
            Write(stream);
            FAIL() << "a short source must be an error";
        } catch (const EDecoderError& error) {
            EXPECT_THAT(error.what(), HasSubstr("\"fake.mp3\" ends early"));
        }
        EXPECT_THAT(FileNames(FTemp.Path()), IsEmpty());
    }
    EXPECT_EQ(SourceEndsEarlyMessage("/music/song.mp3", 83.7, 179.2),
              "The file \"/music/song.mp3\" ends early: only 01:23 of 03:00 could be decoded.");
}

TEST_F(WavWriterTest, StreamThatKeepsDeliveringNothingIsAnError) {
    for (const int emptyReads : {kMaxEmptyReads - 1, kMaxEmptyReads}) {
        SCOPED_TRACE(emptyReads);
        std::vector<std::size_t> blocks(static_cast<std::size_t>(emptyReads), 0);
        blocks.push_back(4000);
        FakeStream stream(2, 44100);
        stream.SetBlocks(blocks);
        std::string message;
        try {
            Write(stream);
        } catch (const EDecoderError& error) {
            message = error.what();
        }
        if (emptyReads < kMaxEmptyReads)
            EXPECT_EQ(message, "");
        else
            EXPECT_THAT(message, HasSubstr("Cannot decode \"fake.mp3\": "));
    }
}

// --- Real sources --------------------------------------------------------------------------

TEST_F(WavWriterTest, VanishedSourceIsNotLoadedAndCreatesNothing) {
    const auto source = FTemp.File("gone.mp3");
    EncodeMp3(source, {44100, 2, 0.5});
    std::filesystem::remove(source);
    try {
        ConvertFile(Target(), source, FBuffer, FView);
        FAIL() << "a missing source must be reported";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), kSampleNotLoaded);
    }
    EXPECT_FALSE(std::filesystem::exists(Target()));
    EXPECT_TRUE(FView.Calls.empty());
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

TEST_F(WavWriterTest, Mp3ConversionMatchesAnIndependentDecode) {
    const auto source = FTemp.File("tone.mp3");
    EncodeMp3(source, {44100, 2, 3.0});
    ConvertFile(Target(), source, FBuffer, FView);
    const WavFile wav = ReadWavFile(Target());
    EXPECT_EQ(wav.Channels, 2u);
    EXPECT_EQ(wav.SampleRate, 44100u);
    const auto reference = FTemp.File("reference.wav");
    ExpectSameSamplesAsTool("mpg123 -q -w '" + reference.string() + "' '" + source.string() + "'",
                            Target(), reference);
}

TEST_F(WavWriterTest, OggConversionMatchesAnIndependentDecode) {
    const auto source = FTemp.File("tone.ogg");
    EncodeOgg(source, {48000, 1, 3.0});
    ConvertFile(Target(), source, FBuffer, FView);
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
