#include "decode/CommentTags.h"
#include "decode/Decoder.h"
#include "decode/Id3Tags.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace zent {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Of(const std::string& text) {
    return {text.begin(), text.end()};
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Size(std::uint32_t value, bool syncSafe, int bytes = 4) {
    Bytes out;
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(syncSafe ? (value >> (7 * i)) & 0x7F
                                                         : (value >> (8 * i)) & 0xFF));
    return out;
}

Bytes Frame(int version, const std::string& id, const Bytes& body, std::uint8_t format = 0) {
    if (version == 2)
        return Of(id) + Size(static_cast<std::uint32_t>(body.size()), false, 3) + body;
    return Of(id) + Size(static_cast<std::uint32_t>(body.size()), version == 4) + Bytes{0, format} +
           body;
}

Bytes Tag(int version, const Bytes& frames, std::uint8_t flags = 0) {
    return Of("ID3") + Bytes{static_cast<std::uint8_t>(version), 0, flags} +
           Size(static_cast<std::uint32_t>(frames.size()), true) + frames;
}

// A 0x00 after every 0xFF, as an unsynchronising writer may put it.
Bytes Unsynchronise(const Bytes& bytes) {
    Bytes out;
    for (const std::uint8_t b : bytes) {
        out.push_back(b);
        if (b == 0xFF)
            out.push_back(0);
    }
    return out;
}

// The texts of the tests in each encoding: 0 Latin-1, 1 UTF-16 with BOM, 2 UTF-16BE; 3 UTF-8
// is in Utf8().
Bytes Text(std::uint8_t encoding, const std::u16string& text) {
    Bytes out{encoding};
    if (encoding == 1)
        out = out + Bytes{0xFF, 0xFE};
    for (const char16_t c : text) {
        const auto high = static_cast<std::uint8_t>(c >> 8);
        const auto low = static_cast<std::uint8_t>(c & 0xFF);
        out = out + (encoding == 0   ? Bytes{low}
                     : encoding == 1 ? Bytes{low, high}
                                     : Bytes{high, low});
    }
    return out;
}

Bytes Utf8(const std::string& text) {
    return Bytes{3} + Of(text);
}

struct TextCase {
    int Version;
    std::uint8_t Encoding;
    std::u16string Title;
    std::string Expected;
};

TEST(Id3Tags, TextInEveryVersionAndEncoding) {
    const std::vector<TextCase> cases = {
        {2, 0, u"Caf\u00e9", "Café"},     {2, 1, u"Note \u266a", "Note ♪"},
        {3, 0, u"Caf\u00e9", "Café"},     {3, 1, u"Note \u266a", "Note ♪"},
        {4, 0, u"Caf\u00e9", "Café"},     {4, 1, u"Note \u266a", "Note ♪"},
        {4, 2, u"Note \u266a", "Note ♪"},
    };
    for (const TextCase& c : cases) {
        const bool old = c.Version == 2;
        const Bytes frames = Frame(c.Version, old ? "TT2" : "TIT2", Text(c.Encoding, c.Title)) +
                             Frame(c.Version, old ? "TP1" : "TPE1", Text(c.Encoding, u"Band"));
        const AudioTags tags = ParseId3v2(Tag(c.Version, frames));
        EXPECT_EQ(tags.Title, c.Expected) << "2." << c.Version << " encoding " << int{c.Encoding};
        EXPECT_EQ(tags.Artist, "Band") << "2." << c.Version << " encoding " << int{c.Encoding};
    }
}

TEST(Id3Tags, EveryFieldOfATag) {
    const Bytes comments =
        Frame(3, "COMM", Bytes{0} + Of("eng") + Of("iTunNORM") + Bytes{0} + Of(" 0000")) +
        Frame(3, "COMM", Bytes{0} + Of("eng") + Bytes{0} + Of("Live take"));
    const Bytes frames = Frame(3, "TALB", Text(0, u"Album")) + Frame(3, "TRCK", Text(0, u"3/12")) +
                         Frame(3, "TYER", Text(0, u"1999")) + Frame(3, "TCON", Text(0, u"(17)")) +
                         comments;
    const AudioTags tags = ParseId3v2(Tag(3, frames));
    EXPECT_EQ(tags, (AudioTags{"", "", "Album", "3/12", "1999", "Rock", "Live take"}));
    // Values of 2.4 are separated by NULs.
    EXPECT_EQ(ParseId3v2(Tag(4, Frame(4, "TPE1", Utf8(std::string("\xC3\x84\0B", 4))))).Artist,
              "Ä; B");
}

