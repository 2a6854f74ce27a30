#include "decode/OggSupport.h"

#include "decode/NativeFile.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <ogg/ogg.h>
#include <string_view>

namespace zent {

namespace {

// A page header, a full segment table and the start of the first packet.
constexpr std::size_t kHeadBytes = 27 + 255 + 16;
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

OggCodec FirstOggCodec(NativeFile& file) {
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
    const unsigned char* packet = head.data() + packetAt;
    const auto size = static_cast<long>(got - packetAt);
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

namespace {

OggCodec CodecOfPacket(const unsigned char* packet, long size) {
    if (Begins(packet, size, "\x01vorbis")) {
        return OggCodec::Vorbis;
    }
    if (Begins(packet, size, "OpusHead")) {
        return OggCodec::Opus;
    }
    return OggCodec::Other;
}

} // namespace

std::int64_t ForeignLinkStart(NativeFile& file) {
    SyncState sync;
    constexpr long kChunk = 64 * 1024;
    std::int64_t pageAt = 0;
    std::int64_t foreign = -1;
    bool first = true;
    OggCodec codec = OggCodec::Other;
    while (foreign < 0) {
        ogg_page page;
        const long found = ogg_sync_pageseek(&sync.State, &page);
        if (found < 0) {
            pageAt -= found; // bytes skipped
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
        if (ogg_page_bos(&page) != 0) {
            const OggCodec here = CodecOfPacket(page.body, page.body_len);
            if (first) {
                codec = here;
                first = false;
            } else if (here != codec) {
                foreign = pageAt;
            }
        }
        pageAt += found;
    }
    file.Seek(0, SEEK_SET);
    return foreign;
}

bool LastPageLacksEndMark(NativeFile& file) {
    const std::int64_t resumeAt = file.Tell();
    SyncState sync;
    if (!file.Seek(-kTailBytes, SEEK_END) && !file.Seek(0, SEEK_SET)) {
        return false;
    }
    char* buffer = ogg_sync_buffer(&sync.State, static_cast<long>(kTailBytes));
    const std::size_t got =
        buffer == nullptr ? 0 : file.Read(buffer, static_cast<std::size_t>(kTailBytes));
    ogg_sync_wrote(&sync.State, static_cast<long>(got));
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

} // namespace zent
