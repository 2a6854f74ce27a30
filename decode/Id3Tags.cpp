#include "decode/Id3Tags.h"

#include "decode/TagText.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace zent {

namespace {

constexpr std::size_t kId3v2HeaderSize = 10;
constexpr std::size_t kId3v1Size = 128;
// Larger tags are cover art; the text frames come first in practice.
constexpr std::size_t kMaxId3v2Read = 16u << 20;

constexpr std::uint8_t kTagUnsynchronised = 0x80;
constexpr std::uint8_t kTagExtendedHeader = 0x40;
constexpr std::uint8_t kV22Compressed = 0x40;

// ID3v1 genres 0 to 79.
constexpr std::array<std::string_view, 80> kGenres = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
};

std::string GenreName(int number) {
    return number >= 0 && number < static_cast<int>(kGenres.size())
               ? std::string(kGenres[static_cast<std::size_t>(number)])
               : std::string();
}

using Bytes = std::span<const std::uint8_t>;

std::uint32_t SyncSafe(Bytes b) {
    return (std::uint32_t{b[0]} & 0x7Fu) << 21 | (std::uint32_t{b[1]} & 0x7Fu) << 14 |
           (std::uint32_t{b[2]} & 0x7Fu) << 7 | (std::uint32_t{b[3]} & 0x7Fu);
}

std::uint32_t BigEndian(Bytes b) {
    std::uint32_t value = 0;
    for (const std::uint8_t x : b)
        value = value << 8 | x;
    return value;
}

// Undoes unsynchronisation: a 0x00 after 0xFF was put there by the writer.
std::vector<std::uint8_t> Resynchronise(Bytes bytes) {
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0x00)
            ++i;
    }
    return out;
}

// Where a text in the given encoding ends (its terminator excluded) and where the next begins.
std::pair<std::size_t, std::size_t> TextEnd(Bytes bytes, std::uint8_t encoding) {
    const bool wide = encoding == 1 || encoding == 2;
    const std::size_t step = wide ? 2 : 1;
    for (std::size_t i = 0; i + step <= bytes.size(); i += step) {
        if (bytes[i] == 0 && (!wide || bytes[i + 1] == 0))
            return {i, i + step};
    }
    return {bytes.size(), bytes.size()};
}

