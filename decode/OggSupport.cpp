#include "decode/OggSupport.h"

#include "decode/NativeFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <ogg/ogg.h>
#include <string_view>

namespace zent {

namespace {

// A page header, a full segment table and the start of the first packet.
constexpr std::size_t kHeadBytes = 27 + 255 + 16;
// An Ogg file may begin with junk (a broken download, a wrapper): its first page is looked
// for this far in.
constexpr std::int64_t kLeadBytes = 64 * 1024;
// Two pages of the largest size: the last whole page begins within them.
constexpr std::int64_t kTailBytes = 2 * (27 + 255 + 255 * 255);

struct SyncState {
    ogg_sync_state State{};
    SyncState() { ogg_sync_init(&State); }
    ~SyncState() { ogg_sync_clear(&State); }
    SyncState(const SyncState&) = delete;
    SyncState& operator=(const SyncState&) = delete;
};

bool Begins(const unsigned char* data, long size, std::string_view magic) {
    return size >= static_cast<long>(magic.size()) &&
           std::memcmp(data, magic.data(), magic.size()) == 0;
}

} // namespace

namespace {

OggCodec CodecOfPacket(const unsigned char* packet, long size) {
    if (Begins(packet, size, "\x01vorbis")) {
        return OggCodec::Vorbis;
    }
    if (Begins(packet, size, "OpusHead")) {
        return OggCodec::Opus;
    }
    if (Begins(packet, size,
               "\x7f"
               "FLAC") ||
        Begins(packet, size, "fLaC")) {
        return OggCodec::Flac;
    }
    if (Begins(packet, size, "Speex   ")) {
        return OggCodec::Speex;
    }
    return OggCodec::Other;
}

// The first page that begins a logical stream within the first kLeadBytes of the file, and
// where it lies; -1 when there is none. The position is back at the start after it.
std::int64_t FirstStreamPage(NativeFile& file, OggCodec& codec) {
    SyncState sync;
    std::int64_t pageAt = 0;
    std::int64_t found = -1;
    constexpr auto kWanted = static_cast<long>(kLeadBytes + kHeadBytes);
    char* buffer = ogg_sync_buffer(&sync.State, kWanted);
    const std::size_t got =
        buffer == nullptr ? 0 : file.Read(buffer, static_cast<std::size_t>(kWanted));
    ogg_sync_wrote(&sync.State, static_cast<long>(got));
    ogg_page page;
    long step = 0;
    while (found < 0 && pageAt < kLeadBytes &&
           (step = ogg_sync_pageseek(&sync.State, &page)) != 0) {
        if (step > 0 && ogg_page_bos(&page) != 0) {
            found = pageAt;
            codec = CodecOfPacket(page.body, page.body_len);
        }
        pageAt += step < 0 ? -step : step;
    }
    file.Seek(0, SEEK_SET);
    return found;
}

} // namespace

std::int64_t FirstOggPage(NativeFile& file) {
    OggCodec codec = OggCodec::Other;
    return FirstStreamPage(file, codec);
}

OggCodec FirstOggCodec(NativeFile& file) {
    // A file that begins with junk: by the first whole page after it.
    if (!file.StartsWith("OggS")) {
        OggCodec codec = OggCodec::Other;
        FirstStreamPage(file, codec);
        return codec;
    }
    std::array<unsigned char, kHeadBytes> head{};
    const std::size_t got = file.Read(head.data(), head.size());
    file.Seek(0, SEEK_SET);
    constexpr std::size_t kSegmentsAt = 26;
    if (got <= kSegmentsAt || std::memcmp(head.data(), "OggS", 4) != 0) {
        return OggCodec::Other;
    }
    const std::size_t packetAt = kSegmentsAt + 1 + head[kSegmentsAt];
    if (packetAt >= got) {
        return OggCodec::Other;
    }
    return CodecOfPacket(head.data() + packetAt, static_cast<long>(got - packetAt));
}

namespace {

// The file's last kTailBytes (or all of a shorter file) into sync, for reading its last pages.
bool ReadTail(NativeFile& file, SyncState& sync) {
    if (!file.Seek(-kTailBytes, SEEK_END) && !file.Seek(0, SEEK_SET)) {
        return false;
    }
    char* buffer = ogg_sync_buffer(&sync.State, static_cast<long>(kTailBytes));
    const std::size_t got =
        buffer == nullptr ? 0 : file.Read(buffer, static_cast<std::size_t>(kTailBytes));
    ogg_sync_wrote(&sync.State, static_cast<long>(got));
    return true;
}

} // namespace

bool LastPageLacksEndMark(NativeFile& file) {
    const std::int64_t resumeAt = file.Tell();
    SyncState sync;
    if (!ReadTail(file, sync)) {
        return false;
    }
    bool lastHasMark = false;
    bool anyPage = false;
    ogg_page page;
    long found = 0;
    while ((found = ogg_sync_pageseek(&sync.State, &page)) != 0) {
        if (found > 0) {
            anyPage = true;
            lastHasMark = ogg_page_eos(&page) != 0;
        }
    }
    file.Seek(resumeAt, SEEK_SET);
    return anyPage && !lastHasMark;
}

bool LastGranuleIsWrong(NativeFile& file, std::int64_t maxFramesPerByte) {
    const std::int64_t resumeAt = file.Tell();
    SyncState sync;
    if (!ReadTail(file, sync)) {
        return false;
    }
    // The last page of the last stream that carries a granule position, and the one before.
    std::int64_t last = -1;
    std::int64_t before = 0;
    long lastBytes = 0;
    int serial = 0;
    bool any = false;
    ogg_page page;
    long found = 0;
    while ((found = ogg_sync_pageseek(&sync.State, &page)) != 0) {
        const std::int64_t granule = found > 0 ? ogg_page_granulepos(&page) : -1;
        if (found < 0 || (granule == -1 && ogg_page_eos(&page) == 0)) {
            continue;
        }
        before = any && ogg_page_serialno(&page) == serial ? last : 0;
        any = true;
        serial = ogg_page_serialno(&page);
        last = granule;
        lastBytes = page.body_len;
    }
    file.Seek(resumeAt, SEEK_SET);
    // A packet takes at least a byte: a page holds no more frames than its bytes allow.
    return any && (last < before || last - before > (lastBytes + 1) * maxFramesPerByte);
}

std::vector<OggLink> OggLinks(NativeFile& file) {
    SyncState sync;
    constexpr long kChunk = 64 * 1024;
    std::vector<OggLink> links;
    std::int64_t pageAt = 0;
    bool previousBegins = false;
    for (;;) {
        ogg_page page;
        const long found = ogg_sync_pageseek(&sync.State, &page);
        if (found < 0) {
            pageAt -= found;
            continue;
        }
        if (found == 0) {
            char* buffer = ogg_sync_buffer(&sync.State, kChunk);
            const std::size_t got = buffer == nullptr ? 0 : file.Read(buffer, kChunk);
            if (got == 0) {
                break;
            }
            ogg_sync_wrote(&sync.State, static_cast<long>(got));
            continue;
        }
        const bool begins = ogg_page_bos(&page) != 0;
        // The first page of a link's first stream; the streams multiplexed with it follow.
        if (begins && !previousBegins) {
            OggLink link{pageAt, CodecOfPacket(page.body, page.body_len), 0, 0};
            const unsigned char* packet = page.body;
            if (link.Codec == OggCodec::Vorbis && page.body_len >= 16) {
                link.Channels = packet[11];
                link.SampleRate = static_cast<int>(
                    std::min<std::uint32_t>(packet[12] | (packet[13] << 8) | (packet[14] << 16) |
                                                (std::uint32_t{packet[15]} << 24),
                                            0x7fffffff));
            } else if (link.Codec == OggCodec::Opus && page.body_len >= 10) {
                link.Channels = packet[9];
                link.SampleRate = 48000;
            }
            links.push_back(link);
        }
        previousBegins = begins;
        pageAt += found;
    }
    file.Seek(0, SEEK_SET);
    return links;
}

} // namespace zent
