#include "decode/MpegFrames.h"

#include "decode/Id3Tags.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace zent {

std::uint32_t BigEndian32(const unsigned char* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) |
           (std::uint32_t{at[2]} << 8) | std::uint32_t{at[3]};
}

namespace {

std::uint32_t LittleEndian32(const unsigned char* at) {
    return std::uint32_t{at[0]} | (std::uint32_t{at[1]} << 8) | (std::uint32_t{at[2]} << 16) |
           (std::uint32_t{at[3]} << 24);
}

} // namespace

bool ReadAt(NativeFile& file, std::int64_t offset, unsigned char* buffer, std::size_t size) {
    return offset >= 0 && file.Seek(offset, SEEK_SET) && file.Read(buffer, size) == size;
}

namespace {

// Where a Xing or Info tag stands in a layer III frame with this header: after the side
// information.
std::size_t XingTagOffset(std::uint32_t header) {
    const bool mpeg1 = ((header >> 19) & 3) == 3;
    const bool mono = ((header >> 6) & 3) == 3;
    return 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
}

} // namespace

// Where the MPEG data ends by the byte count of a LAME/Xing header in the first frame; -1
// when there is no such count.
std::int64_t EndByInfoHeader(NativeFile& file) {
    std::int64_t at = 0;
    std::array<std::uint8_t, 10> id3{};
    while (ReadAt(file, at, id3.data(), id3.size())) {
        const std::int64_t tag = Id3v2TagBytes(id3);
        if (tag == 0) {
            break;
        }
        at += tag;
    }
    // Header, side information (at most 32 bytes), tag name, flags, frame and byte counts.
    std::array<unsigned char, 4 + 32 + 16> frame{};
    if (!ReadAt(file, at, frame.data(), frame.size())) {
        return -1;
    }
    const std::uint32_t header = BigEndian32(frame.data());
    const bool layer3 = ((header >> 17) & 3) == 1;
    if ((header & 0xffe00000) != 0xffe00000 || !layer3) {
        return -1;
    }
    const unsigned char* tag = frame.data() + XingTagOffset(header);
    if (std::memcmp(tag, "Info", 4) != 0 && std::memcmp(tag, "Xing", 4) != 0) {
        return -1;
    }
    const std::uint32_t flags = BigEndian32(tag + 4);
    constexpr std::uint32_t kFramesFlag = 1;
    constexpr std::uint32_t kBytesFlag = 2;
    if ((flags & kBytesFlag) == 0) {
        return -1;
    }
    return at + BigEndian32(tag + ((flags & kFramesFlag) != 0 ? 12 : 8));
}

// Where the file's MPEG data ends: before an ID3v1 tag and an APEv2 tag, if there are any.
std::int64_t EndBeforeTags(NativeFile& file) {
    constexpr std::int64_t kId3v1Bytes = 128;
    constexpr std::int64_t kApeFooterBytes = 32;
    constexpr std::uint32_t kApeHeaderFlag = 0x80000000u;
    // The end of the file in one read: an APE footer, then perhaps an ID3v1 tag.
    std::array<unsigned char, kApeFooterBytes + kId3v1Bytes> tail{};
    if (!file.Seek(-static_cast<std::int64_t>(tail.size()), SEEK_END) && !file.Seek(0, SEEK_SET)) {
        return -1;
    }
    const std::int64_t tailAt = file.Tell();
    const std::size_t got = file.Read(tail.data(), tail.size());
    std::int64_t end = tailAt + static_cast<std::int64_t>(got);
    std::size_t footerAt = got;
    if (got >= kId3v1Bytes && std::memcmp(tail.data() + got - kId3v1Bytes, "TAG", 3) == 0) {
        end -= kId3v1Bytes;
        footerAt -= kId3v1Bytes;
    }
    if (footerAt >= kApeFooterBytes) {
        const unsigned char* footer = tail.data() + footerAt - kApeFooterBytes;
        if (std::memcmp(footer, "APETAGEX", 8) == 0) {
            end -= LittleEndian32(footer + 12) +
                   ((LittleEndian32(footer + 20) & kApeHeaderFlag) != 0 ? kApeFooterBytes : 0);
        }
    }
    return end;
}

