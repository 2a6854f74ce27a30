#include "decode/Decoder.h"
#include "filelist/FileList.h"
#include "framework/Errors.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>

namespace zent {
namespace {

// A stream that reports a chosen decoded length; nothing is ever read from it.
class FakeStream : public DecoderStream {
public:
    FakeStream(int channels, int sampleRate, std::int64_t lengthBytes)
        : FChannels(channels), FSampleRate(sampleRate), FLengthBytes(lengthBytes) {}

    int Channels() const override { return FChannels; }
    int SampleRate() const override { return FSampleRate; }
    std::int64_t LengthBytes() const override { return FLengthBytes; }
    std::int64_t CodecFrameFrames() const override { return 1152; }
    bool IsActive() const override { return false; }
    ReadResult Read(std::span<std::byte>) override { return {}; }

private:
    int FChannels;
    int FSampleRate;
    std::int64_t FLengthBytes;
};

// 16-bit PCM bytes of the given time.
std::int64_t BytesFor(double seconds, int channels, int sampleRate) {
    return static_cast<std::int64_t>(seconds * sampleRate) * channels * 2;
}

FileEntry Probed(int channels, int sampleRate, double seconds) {
    const FakeStream stream(channels, sampleRate, BytesFor(seconds, channels, sampleRate));
    FileEntry entry;
    ProbeStream(entry, &stream);
    return entry;
}

TEST(RoundToWholeSeconds, StaysWithinTheFieldsRange) {
    EXPECT_EQ(RoundToWholeSeconds(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundToWholeSeconds(0.0), 0);
}

TEST(ProbeStream, StereoOf180AndAHalfSecondsRoundsDown) {
    const FileEntry entry = Probed(2, 44100, 180.5);
    EXPECT_EQ(entry.LengthSeconds, 180);
    EXPECT_EQ(entry.ProjectedSize, 31752000);
}

TEST(ProbeStream, StereoOf181AndAHalfSecondsRoundsUp) {
    const FileEntry entry = Probed(2, 44100, 181.5);
    EXPECT_EQ(entry.LengthSeconds, 182);
    EXPECT_EQ(entry.ProjectedSize, 32104800);
}

TEST(ProbeStream, MonoMinuteAndSixChannelTenSecondsProjectTheSameSize) {
    EXPECT_EQ(Probed(1, 44100, 60.0).ProjectedSize, 5292000);
    EXPECT_EQ(Probed(6, 44100, 10.0).ProjectedSize, 5292000);
}

TEST(ProbeStream, ProjectsAtTheFilesOwnRate) {
    struct Case {
        int channels, sampleRate;
        std::int64_t size;
    };
    for (const Case c : {Case{2, 22050, 882000}, Case{1, 96000, 1920000}, Case{2, 48000, 1920000},
                         Case{2, 44100, 1764000}}) {
        const FileEntry entry = Probed(c.channels, c.sampleRate, 10.0);
        EXPECT_EQ(entry.LengthSeconds, 10) << c.sampleRate;
        EXPECT_EQ(entry.ProjectedSize, c.size) << c.sampleRate;
    }
}

TEST(ProbeStream, FileLongerThan3h22mKeepsItsTrueSize) {
    const FileEntry entry = Probed(2, 44100, 4 * 3600.0);
    EXPECT_EQ(entry.LengthSeconds, 14400);
    EXPECT_EQ(entry.ProjectedSize, 2540160000LL);
    EXPECT_GT(entry.ProjectedSize, std::numeric_limits<std::int32_t>::max());
}

TEST(ProbeStream, NoStreamFailsAndLeavesZeroes) {
    FileEntry entry;
    try {
        ProbeStream(entry, nullptr);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Sample not loaded.");
    }
    EXPECT_EQ(entry.LengthSeconds, 0);
    EXPECT_EQ(entry.ProjectedSize, 0);
}

TEST(TotalProjectedSize, OfAnEmptyListIsZero) {
    EXPECT_EQ(FileList().TotalProjectedSize(), 0.0);
}

TEST(TotalProjectedSize, AddsLongFilesWithoutWrapping) {
    FileList list;
    list.Append({"a", "", "", 2540160000LL, 14400});
    list.Append({"b", "", "", 2540160000LL, 14400});
    list.Append({"c", "", "", 5292000, 60});
    EXPECT_EQ(list.TotalProjectedSize(), 5085612000.0);
}

// Real files, generated and decoded.
class ProbeFileOnDisk : public testing::Test {
protected:
    void SetUp() override { InitDecoders(); }

    const FileEntry& Added(const std::filesystem::path& path) {
        const FileEntry* entry = FList.AddFile(path.string());
        if (entry == nullptr)
            throw std::logic_error("skipped: " + path.string());
        return *entry;
    }

    test::TempDir FDir;
    FileList FList;
};

TEST_F(ProbeFileOnDisk, TaggedMp3GetsItsLengthAndSize) {
    const auto path = FDir.File("tone.mp3");
    test::EncodeMp3(path, {44100, 2, 3.0});
    const FileEntry& entry = Added(path);
    EXPECT_EQ(entry.LengthSeconds, 3);
    EXPECT_EQ(entry.ProjectedSize, 2 * 3 * 88200);
}

TEST_F(ProbeFileOnDisk, FilesAtOtherRatesProjectAtTheirOwnRate) {
    const auto ogg = FDir.File("tone.OGG");
    test::EncodeOgg(ogg, {96000, 2, 2.0});
    const FileEntry& oggEntry = Added(ogg);
    EXPECT_EQ(oggEntry.LengthSeconds, 2);
    EXPECT_EQ(oggEntry.ProjectedSize, 2 * 2 * 96000 * 2);
    EXPECT_EQ(oggEntry.TargetPath, FDir.File("tone.wav").string());

    const auto mp3 = FDir.File("mono.mp3");
    test::EncodeMp3(mp3, {22050, 1, 2.0});
    const FileEntry& mp3Entry = Added(mp3);
    EXPECT_EQ(mp3Entry.LengthSeconds, 2);
    EXPECT_EQ(mp3Entry.ProjectedSize, 1 * 2 * 22050 * 2);

    const auto opus = FDir.File("voice.Opus");
    test::EncodeOpus(opus, {48000, 1, 2.0});
    const FileEntry& opusEntry = Added(opus);
    EXPECT_EQ(opusEntry.LengthSeconds, 2);
    EXPECT_EQ(opusEntry.ProjectedSize, 1 * 2 * 48000 * 2);

    // FLAC at its own depth, native or in Ogg.
    test::FlacParams deep;
    deep.tone = {48000, 6, 2.0};
    deep.bits = 24;
    const auto flac = FDir.File("surround.FLAC");
    test::EncodeFlac(flac, deep);
    EXPECT_EQ(Added(flac).ProjectedSize, 6 * 2 * 48000 * 3);
    test::FlacParams inOgg;
    inOgg.tone = {44100, 2, 2.0};
    inOgg.ogg = true;
    const auto oga = FDir.File("stereo.oga");
    test::EncodeFlac(oga, inOgg);
    EXPECT_EQ(Added(oga).ProjectedSize, 2 * 2 * 44100 * 2);

    // Junk after the last frame counts for nothing.
    const auto junk = FDir.File("junk.mp3");
    test::EncodeMp3(junk, {44100, 2, 3.0});
    test::AppendBytes(junk, std::vector<char>(4096, 0));
    EXPECT_EQ(Added(junk).ProjectedSize, 2 * 3 * 88200);
}

TEST_F(ProbeFileOnDisk, NameInAnotherScriptIsFound) {
    const std::string name =
        "\xE6\x97\xA5\xE6\x9C\xAC \xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F.ogg";
    test::EncodeOgg(FDir.File(name), {44100, 2, 1.0});
    const FileEntry& entry = Added(FDir.File(name));
    EXPECT_EQ(entry.FileName, name);
    EXPECT_EQ(entry.LengthSeconds, 1);
}

} // namespace
} // namespace zent