TEST(Id3Tags, GenreReferences) {
    const std::vector<std::pair<std::u16string, std::string>> cases = {
        {u"(17)", "Rock"},         {u"17", "Rock"}, {u"(17)Live", "Live"},
        {u"Synthpop", "Synthpop"}, {u"(200)", ""},  {u"((17) Bracket", "(17) Bracket"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseId3v2(Tag(3, Frame(3, "TCON", Text(0, text)))).Genre, expected) << expected;
}

TEST(Id3Tags, UnsynchronisedAndExtendedTags) {
    const Bytes title = Text(0, u"\u00ff\u00e0 end");
    // 2.3: the whole tag is unsynchronised, sizes count the bytes after undoing it.
    const Bytes v3 =
        Of("ID3") + Bytes{3, 0, 0x80} +
        Size(static_cast<std::uint32_t>(Unsynchronise(Frame(3, "TIT2", title)).size()), true) +
        Unsynchronise(Frame(3, "TIT2", title));
    EXPECT_EQ(ParseId3v2(v3).Title, "ÿà end");
    // 2.4: per frame, with a data length indicator; an extended header before the frames.
    const Bytes body = Size(static_cast<std::uint32_t>(title.size()), true) + Unsynchronise(title);
    const Bytes extended = Size(6, true) + Bytes{1, 0};
    const Bytes v4 = Tag(4, extended + Frame(4, "TIT2", body, 0x03), 0x40);
    EXPECT_EQ(ParseId3v2(v4).Title, "ÿà end");
    // 2.3's extended header counts its size without its own four bytes.
    const Bytes v3Extended =
        Tag(3, Size(6, false) + Bytes(6, 0) + Frame(3, "TIT2", Text(0, u"x")), 0x40);
    EXPECT_EQ(ParseId3v2(v3Extended).Title, "x");
}

TEST(Id3Tags, DamagedTagsGiveTheWholeFrames) {
    Bytes tag = Tag(3, Frame(3, "TIT2", Text(0, u"Whole")) + Frame(3, "TPE1", Text(0, u"Cut")));
    tag.resize(tag.size() - 2);
    EXPECT_EQ(ParseId3v2(tag), (AudioTags{"Whole", "", "", "", "", "", ""}));
    EXPECT_TRUE(ParseId3v2(Of("ID3\x05")).Empty());
    EXPECT_TRUE(ParseId3v2(Of("ID3") + Bytes{3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F, 'T'}).Empty());
    EXPECT_TRUE(ParseId3v2(Of("RIFF....")).Empty());
}

Bytes Id3v1(const std::string& title, const std::string& comment, int track, int genre) {
    Bytes tag = Of("TAG");
    const auto field = [&](const std::string& text, std::size_t size) {
        Bytes b = Of(text.substr(0, size));
        b.resize(size, 0);
        tag = tag + b;
    };
    field(title, 30);
    field("Artist  ", 30);
    field("Album", 30);
    field("2001", 4);
    field(comment, 28);
    tag = tag + Bytes{0, static_cast<std::uint8_t>(track), static_cast<std::uint8_t>(genre)};
    return tag;
}

TEST(Id3Tags, Id3v1AndItsTrackNumber) {
    EXPECT_EQ(ParseId3v1(Id3v1("T\xe9", "Note", 7, 8)),
              (AudioTags{"Té", "Artist", "Album", "7", "2001", "Jazz", "Note"}));
    EXPECT_EQ(ParseId3v1(Id3v1("T", "", 0, 255)).Track, "");
    EXPECT_EQ(ParseId3v1(Id3v1("T", "", 0, 255)).Genre, "");
}

TEST(Id3Tags, FileTagsFillEachOther) {
    test::TempDir dir;
    const auto file = dir.File("song.mp3");
    {
        const Bytes all = Tag(4, Frame(4, "TIT2", Utf8("Long title"))) + Bytes(3000, 0xFF) +
                          Id3v1("Short", "", 2, 17);
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(all.data()),
                  static_cast<std::streamsize>(all.size()));
    }
    EXPECT_EQ(ReadId3Tags(file),
              (AudioTags{"Long title", "Artist", "Album", "2", "2001", "Rock", ""}));
    EXPECT_TRUE(ReadId3Tags(dir.File("missing.mp3")).Empty());
}

TEST(Id3Tags, TwoTagsInARowGiveTheFieldsOfBoth) {
    test::TempDir dir;
    const auto file = dir.File("song.mp3");
    {
        const Bytes all =
            Tag(3, Frame(3, "TIT2", Text(0, u"First")) + Frame(3, "TYER", Text(0, u"2010"))) +
            Tag(4, Frame(4, "TIT2", Utf8("Second")) + Frame(4, "TPE1", Utf8("Band"))) +
            Bytes(3000, 0xFF);
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(all.data()),
                  static_cast<std::streamsize>(all.size()));
    }
    EXPECT_EQ(ReadId3Tags(file), (AudioTags{"First", "Band", "", "", "2010", "", ""}));
}

