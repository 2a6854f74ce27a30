// zent-cli writes the same bytes for a file at any job count, and converts damaged and odd
// files wholly, with a warning where the file is not what it claims.
#include "tests/cli/CliProcess.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <ostream>
#include <random>

namespace zent::cli {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<char> FileBytes(const fs::path& path) {
    const std::string text = ReadFile(path);
    return {text.begin(), text.end()};
}

void WriteBytes(const fs::path& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
}

struct Kind {
    const char* Name;
    std::function<void(const fs::path&)> Make;
};

// Each kind of file the suite makes, long enough to be cut into slices.
std::vector<Kind> Kinds() {
    const auto mp3 = [](test::ToneSpec tone, test::Mp3Options options) {
        return [=](const fs::path& file) {
            test::EncodeMp3(file, tone, options);
        };
    };
    return {
        {"mpeg1-stereo-cbr.mp3", mp3({44100, 2, 8.5}, {false, true, 128})},
        {"mpeg1-stereo-vbr.mp3", mp3({48000, 2, 8.5}, {true, true, 128})},
        {"mpeg1-mono-bare.mp3", mp3({32000, 1, 8.5}, {false, false, 64})},
        {"mpeg2-mono.mp3", mp3({22050, 1, 8.5}, {false, true, 48})},
        {"mpeg2-stereo-vbr.mp3", mp3({24000, 2, 8.5}, {true, true, 64})},
        {"mpeg25-mono-bare.mp3", mp3({11025, 1, 8.5}, {false, false, 32})},
        {"vorbis.ogg",
         [](const fs::path& file) {
             test::EncodeOgg(file, {44100, 2, 8.5});
         }},
        {"opus.opus",
         [](const fs::path& file) {
             test::EncodeOpus(file, {48000, 2, 8.5});
         }},
    };
}

void PrintTo(const Kind& c, std::ostream* out) {
    *out << c.Name;
}

class JobCounts : public testing::TestWithParam<Kind> {};

// Alone at one job the file is decoded in one piece; at two and three, idle jobs cut it into
// slices where its decoder positions exactly.
TEST_P(JobCounts, AFileAloneGivesTheSameBytesAtAnyJobCount) {
    test::TempDir dir;
    const std::string name = GetParam().Name;
    GetParam().Make(dir.File(name));
    const std::string wav = fs::path(name).replace_extension(".wav").string();
    std::string reference;
    for (const char* jobs : {"1", "2", "3"}) {
        const std::string out = std::string("out-") + jobs;
        fs::create_directories(dir.File(out));
        ASSERT_EQ(test::RunCliProcess({"-q", "-j", jobs, "-o", out, name}, dir.Path()).ExitStatus,
                  0);
        const std::string bytes = ReadFile(dir.File(out) / wav);
        if (reference.empty())
            reference = bytes;
        EXPECT_GT(bytes.size(), 44u);
        EXPECT_TRUE(bytes == reference) << jobs << " jobs";
    }
}

std::string KindName(const testing::TestParamInfo<Kind>& kind) {
    std::string name = kind.param.Name;
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Kinds, JobCounts, testing::ValuesIn(Kinds()), KindName);

// Several files at once: the last ones meet idle jobs and are cut into slices.
TEST(CliExact, TheLastOfSeveralFilesGivesTheSameBytesAtAnyJobCount) {
    test::TempDir dir;
    std::vector<std::string> names;
    for (const Kind& kind : Kinds()) {
        kind.Make(dir.File(kind.Name));
        names.push_back(kind.Name);
    }
    for (const char* jobs : {"1", "2"}) {
        std::vector<std::string> args = {"-q", "-j", jobs, "-o", std::string("out-") + jobs};
        args.insert(args.end(), names.begin(), names.end());
        fs::create_directories(dir.File(args[4]));
        ASSERT_EQ(test::RunCliProcess(args, dir.Path()).ExitStatus, 0);
    }
    for (const std::string& name : names) {
        const fs::path wav = fs::path(name).replace_extension(".wav");
        EXPECT_TRUE(ReadFile(dir.File("out-1") / wav) == ReadFile(dir.File("out-2") / wav)) << name;
    }
}

// A damaged or odd file: converted whole, its bytes those of reference when one is named,
// and a warning in the JSON line when one is due.
struct OddFile {
    const char* Name;
    const char* Reference; // the file whose WAV it equals; null: only its length is checked
    bool Warns;
};

TEST(CliExact, DamagedAndOddFilesConvertWholeAndSaySo) {
    test::TempDir dir;
    const test::ToneSpec tone{44100, 2, 8.0};
    test::EncodeMp3(dir.File("cbr.mp3"), tone);
    test::EncodeMp3(dir.File("bare.mp3"), tone, {false, false, 128});
    test::EncodeOgg(dir.File("vorbis.ogg"), tone);
    test::EncodeOgg(dir.File("tail.ogg"), {44100, 2, 3.0});
    std::mt19937 random(25);
    std::vector<char> junk(3000);
    for (char& byte : junk)
        byte = static_cast<char>(random());
    const auto make = [&](const char* name, const char* from, const auto& change) {
        std::vector<char> bytes = FileBytes(dir.File(from));
        change(bytes);
        WriteBytes(dir.File(name), bytes);
    };
    make("junk-tail.mp3", "cbr.mp3",
         [&](std::vector<char>& bytes) { bytes.insert(bytes.end(), junk.begin(), junk.end()); });
    make("ogg-tail.mp3", "cbr.mp3", [&](std::vector<char>& bytes) {
        const std::vector<char> tail = FileBytes(dir.File("tail.ogg"));
        bytes.insert(bytes.end(), tail.begin(), tail.end());
    });
    // Frames lost to zeroed bytes in the middle.
    const auto zeroed = [](std::vector<char>& bytes) {
        std::fill_n(bytes.begin() + static_cast<long>(bytes.size() / 2), 8000, '\0');
    };
    make("zeroed.mp3", "cbr.mp3", zeroed);
    make("zeroed-bare.mp3", "bare.mp3", zeroed);
    make("junk-before.ogg", "vorbis.ogg",
         [&](std::vector<char>& bytes) { bytes.insert(bytes.begin(), junk.begin(), junk.end()); });
    make("lost-page.ogg", "vorbis.ogg", [](std::vector<char>& bytes) {
        const test::OggPageSpan page = test::OggPages(bytes)[test::OggPages(bytes).size() / 2];
        bytes.erase(bytes.begin() + static_cast<long>(page.offset),
                    bytes.begin() + static_cast<long>(page.offset + page.size));
    });
    make("absurd-granule.ogg", "vorbis.ogg", [](std::vector<char>& bytes) {
        test::SetOggGranule(bytes, test::OggPages(bytes).back(), std::int64_t{1} << 62);
    });
    test::EncodeOgg(dir.File("mono.ogg"), {22050, 1, 3.0});
    make("chain.ogg", "vorbis.ogg", [&](std::vector<char>& bytes) {
        const std::vector<char> mono = FileBytes(dir.File("mono.ogg"));
        bytes.insert(bytes.end(), mono.begin(), mono.end());
    });
    const std::vector<OddFile> files = {
        {"junk-tail.mp3", "cbr.mp3", false},
        {"ogg-tail.mp3", "cbr.mp3", false},
        {"junk-before.ogg", "vorbis.ogg", false},
        {"lost-page.ogg", nullptr, true},
        {"absurd-granule.ogg", nullptr, true},
        {"chain.ogg", nullptr, true},
        {"zeroed.mp3", nullptr, true},
        {"zeroed-bare.mp3", nullptr, true},
    };
    std::vector<std::string> args = {"--json", "-q",  "-j",      "2",
                                     "-o",     "out", "cbr.mp3", "vorbis.ogg"};
    for (const OddFile& file : files)
        args.push_back(file.Name);
    fs::create_directories(dir.File("out"));
    const test::CliOutcome outcome = test::RunCliProcess(args, dir.Path());
    EXPECT_EQ(outcome.ExitStatus, 0) << outcome.Err;
    const auto wav = [&](const char* name) {
        return ReadFile(dir.File("out") / fs::path(name).replace_extension(".wav"));
    };
    for (const OddFile& file : files) {
        SCOPED_TRACE(file.Name);
        const std::string ours = wav(file.Name);
        const std::string whole = wav(file.Reference ? file.Reference : "vorbis.ogg");
        // The chain: both links' time, the second link's in the first one's format.
        const double expected = static_cast<double>(whole.size()) +
                                (std::string(file.Name) == "chain.ogg" ? 3.0 * 44100 * 4 : 0.0);
        if (file.Reference)
            EXPECT_TRUE(ours == whole);
        else
            EXPECT_NEAR(static_cast<double>(ours.size()), expected, 4096.0 * 4);
        const std::size_t line = outcome.Out.find(std::string("\"") + file.Name);
        ASSERT_NE(line, std::string::npos);
        const std::string json = outcome.Out.substr(line, outcome.Out.find('\n', line) - line);
        EXPECT_EQ(json.find("\"warning\"") != std::string::npos, file.Warns) << json;
    }
    // The lost page's time is silence: the file keeps its whole length.
    EXPECT_EQ(wav("lost-page.ogg").size(), wav("vorbis.ogg").size());
    EXPECT_EQ(wav("zeroed.mp3").size(), wav("cbr.mp3").size());
}

} // namespace
} // namespace zent::cli
