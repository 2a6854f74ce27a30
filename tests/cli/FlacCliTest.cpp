#include "decode/FlacStream.h"
#include "tests/cli/CliProcess.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>
#include <ostream>

namespace zent::cli {
namespace {

const std::string kChecksumWarning =
    "the decoded audio does not match the file's checksum: the file is damaged";

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

test::FlacParams Params(double seconds, int bits, int channels, bool ogg = false) {
    test::FlacParams params;
    params.tone = {48000, channels, seconds};
    params.bits = bits;
    params.ogg = ogg;
    return params;
}

std::vector<char> FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A byte flipped half way into the audio.
void FlipAudioByte(const fs::path& path) {
    std::vector<char> bytes = FileBytes(path);
    const std::size_t audio = test::FirstFlacFrameOffset(bytes);
    bytes[audio + (bytes.size() - audio) / 2] ^= 0x10;
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
}

struct DepthCase {
    const char* Name;
    int Bits;
    int Channels;
    bool Ogg;
    std::size_t HeaderBytes;
};

void PrintTo(const DepthCase& c, std::ostream* out) {
    *out << c.Name;
}

class FlacCliDepth : public ::testing::TestWithParam<DepthCase> {};

TEST_P(FlacCliDepth, WritesTheReferenceDecodersFormatAndSamplesByDefault) {
    const DepthCase& c = GetParam();
    test::TempDir dir;
    const fs::path source = dir.File(std::string(c.Name) + (c.Ogg ? ".oga" : ".flac"));
    test::EncodeFlac(source, Params(1.0, c.Bits, c.Channels, c.Ogg));
    const test::CliOutcome outcome =
        test::RunCliProcess({"-q", "-o", ".", source.filename().string()}, dir.Path());
    ASSERT_EQ(outcome.ExitStatus, 0) << outcome.Err;
    const fs::path wav = dir.File(std::string(c.Name) + ".wav");
    EXPECT_TRUE(test::WavChunk(wav, "data") == test::FlacToolChunk(source, "data"));
    EXPECT_TRUE(test::WavChunk(wav, "fmt ") == test::FlacToolChunk(source, "fmt "));
    EXPECT_EQ(fs::file_size(wav), c.HeaderBytes + test::WavChunk(wav, "data").size());
    EXPECT_EQ(outcome.Err, "");
}

INSTANTIATE_TEST_SUITE_P(Depths, FlacCliDepth,
                         ::testing::Values(DepthCase{"s16", 16, 2, false, 44},
                                           DepthCase{"s24surround", 24, 6, false, 68},
                                           DepthCase{"u8", 8, 1, false, 44},
                                           DepthCase{"s12", 12, 2, false, 68},
                                           DepthCase{"s20", 20, 2, false, 68},
                                           DepthCase{"ogg", 16, 2, true, 44}),
                         [](const auto& test) { return std::string(test.param.Name); });

TEST(FlacCli, AChosenFormatOverridesTheSourcesDepth) {
    test::TempDir dir;
    test::EncodeFlac(dir.File("deep.flac"), Params(0.5, 24, 2));
    ASSERT_EQ(
        test::RunCliProcess({"--format", "s16", "-o", ".", "deep.flac"}, dir.Path()).ExitStatus, 0);
    EXPECT_EQ(fs::file_size(dir.File("deep.wav")), 44u + 24000 * 2 * 2);
}

TEST(FlacCli, ThirtyTwoBitSamplesAskedForAsThirtyTwoBitsAreExact) {
    test::TempDir dir;
    test::EncodeFlac(dir.File("deep.flac"), Params(0.5, 32, 2));
    ASSERT_EQ(
        test::RunCliProcess({"--format", "s32", "-o", ".", "deep.flac"}, dir.Path()).ExitStatus, 0);
    EXPECT_TRUE(test::WavChunk(dir.File("deep.wav"), "data") ==
                test::FlacToolChunk(dir.File("deep.flac"), "data"));
}

TEST(FlacCli, SlicesOnTwoJobsGiveTheBytesOfOneAndAreChecked) {
    test::TempDir dir;
    test::EncodeFlac(dir.File("long.flac"), Params(20.0, 24, 2));
    fs::copy_file(dir.File("long.flac"), dir.File("flipped.flac"));
    FlipAudioByte(dir.File("flipped.flac"));
    fs::create_directories(dir.File("one"));
    fs::create_directories(dir.File("two"));
    fs::create_directories(dir.File("s16"));
    const test::CliOutcome one = test::RunCliProcess(
        {"-q", "-j1", "--json", "-o", "one", "long.flac", "flipped.flac"}, dir.Path());
    EXPECT_EQ(one.ExitStatus, 0) << one.Err;
    for (const char* name : {"long.flac", "flipped.flac"}) {
        // One file at a time, so that both jobs cut it.
        const test::CliOutcome two =
            test::RunCliProcess({"-q", "-j2", "--json", "-o", "two", name}, dir.Path());
        EXPECT_EQ(two.ExitStatus, 0) << two.Err;
        const bool damaged = std::string(name) == "flipped.flac";
        EXPECT_EQ(two.Out.find(kChecksumWarning) != std::string::npos, damaged) << two.Out;
        // Samples other than the source's own cannot be read back to check them: the file
        // goes whole, checked, on two jobs too.
        const test::CliOutcome other = test::RunCliProcess(
            {"-q", "-j2", "--json", "--format", "s16", "-o", "s16", name}, dir.Path());
        EXPECT_EQ(other.Out.find(kChecksumWarning) != std::string::npos, damaged) << other.Out;
    }
    EXPECT_TRUE(FileBytes(dir.File("one/long.wav")) == FileBytes(dir.File("two/long.wav")));
    EXPECT_TRUE(FileBytes(dir.File("one/flipped.wav")) == FileBytes(dir.File("two/flipped.wav")));
    EXPECT_THAT(one.Out, HasSubstr("was replaced by silence; " + kChecksumWarning + "\"}"));
    EXPECT_THAT(one.Err, HasSubstr("zent-cli: flipped.flac: a damaged frame at 00:"));
    EXPECT_THAT(one.Err, Not(HasSubstr("long.flac")));
}

TEST(FlacCli, TagsGoIntoTheInfoList) {
    test::TempDir dir;
    test::FlacParams params = Params(0.5, 16, 2);
    params.comments = {"TITLE=Lossless", "ARTIST=Someone"};
    test::EncodeFlac(dir.File("tagged.flac"), params);
    ASSERT_EQ(test::RunCliProcess({"--tags", "-o", ".", "tagged.flac"}, dir.Path()).ExitStatus, 0);
    const std::vector<std::byte> info = test::WavChunk(dir.File("tagged.wav"), "LIST");
    const std::string text(reinterpret_cast<const char*>(info.data()), info.size());
    EXPECT_THAT(text, HasSubstr("Lossless"));
    EXPECT_THAT(text, HasSubstr("Someone"));
    EXPECT_TRUE(test::WavChunk(dir.File("tagged.wav"), "data") ==
                test::FlacToolChunk(dir.File("tagged.flac"), "data"));
}

} // namespace
} // namespace zent::cli