TEST(Id3Tags, FrameSizesAndUnsynchronisationOfEachVersion) {
    struct Case {
        const char* Name;
        Bytes Tag;
        std::string Title;
        std::string Date;
    };
    // 2.3 sizes are plain numbers: 200 bytes are 00 00 00 C8, which read as syncsafe is 72.
    const std::u16string longTitle(199, u'x');
    // 2.4: the header's flag and the frame's own both say unsynchronised: undone once.
    const Bytes escaped = Text(0, std::u16string(u"\u00ff\u0000x", 3));
    const Bytes v4Frame = Frame(4, "TIT2", Unsynchronise(escaped), 0x02);
    const std::vector<Case> cases = {
        {"2.3 long frame",
         Tag(3, Frame(3, "TIT2", Text(0, longTitle)) + Frame(3, "TPE1", Text(0, u"A"))),
         std::string(199, 'x'), ""},
        {"2.4 unsynchronised", Tag(4, v4Frame, 0x80), "\xC3\xBF; x", ""},
        {"2.3 day and time",
         Tag(3, Frame(3, "TYER", Text(0, u"2010")) + Frame(3, "TDAT", Text(0, u"0304")) +
                    Frame(3, "TIME", Text(0, u"1230"))),
         "", "2010-04-03T12:30"},
        {"2.3 day", Tag(3, Frame(3, "TDAT", Text(0, u"0304")) + Frame(3, "TYER", Text(0, u"2010"))),
         "", "2010-04-03"},
    };
    for (const Case& c : cases) {
        const AudioTags tags = ParseId3v2(c.Tag);
        EXPECT_EQ(tags.Title, c.Title) << c.Name;
        EXPECT_EQ(tags.Date, c.Date) << c.Name;
    }
    EXPECT_EQ(ParseId3v2(cases[0].Tag).Artist, "A");
}

TEST(CommentTags, KeysInAnyCaseIntoOneRecord) {
    const AudioTags tags = ParseCommentTags({
        "title=Song",
        "ARTIST=One",
        "Artist=Two",
        "ALBUM=Disc",
        "TRACKNUMBER=4",
        "YEAR=1990",
        "DATE=1991-05",
        "GENRE=Folk",
        "DESCRIPTION=Described",
        "ENCODER=whatever",
        "no equals sign",
        "ALBUM=",
        "=value",
        "COMMENT=Bad \xff byte",
    });
    EXPECT_EQ(tags, (AudioTags{"Song", "One; Two", "Disc", "4", "1991-05", "Folk",
                               "Bad \xEF\xBF\xBD byte"}));
    const AudioTags fallbacks = ParseCommentTags({"description=D", "year=2000"});
    EXPECT_EQ(fallbacks.Comment, "D");
    EXPECT_EQ(fallbacks.Date, "2000");
}

struct StreamTagCase {
    std::string Name;
    std::function<void(const test::TempDir&, const std::filesystem::path&)> Make;
};

TEST(StreamTags, EachFormatGivesItsTitleAndArtist) {
    const test::ToneSpec tone{44100, 2, 0.5};
    const std::vector<StreamTagCase> cases = {
        {"mp3",
         [&](const test::TempDir& dir, const std::filesystem::path& file) {
             const auto plain = dir.File("plain.mp3");
             test::EncodeMp3(plain, tone);
             std::ifstream in(plain, std::ios::binary);
             const Bytes audio{std::istreambuf_iterator<char>(in), {}};
             const Bytes all = Tag(3, Frame(3, "TIT2", Text(1, u"Caf\u00e9")) +
                                          Frame(3, "TPE1", Text(0, u"Band"))) +
                               audio;
             std::ofstream out(file, std::ios::binary);
             out.write(reinterpret_cast<const char*>(all.data()),
                       static_cast<std::streamsize>(all.size()));
         }},
        {"vorbis",
         [&](const test::TempDir& dir, const std::filesystem::path& file) {
             const auto wav = dir.File("source.wav");
             test::WriteWav(wav, tone);
             const std::string command =
                 "oggenc -Q -t 'Café' -a 'Band' -o '" + file.string() + "' '" + wav.string() + "'";
             ASSERT_EQ(std::system(command.c_str()), 0) << command;
         }},
        {"opus",
         [&](const test::TempDir&, const std::filesystem::path& file) {
             test::EncodeOpus(file, test::ToneSpec{48000, 2, 0.5},
                              "--title 'Café' --artist 'Band'");
         }},
    };
    for (const StreamTagCase& c : cases) {
        test::TempDir dir;
        const auto file = dir.File("tagged");
        c.Make(dir, file);
        for (const SampleKind kind : {SampleKind::Int16, SampleKind::Float32}) {
            const auto stream = OpenDecoderStream(file, kind);
            ASSERT_NE(stream, nullptr) << c.Name;
            const AudioTags tags = stream->Tags();
            EXPECT_EQ(tags.Title, "Café") << c.Name;
            EXPECT_EQ(tags.Artist, "Band") << c.Name;
        }
    }
    test::TempDir dir;
    test::EncodeOgg(dir.File("bare.ogg"), tone);
    EXPECT_TRUE(OpenDecoderStream(dir.File("bare.ogg"))->Tags().Empty());
}

} // namespace
} // namespace zent