// Whether the file holds no more than its Info header accounts for. Joined files hold more
// and need their frames counted. A cut file keeps the length its header announces, so that
// a conversion can tell that it ended early instead of passing a short file off as whole.
bool InfoHeaderCoversTheFile(NativeFile& file) {
    const std::int64_t infoEnd = EndByInfoHeader(file);
    const bool covered = infoEnd > 0 && infoEnd >= EndBeforeTags(file);
    return file.Seek(0, SEEK_SET) && covered;
}

// MPEG version, layer, sampling rate and mono or not: what fixes the decoded format.
std::uint32_t FormatKey(std::uint32_t header) {
    constexpr std::uint32_t kVersionLayerRate = 0x001e0c00;
    constexpr std::uint32_t kMonoMode = 0xc0;
    return (header & kVersionLayerRate) | ((header & kMonoMode) == kMonoMode ? 1 : 0);
}

// The length in bytes of an MPEG audio frame by its header; 0 for bytes that are no frame
// header, and for free-format frames, whose length the header does not tell.
std::int64_t FrameBytesByHeader(std::uint32_t header) {
    constexpr std::array<std::array<std::int64_t, 15>, 5> kKilobits = {{
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}, // MPEG-1 I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},    // MPEG-1 II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},     // MPEG-1 III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},    // MPEG-2 I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},         // MPEG-2 II, III
    }};
    constexpr std::array<std::int64_t, 3> kMpeg1Rates = {44100, 48000, 32000};
    const std::uint32_t version = (header >> 19) & 3;   // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const std::uint32_t layerBits = (header >> 17) & 3; // 3: I, 2: II, 1: III
    const std::uint32_t bitrate = (header >> 12) & 15;
    const std::uint32_t rateIndex = (header >> 10) & 3;
    if ((header & 0xffe00000) != 0xffe00000 || version == 1 || layerBits == 0 || bitrate == 0 ||
        bitrate == 15 || rateIndex == 3) {
        return 0;
    }
    const int layer = 4 - static_cast<int>(layerBits);
    const bool mpeg1 = version == 3;
    const std::int64_t rate = kMpeg1Rates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const std::size_t table = mpeg1 ? static_cast<std::size_t>(layer - 1) : layer == 1 ? 3 : 4;
    const std::int64_t bits = kKilobits[table][bitrate] * 1000;
    const std::int64_t padding = (header >> 9) & 1;
    if (layer == 1) {
        return (12 * bits / rate + padding) * 4;
    }
    return (layer == 3 && !mpeg1 ? 72 : 144) * bits / rate + padding;
}

// Bytes from..to between two frames of audio, less what held no audio to lose: the tags and
// the Info frame that each part of joined files brings along.
std::int64_t LostBytes(NativeFile& file, std::int64_t from, std::int64_t to) {
    constexpr std::int64_t kId3v1Bytes = 128;
    std::array<unsigned char, 64> head{};
    std::int64_t at = from;
    while (at < to) {
        const auto got = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(head.size()), to - at));
        if (!ReadAt(file, at, head.data(), got)) {
            break;
        }
        std::int64_t skip = 0;
        if (got >= 10) {
            skip = Id3v2TagBytes(std::span<const std::uint8_t, 10>(head.data(), 10));
        }
        if (skip == 0 && got >= 3 && std::memcmp(head.data(), "TAG", 3) == 0) {
            skip = kId3v1Bytes;
        }
        const std::uint32_t header = got >= 4 ? BigEndian32(head.data()) : 0;
        const std::size_t tagAt = XingTagOffset(header);
        if (skip == 0 && FrameBytesByHeader(header) > 0 && tagAt + 4 <= got &&
            (std::memcmp(head.data() + tagAt, "Xing", 4) == 0 ||
             std::memcmp(head.data() + tagAt, "Info", 4) == 0)) {
            skip = FrameBytesByHeader(header);
        }
        if (skip == 0 || at + skip > to) {
            break;
        }
        at += skip;
    }
    return to - at;
}

