// What zent-cli writes besides the window's 16-bit files: other sample formats, rates and
// channel counts, standard output, tags.
#include "cli/CliMain.h"
#include "decode/Resampler.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace zent::cli {
namespace {

namespace fs = std::filesystem;

constexpr double kToneHz = 1000.0;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// The fields of a WAV file that the tests look at.
struct Wav {
    std::uint32_t Tag = 0; // the sub-format's tag for an extensible file
    std::uint32_t Channels = 0;
    std::uint32_t Rate = 0;
    std::uint32_t Bits = 0;
    std::string Data;
    std::string After; // the chunks after the data
    std::int64_t Frames() const {
        return static_cast<std::int64_t>(Data.size() / (Channels * Bits / 8));
    }
};

Wav ParseWav(const std::string& bytes) {
    Wav wav;
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(Le(bytes, 4, 4) + 8, bytes.size()) << "RIFF size";
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const std::uint32_t size = Le(bytes, at + 4, 4);
        if (id == "fmt ") {
            wav.Tag = Le(bytes, at + 8, 2);
            wav.Channels = Le(bytes, at + 10, 2);
            wav.Rate = Le(bytes, at + 12, 4);
            wav.Bits = Le(bytes, at + 22, 2);
            if (wav.Tag == 0xFFFE)
                wav.Tag = Le(bytes, at + 32, 2);
        } else if (id == "data") {
            wav.Data = bytes.substr(at + 8, size);
            wav.After = bytes.substr(at + 8 + size + size % 2);
            break;
        }
        at += 8 + size + size % 2;
    }
    return wav;
}

std::vector<std::int16_t> Int16Samples(const std::string& data) {
    std::vector<std::int16_t> samples(data.size() / 2);
    std::memcpy(samples.data(), data.data(), samples.size() * 2);
    return samples;
}

std::int32_t Int24At(const std::string& data, std::size_t sample) {
    const std::uint32_t raw = Le(data, sample * 3, 3);
    return static_cast<std::int32_t>(raw << 8) >> 8;
}

bool HasTool(const char* tool) {
    return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

class CliOutput : public testing::Test {
protected:
    void SetUp() override {
        test::ToneSpec tone{44100, 2, 2.0};
        tone.frequency = kToneHz;
        test::EncodeMp3(Dir.File("tone.mp3"), tone);
    }

    // Runs zent-cli in-process on tone.mp3 with the options, into Dir; gives its output.
    std::string Run(std::vector<std::string> options, std::string* standardOutput = nullptr) {
        options.insert(options.begin(), {"-q", "-o", standardOutput ? "-" : Dir.Path().string()});
        options.push_back(Dir.File("tone.mp3").string());
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        std::atomic<bool> stop = false;
        const std::atomic<int> signal = 0;
        EXPECT_EQ(RunCli(options, {in, out, err, false, false, 1, stop, signal}), kExitConverted)
            << err.str();
        if (standardOutput)
            *standardOutput = out.str();
        return standardOutput ? out.str() : ReadFile(Dir.File("tone.wav"));
    }

    test::TempDir Dir;
};

TEST_F(CliOutput, FormatsRatesAndChannelsGiveTheirHeadersAndLengths) {
    const Wav plain = ParseWav(Run({}));
    struct Case {
        std::vector<std::string> Options;
        std::uint32_t Tag, Channels, Rate, Bits;
    };
    const std::vector<Case> cases = {
        {{"--format", "u8", "--channels", "1"}, 1, 1, 44100, 8},
        {{"--format", "s24"}, 1, 2, 44100, 24},
        {{"--format", "s32", "--channels", "1"}, 1, 1, 44100, 32},
        {{"--format", "f32"}, 3, 2, 44100, 32},
        {{"--rate", "16000", "--channels", "1"}, 1, 1, 16000, 16},
        {{"--rate", "48000", "--format", "f32"}, 3, 2, 48000, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Options));
        const Wav wav = ParseWav(Run(c.Options));
        EXPECT_EQ(wav.Tag, c.Tag);
        EXPECT_EQ(wav.Channels, c.Channels);
        EXPECT_EQ(wav.Rate, c.Rate);
        EXPECT_EQ(wav.Bits, c.Bits);
        EXPECT_EQ(wav.Frames(),
                  Resampler::TargetFrames(plain.Frames(), 44100, static_cast<int>(c.Rate)));
        EXPECT_EQ(wav.After, "");
    }
}