std::string DecodeText(Bytes bytes, std::uint8_t encoding) {
    switch (encoding) {
    case 0:
        return Latin1ToUtf8(bytes);
    case 1: {
        // A byte order mark leads; without one, little-endian as most writers use.
        bool bigEndian = false;
        if (bytes.size() >= 2 &&
            ((bytes[0] == 0xFE && bytes[1] == 0xFF) || (bytes[0] == 0xFF && bytes[1] == 0xFE))) {
            bigEndian = bytes[0] == 0xFE;
            bytes = bytes.subspan(2);
        }
        return Utf16ToUtf8(bytes, bigEndian);
    }
    case 2:
        return Utf16ToUtf8(bytes, true);
    case 3:
        return CleanUtf8(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    default:
        return {};
    }
}

// A text frame: an encoding byte, then one or more texts (2.4 separates values by NULs),
// joined with "; ".
std::string TextFrame(Bytes body) {
    if (body.empty())
        return {};
    const std::uint8_t encoding = body[0];
    Bytes rest = body.subspan(1);
    std::string joined;
    while (!rest.empty()) {
        const auto [end, next] = TextEnd(rest, encoding);
        const std::string value = DecodeText(rest.first(end), encoding);
        if (!value.empty())
            joined += (joined.empty() ? "" : "; ") + value;
        rest = rest.subspan(next);
    }
    return joined;
}

// "(17)", "17" or "(17)Rock" name ID3v1 genres; a text after the reference wins.
std::string Genre(const std::string& text) {
    std::string_view rest = text;
    std::string named;
    while (rest.size() > 2 && rest[0] == '(' && rest[1] != '(') {
        const std::size_t close = rest.find(')');
        if (close == std::string_view::npos)
            break;
        const std::string_view inside = rest.substr(1, close - 1);
        if (named.empty() && !inside.empty() &&
            std::all_of(inside.begin(), inside.end(),
                        [](char c) { return c >= '0' && c <= '9'; }) &&
            inside.size() <= 3)
            named = GenreName(std::stoi(std::string(inside)));
        rest.remove_prefix(close + 1);
    }
    if (rest.starts_with("(("))
        rest.remove_prefix(1); // an escaped parenthesis
    if (!rest.empty()) {
        const bool number = rest.size() <= 3 && std::all_of(rest.begin(), rest.end(), [](char c) {
                                return c >= '0' && c <= '9';
                            });
        return number ? GenreName(std::stoi(std::string(rest))) : std::string(rest);
    }
    return named;
}

// A comment frame: encoding, language, a short description, the text. Comments that carry
// a player's data ("iTunNORM" and the like) are not the listener's.
bool CommentFrame(Bytes body, std::string& comment) {
    if (body.size() < 4)
        return false;
    const std::uint8_t encoding = body[0];
    const Bytes rest = body.subspan(4);
    const auto [end, next] = TextEnd(rest, encoding);
    const std::string description = DecodeText(rest.first(end), encoding);
    if (description.starts_with("iTun"))
        return false;
    comment = DecodeText(rest.subspan(next), encoding);
    return description.empty();
}

struct FrameIds {
    std::string_view Title, Artist, Album, Track, Year, Date, Genre, Comment;
};

constexpr FrameIds kV22Ids = {"TT2", "TP1", "TAL", "TRK", "TYE", "", "TCO", "COM"};
constexpr FrameIds kV23Ids = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TDRC", "TCON", "COMM"};

class Id3v2Reader {
public:
    // allUnsynchronised: a 2.4 tag whose frames are all unsynchronised.
    Id3v2Reader(int version, bool allUnsynchronised)
        : FVersion(version), FIds(version == 2 ? kV22Ids : kV23Ids),
          FAllUnsynchronised(allUnsynchronised) {}

    // The fields read, the date with the day and time of ID3v2.3's TDAT and TIME in it.
    AudioTags Tags() const;

    // Walks the frames of the tag's body.
    void Frames(Bytes body);

private:
    void Frame(std::string_view id, Bytes body);

    int FVersion;
    FrameIds FIds;
    bool FAllUnsynchronised;
    AudioTags FTags;
    bool FPlainComment = false;
    std::string FDayMonth; // TDAT: DDMM
    std::string FTime;     // TIME: HHMM
};

bool FourDigits(const std::string& text) {
    return text.size() == 4 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

AudioTags Id3v2Reader::Tags() const {
    AudioTags tags = FTags;
    // TYER, TDAT and TIME as one ISO date, the form that ID3v2.4's TDRC has.
    if (FVersion == 3 && FourDigits(tags.Date) && FourDigits(FDayMonth)) {
        tags.Date += "-" + FDayMonth.substr(2, 2) + "-" + FDayMonth.substr(0, 2);
        if (FourDigits(FTime))
            tags.Date += "T" + FTime.substr(0, 2) + ":" + FTime.substr(2, 2);
    }
    return tags;
}

void Id3v2Reader::Frame(std::string_view id, Bytes body) {
    std::string* field = nullptr;
    if (id == FIds.Title)
        field = &FTags.Title;
    else if (id == FIds.Artist)
        field = &FTags.Artist;
    else if (id == FIds.Album)
        field = &FTags.Album;
    else if (id == FIds.Track)
        field = &FTags.Track;
    else if (id == FIds.Date || id == FIds.Year)
        field = &FTags.Date;
    if (field != nullptr) {
        if (field->empty())
            *field = TextFrame(body);
    } else if (FVersion == 3 && id == "TDAT") {
        FDayMonth = TextFrame(body);
    } else if (FVersion == 3 && id == "TIME") {
        FTime = TextFrame(body);
    } else if (id == FIds.Genre) {
        if (FTags.Genre.empty())
            FTags.Genre = Genre(TextFrame(body));
    } else if (id == FIds.Comment && !FPlainComment) {
        std::string comment;
        const bool plain = CommentFrame(body, comment);
        if (plain || FTags.Comment.empty()) {
            FTags.Comment = comment;
            FPlainComment = plain && !comment.empty();
        }
    }
}

void Id3v2Reader::Frames(Bytes body) {
    const std::size_t idSize = FVersion == 2 ? 3 : 4;
    const std::size_t headerSize = FVersion == 2 ? 6 : 10;
    while (body.size() >= headerSize && body[0] != 0) {
        const std::string_view id(reinterpret_cast<const char*>(body.data()), idSize);
        const Bytes sizeBytes = body.subspan(idSize, FVersion == 2 ? 3 : 4);
        const std::size_t size = FVersion == 4 ? SyncSafe(sizeBytes) : BigEndian(sizeBytes);
        if (size > body.size() - headerSize)
            break;
        Bytes frame = body.subspan(headerSize, size);
        const std::uint8_t format = FVersion == 2 ? 0 : body[9];
        body = body.subspan(headerSize + size);
        std::vector<std::uint8_t> resynchronised;
        if (FVersion == 3) {
            if ((format & 0xC0) != 0) // compressed or encrypted
                continue;
            if ((format & 0x20) != 0 && !frame.empty()) // a group byte
                frame = frame.subspan(1);
        } else if (FVersion == 4) {
            if ((format & 0x0C) != 0) // compressed or encrypted
                continue;
            // A group byte and a data length before the data; 0x02: unsynchronised.
            std::size_t skip = ((format & 0x40) != 0 ? 1 : 0) + ((format & 0x01) != 0 ? 4 : 0);
            if (skip > frame.size())
                continue;
            frame = frame.subspan(skip);
            if ((format & 0x02) != 0 || FAllUnsynchronised) {
                resynchronised = Resynchronise(frame);
                frame = resynchronised;
            }
        }
        Frame(id, frame);
    }
}

std::string Field(Bytes bytes) {
    std::string text = Latin1ToUtf8(bytes);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

void FillEmpty(AudioTags& tags, const AudioTags& other) {
    const auto fill = [](std::string& field, const std::string& value) {
        if (field.empty())
            field = value;
    };
    fill(tags.Title, other.Title);
    fill(tags.Artist, other.Artist);
    fill(tags.Album, other.Album);
    fill(tags.Track, other.Track);
    fill(tags.Date, other.Date);
    fill(tags.Genre, other.Genre);
    fill(tags.Comment, other.Comment);
}

} // namespace

AudioTags ParseId3v2(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kId3v2HeaderSize || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3')
        return {};
    const int version = bytes[3];
    const std::uint8_t flags = bytes[5];
    if (version < 2 || version > 4 || (version == 2 && (flags & kV22Compressed) != 0))
        return {};
    const std::size_t size =
        std::min<std::size_t>(SyncSafe(bytes.subspan(6, 4)), bytes.size() - kId3v2HeaderSize);
    Bytes body = bytes.subspan(kId3v2HeaderSize, size);
    std::vector<std::uint8_t> resynchronised;
    const bool unsynchronised = (flags & kTagUnsynchronised) != 0;
    if (unsynchronised && version < 4) {
        resynchronised = Resynchronise(body);
        body = resynchronised;
    }
    if (version > 2 && (flags & kTagExtendedHeader) != 0 && body.size() >= 4) {
        // 2.3 counts the size without its own four bytes, 2.4 with them.
        const std::size_t extended =
            version == 3 ? std::size_t{BigEndian(body.first(4))} + 4 : SyncSafe(body.first(4));
        body = body.subspan(std::min(extended, body.size()));
    }
    Id3v2Reader reader(version, unsynchronised && version == 4);
    reader.Frames(body);
    return reader.Tags();
}

std::int64_t Id3v2TagBytes(std::span<const std::uint8_t, 10> header) {
    constexpr std::uint8_t kFooterPresent = 0x10;
    if (header[0] != 'I' || header[1] != 'D' || header[2] != '3' || header[3] == 0xFF ||
        header[4] == 0xFF)
        return 0;
    const bool footer = header[3] == 4 && (header[5] & kFooterPresent) != 0;
    return static_cast<std::int64_t>(kId3v2HeaderSize) + SyncSafe(Bytes(header).subspan(6, 4)) +
           (footer ? static_cast<std::int64_t>(kId3v2HeaderSize) : 0);
}

AudioTags ParseId3v1(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kId3v1Size || bytes[0] != 'T' || bytes[1] != 'A' || bytes[2] != 'G')
        return {};
    AudioTags tags;
    tags.Title = Field(bytes.subspan(3, 30));
    tags.Artist = Field(bytes.subspan(33, 30));
    tags.Album = Field(bytes.subspan(63, 30));
    tags.Date = Field(bytes.subspan(93, 4));
    // ID3v1.1: a NUL before the last byte of the comment makes that byte the track number.
    const bool hasTrack = bytes[125] == 0 && bytes[126] != 0;
    tags.Comment = Field(bytes.subspan(97, hasTrack ? 28 : 30));
    if (hasTrack)
        tags.Track = std::to_string(bytes[126]);
    tags.Genre = GenreName(bytes[127]);
    return tags;
}

AudioTags ReadId3Tags(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    AudioTags tags;
    // Tags one after another (a tag editor's added to an older one): the first one's fields
    // win, the later ones fill what it leaves empty.
    constexpr int kMaxTags = 8;
    std::int64_t at = 0;
    for (int count = 0; count < kMaxTags; ++count) {
        std::vector<std::uint8_t> head(kId3v2HeaderSize);
        if (!file.seekg(at) || !file.read(reinterpret_cast<char*>(head.data()),
                                          static_cast<std::streamsize>(head.size())))
            break;
        const std::int64_t bytes =
            Id3v2TagBytes(std::span<const std::uint8_t, 10>(head.data(), 10));
        if (bytes == 0)
            break;
        const std::size_t size =
            std::min<std::size_t>(SyncSafe(std::span(head).subspan(6, 4)), kMaxId3v2Read);
        head.resize(kId3v2HeaderSize + size);
        file.read(reinterpret_cast<char*>(head.data() + kId3v2HeaderSize),
                  static_cast<std::streamsize>(size));
        head.resize(kId3v2HeaderSize + static_cast<std::size_t>(file.gcount()));
        FillEmpty(tags, ParseId3v2(head));
        at += bytes;
    }
    file.clear();
    std::vector<std::uint8_t> tail(kId3v1Size);
    if (file.seekg(-static_cast<std::streamoff>(kId3v1Size), std::ios::end) &&
        file.read(reinterpret_cast<char*>(tail.data()), static_cast<std::streamsize>(tail.size())))
        FillEmpty(tags, ParseId3v1(tail));
    return tags;
}

} // namespace zent