// Whether the frame at..end is audio after a gap. Damage decodes now and then as a frame of its
// own: bytes that pass for a frame header, with no frame of the same format following on. The
// last frame has none.
bool FollowedOn(NativeFile& file, std::int64_t at, std::int64_t end) {
    std::array<unsigned char, 4> own{};
    std::array<unsigned char, 4> next{};
    if (!ReadAt(file, at, own.data(), own.size())) {
        return false;
    }
    if (!ReadAt(file, end, next.data(), next.size())) {
        return true;
    }
    const std::uint32_t header = BigEndian32(next.data());
    return FrameBytesByHeader(header) > 0 &&
           FormatKey(header) == FormatKey(BigEndian32(own.data()));
}

namespace {

// Random bytes hold a false frame header now and then, but hardly ever two in a row that
// follow on from each other in one format; this many in a row are audio. (A real change of
// format, joined files, goes on for far longer.)
constexpr std::int64_t kMinRunFrames = 8;
constexpr std::size_t kSearchChunk = 64 * 1024;

// Frames that follow on from each other in one format from at: how many (up to limit), and
// where the last of them ends. A frame counts only when it lies wholly before end.
struct FrameRun {
    std::int64_t Frames = 0;
    std::int64_t End = 0;
};

} // namespace

namespace {

FrameRun FollowFrames(NativeFile& file, std::int64_t at, std::int64_t end, std::int64_t limit) {
    FrameRun run{0, at};
    std::uint32_t key = 0;
    std::array<unsigned char, 4> bytes{};
    while (run.Frames < limit && ReadAt(file, run.End, bytes.data(), bytes.size())) {
        const std::uint32_t header = BigEndian32(bytes.data());
        const std::int64_t size = FrameBytesByHeader(header);
        if (size == 0 || run.End + size > end || (run.Frames > 0 && FormatKey(header) != key)) {
            break;
        }
        key = FormatKey(header);
        run.End += size;
        ++run.Frames;
    }
    return run;
}

} // namespace

// Past ID3v2 tags at at (joined files keep the tag of each part).
std::int64_t SkipId3v2Tags(NativeFile& file, std::int64_t at, std::int64_t end) {
    std::array<std::uint8_t, 10> head{};
    while (at < end && ReadAt(file, at, head.data(), head.size())) {
        const std::int64_t tag = Id3v2TagBytes(head);
        if (tag == 0) {
            break;
        }
        at += tag;
    }
    return at;
}

// Where the first run of kMinRunFrames frames begins at or after at; -1 when none does.
std::int64_t NextRunStart(NativeFile& file, std::int64_t at, std::int64_t end) {
    std::vector<unsigned char> chunk(kSearchChunk + 1);
    for (std::int64_t base = at; base + 1 < end; base += kSearchChunk) {
        const auto wanted = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(chunk.size()), end - base));
        if (!ReadAt(file, base, chunk.data(), wanted)) {
            return -1;
        }
        for (std::size_t i = 0; i + 1 < wanted && i < kSearchChunk; ++i) {
            if (chunk[i] == 0xff && (chunk[i + 1] & 0xe0) == 0xe0 &&
                FollowFrames(file, base + static_cast<std::int64_t>(i), end, kMinRunFrames)
                        .Frames == kMinRunFrames) {
                return base + static_cast<std::int64_t>(i);
            }
        }
    }
    return -1;
}

// Where the audio of the file ends: after the last run of frames that is long enough to be
// audio. Whatever follows it (a junk tail: a pre-allocated download, a stray tag, another
// file's bytes) holds at most stray frames, which would decode to noise, or make a format
// change that is none. Runs broken by damage or by the tags of joined files go on where
// the next long run begins. -1 when no run is long enough to tell.
std::int64_t AudioEnd(NativeFile& file, std::int64_t end) {
    std::int64_t audioEnd = -1;
    std::int64_t at = SkipId3v2Tags(file, 0, end);
    while (at < end) {
        const std::int64_t runAt = NextRunStart(file, at, end);
        if (runAt < 0) {
            break;
        }
        audioEnd = FollowFrames(file, runAt, end, std::numeric_limits<std::int64_t>::max()).End;
        at = SkipId3v2Tags(file, audioEnd, end);
    }
    return audioEnd;
}

} // namespace zent