TEST_F(CliOutput, TwentyFourBitsHoldTheSixteenBitSamplesAndMore) {
    const std::vector<std::int16_t> plain = Int16Samples(ParseWav(Run({})).Data);
    const Wav wide = ParseWav(Run({"--format", "s24"}));
    ASSERT_EQ(wide.Data.size() / 3, plain.size());
    bool finer = false;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const std::int32_t sample = Int24At(wide.Data, i);
        ASSERT_LE(std::abs(sample - 256 * plain[i]), 256) << i;
        finer = finer || sample % 256 != 0;
    }
    EXPECT_TRUE(finer);
}

TEST_F(CliOutput, SixteenKilohertzMonoKeepsTheTonesPitch) {
    const Wav wav = ParseWav(Run({"--rate", "16000", "--channels", "1"}));
    EXPECT_NEAR(test::DominantFrequency(Int16Samples(wav.Data), 1, 0, 16000), kToneHz, 5.0);
}

TEST_F(CliOutput, StandardOutputGivesTheFileBytes) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"--format", "s24", "--channels", "1"}, {"--rate", "22050", "--format", "u8"}};
    for (const auto& options : cases) {
        SCOPED_TRACE(testing::PrintToString(options));
        std::string piped;
        Run(options, &piped);
        EXPECT_EQ(piped, Run(options));
    }
}

TEST_F(CliOutput, TagsFollowTheDataAsAnInfoList) {
    // An ID3v2.3 tag with a title and an artist (ISO-8859-1 frames) before the MP3.
    const auto frame = [](const std::string& id, const std::string& text) {
        const std::string body = std::string(1, '\0') + text;
        const auto size = static_cast<char>(body.size());
        return id + std::string{0, 0, 0, size} + std::string(2, '\0') + body;
    };
    const std::string frames = frame("TIT2", "Tone") + frame("TPE1", "Zent");
    const std::string tag = std::string("ID3\x03\x00\x00", 6) +
                            std::string{0, 0, 0, static_cast<char>(frames.size())} + frames;
    const std::string mp3 = ReadFile(Dir.File("tone.mp3"));
    std::ofstream(Dir.File("tone.mp3"), std::ios::binary) << tag << mp3;

    const Wav plain = ParseWav(Run({}));
    EXPECT_EQ(plain.After, "");
    const Wav tagged = ParseWav(Run({"--tags"}));
    EXPECT_EQ(tagged.Data, plain.Data);
    EXPECT_NE(tagged.After.find("INAM"), std::string::npos);
    if (!HasTool("ffprobe"))
        GTEST_SKIP() << "ffprobe is not installed";
    const std::string probe = "ffprobe -v error -show_entries format_tags=title,artist -of "
                              "default=nw=1 " +
                              Dir.File("tone.wav").string() + " > " + Dir.File("tags").string();
    ASSERT_EQ(std::system(probe.c_str()), 0);
    const std::string shown = ReadFile(Dir.File("tags"));
    EXPECT_NE(shown.find("title=Tone"), std::string::npos) << shown;
    EXPECT_NE(shown.find("artist=Zent"), std::string::npos) << shown;
}

// The reference tools read the float file and the pipe.
TEST_F(CliOutput, ReferenceToolsReadFloatAndThePipe) {
    Run({"--format", "f32"});
    const std::string file = Dir.File("tone.wav").string();
    const std::string source = Dir.File("tone.mp3").string();
    struct Case {
        const char* Tool;
        std::string Command;
    };
    const std::vector<Case> cases = {
        {"sox", "sox " + file + " -n stat"},
        {"ffprobe",
         "ffprobe -v error -show_entries stream=codec_name " + file + " | grep -q pcm_f32le"},
        {"sox", std::string(ZENT_CLI_PATH) + " -q -o - " + source + " | sox -t wav - -n stat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Command);
        if (!HasTool(c.Tool))
            continue;
        EXPECT_EQ(std::system((c.Command + " 2>/dev/null").c_str()), 0);
    }
}

} // namespace
} // namespace zent::cli
