#include "decode/VorbisStream.h"

#include "decode/CommentTags.h"
#include "decode/OggSupport.h"
#include "decode/PcmConvert.h"
#include "framework/Errors.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <ogg/ogg.h>
#include <vorbis/vorbisfile.h>

namespace zent {

struct OggVorbisFileHandle {
    OggVorbis_File File{};
    bool Open = false;
    ~OggVorbisFileHandle() {
        if (Open) {
            ov_clear(&File);
        }
    }
};

namespace {

size_t ReadFromFile(void* buffer, size_t size, size_t count, void* source) {
    auto* file = static_cast<NativeFile*>(source);
    const std::size_t got = file->Read(buffer, size * count);
    if (got == 0 && file->HasError() && errno == 0) {
        // vorbisfile tells a read error from the end of the file by errno.
        errno = EIO;
    }
    return size == 0 ? 0 : got / size;
}

int SeekInFile(void* source, ogg_int64_t offset, int whence) {
    return static_cast<NativeFile*>(source)->Seek(offset, whence) ? 0 : -1;
}

long TellInFile(void* source) {
    return static_cast<long>(static_cast<NativeFile*>(source)->Tell());
}

// Products and sums of non-negative counts; false when the result would not fit.
bool MultiplyChecked(std::int64_t a, std::int64_t b, std::int64_t& result) {
    if (a < 0 || b < 0 || (a != 0 && b > std::numeric_limits<std::int64_t>::max() / a)) {
        return false;
    }
    result = a * b;
    return true;
}

bool AddChecked(std::int64_t a, std::int64_t b, std::int64_t& result) {
    if (a < 0 || b < 0 || b > std::numeric_limits<std::int64_t>::max() - a) {
        return false;
    }
    result = a + b;
    return true;
}

} // namespace

VorbisStream::VorbisStream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path,
                           SampleKind kind)
    : OggStream(std::move(file), path, kind), FVorbis(std::make_unique<OggVorbisFileHandle>()) {}

VorbisStream::~VorbisStream() = default;

std::unique_ptr<DecoderStream> VorbisStream::Open(std::unique_ptr<NativeFile> file,
                                                  const std::filesystem::path& path,
                                                  SampleKind kind) {
    std::unique_ptr<VorbisStream> stream(new VorbisStream(std::move(file), path, kind));
    if (!stream->Start()) {
        return nullptr;
    }
    return stream;
}

bool VorbisStream::OpenLibrary() {
    if (FVorbis->Open) {
        ov_clear(&FVorbis->File);
        FVorbis->Open = false;
    }
    if (!Rewind()) {
        return false;
    }
    const ov_callbacks callbacks{ReadFromFile, SeekInFile, nullptr, TellInFile};
    if (ov_open_callbacks(FFile.get(), &FVorbis->File, nullptr, 0, callbacks) != 0) {
        return false;
    }
    FVorbis->Open = true;
    return ov_seekable(&FVorbis->File) != 0;
}

std::int64_t VorbisStream::FramesByDecoding() {
    std::int64_t frames = 0;
    for (;;) {
        int link = 0;
        float** planes = nullptr;
        const long got = ov_read_float(&FVorbis->File, &planes, 4096, &link);
        if (got == OV_HOLE) {
            continue;
        }
        if (got <= 0 || link >= FLinkCount) {
            return frames;
        }
        frames += got;
    }
}

bool VorbisStream::Start() {
    const bool granuleWrong = LastGranuleIsWrong(*FFile, CodecFrameFrames());
    if (!OpenLibrary()) {
        return false;
    }
    OggVorbis_File* vorbis = &FVorbis->File;
    const vorbis_info* first = ov_info(vorbis, 0);
    if (first == nullptr || first->channels < 1 || first->rate < 1 || first->rate > INT_MAX) {
        return false;
    }
    FChannels = first->channels;
    FSampleRate = static_cast<int>(first->rate);
    // A packet takes at least a byte and yields at most half of the longest block, so no
    // honest file holds more frames than this; a damaged granule position may claim any
    // number up to 2^63, and such a length cannot be trusted.
    std::int64_t maxFrames = 0;
    if (!MultiplyChecked(ov_raw_total(vorbis, -1), CodecFrameFrames(), maxFrames)) {
        return false;
    }
    // Only the leading links in the first link's format make up the stream.
    std::int64_t frames = 0;
    bool trusted = !granuleWrong;
    const long links = ov_streams(vorbis);
    for (int link = 0; link < links; ++link) {
        const vorbis_info* info = ov_info(vorbis, link);
        if (info == nullptr || info->channels != first->channels || info->rate != first->rate) {
            break;
        }
        const ogg_int64_t linkFrames = ov_pcm_total(vorbis, link);
        trusted = trusted && linkFrames >= 0 && AddChecked(frames, linkFrames, frames) &&
                  frames <= maxFrames;
        FLinkCount = link + 1;
    }
    FEveryLink = FLinkCount == links;
    if (!trusted) {
        // The pages hold what they hold, whatever the last one claims: as much as decodes.
        frames = FramesByDecoding();
        if (!OpenLibrary()) {
            return false;
        }
        AddWarning({CoreTextId::WrongLength});
    }
    if (!MultiplyChecked(frames, static_cast<std::int64_t>(FrameBytes()), FLengthBytes)) {
        return false;
    }
    PrepareCarry();
    return true;
}

std::size_t VorbisStream::Decode(std::byte* target, std::size_t size) {
    // The samples come as floats and are converted here, in WAV channel order and eight at a
    // time where the processor allows: cheaper than ov_read's 16-bit output and a reordering
    // pass after it, with the same bytes.
    const std::size_t frameBytes = FrameBytes();
    const int request = static_cast<int>(std::min<std::size_t>(size / frameBytes, INT_MAX));
    while (!FEnded) {
        int link = 0;
        float** planes = nullptr;
        const long got = ov_read_float(&FVorbis->File, &planes, request, &link);
        if (got == OV_HOLE) {
            // Lost or damaged pages: go on after the gap, which is filled with silence.
            NoteHole();
            continue;
        }
        if (got < 0) {
            FEnded = true;
            throw EDecoderError(CoreText{CoreTextId::VorbisDamaged, {FPathText}});
        }
        if (got == 0 || link >= FLinkCount) {
            FEnded = true;
            break;
        }
        if (FKind == SampleKind::Float32) {
            PlanarToWavFloat(planes, static_cast<std::size_t>(got), FChannels, target);
        } else {
            PlanarToWav(planes, static_cast<std::size_t>(got), FChannels, target);
        }
        return static_cast<std::size_t>(got) * frameBytes;
    }
    return 0;
}

std::int64_t VorbisStream::GranulePosition() const {
    return ov_pcm_tell(&FVorbis->File);
}

AudioTags VorbisStream::Tags() const {
    // The first link's comments: the stream starts there.
    vorbis_comment* comment = ov_comment(&FVorbis->File, 0);
    std::vector<std::string> comments;
    for (int i = 0; comment != nullptr && i < comment->comments; ++i) {
        if (comment->user_comments[i] != nullptr && comment->comment_lengths[i] > 0) {
            comments.emplace_back(comment->user_comments[i],
                                  static_cast<std::size_t>(comment->comment_lengths[i]));
        }
    }
    return ParseCommentTags(comments);
}

bool VorbisStream::CanSeekExactly() const {
    if (FSeekable < 0) {
        // A chain that changes format partway: the positions past the change belong to
        // another stream, and mixing the two is not worth trusting.
        // A missing or damaged page: decoding skips the gap, while positions count it.
        // A granule that is not the sample count decoded by its page: a seek by granules
        // lands elsewhere than a decode from the start.
        FSeekable = FLinkCount == ov_streams(&FVorbis->File) && PagesAreWhole() ? 1 : 0;
    }
    return FSeekable == 1;
}

namespace {

// Follows the pages of one link and the samples its packets hold. Positions in a link are
// granules, and a seek finds them by the granules written on the pages: they must be the
// very sample counts that decoding gives.
class LinkPages {
public:
    LinkPages(int serial, vorbis_info* info) : FInfo(info) { ogg_stream_init(&FStream, serial); }
    ~LinkPages() { ogg_stream_clear(&FStream); }
    LinkPages(const LinkPages&) = delete;
    LinkPages& operator=(const LinkPages&) = delete;

    // False when the page does not follow on in sequence or its granule is not the count
    // of samples decoded by its end.
    bool Follow(ogg_page& page) {
        if (FEnded || ogg_page_pageno(&page) != FNextPage++ ||
            ogg_stream_pagein(&FStream, &page) != 0) {
            return false;
        }
        FEnded = ogg_page_eos(&page) != 0;
        ogg_packet packet;
        int got = 0;
        while ((got = ogg_stream_packetout(&FStream, &packet)) != 0) {
            if (got < 0) {
                return false;
            }
            const long block = vorbis_packet_blocksize(FInfo, &packet);
            if (block > 0) {
                // Each packet after the first completes the overlap with the one before.
                FBeforeLastPacket = FSamples;
                FSamples += FPreviousBlock > 0 ? FPreviousBlock / 4 + block / 4 : 0;
                FPreviousBlock = block;
            } else if (++FHeaders > kHeaderPackets) {
                return false; // an audio packet that does not decode
            }
        }
        const ogg_int64_t granule = ogg_page_granulepos(&page);
        // -1: no packet ends on this page. The last page may end the link within its last
        // packet (the decoder trims no more than that), and only there may the granule be
        // smaller.
        return granule == -1 || granule == FSamples ||
               (FEnded && granule >= FBeforeLastPacket && granule < FSamples);
    }

private:
    static constexpr int kHeaderPackets = 3;

    ogg_stream_state FStream{};
    vorbis_info* FInfo;
    long FNextPage = 0;
    int FHeaders = 0;
    long FPreviousBlock = 0;
    ogg_int64_t FSamples = 0;
    ogg_int64_t FBeforeLastPacket = 0;
    bool FEnded = false; // the end-of-stream page has been seen
};

} // namespace

bool VorbisStream::PagesAreWhole() const {
    OggVorbis_File& vorbis = FVorbis->File;
    const std::int64_t resumeAt = FFile->Tell();
    struct SyncState {
        ogg_sync_state State{};
        SyncState() { ogg_sync_init(&State); }
        ~SyncState() { ogg_sync_clear(&State); }
    } sync;
    bool whole = FFile->Seek(0, SEEK_SET);
    long link = -1;
    std::unique_ptr<LinkPages> pages;
    constexpr std::size_t kChunk = 64 * 1024;
    while (whole) {
        ogg_page page;
        const long found = ogg_sync_pageseek(&sync.State, &page);
        if (found < 0) {
            whole = false; // bytes that are no page: damage
        } else if (found == 0) {
            char* buffer = ogg_sync_buffer(&sync.State, static_cast<long>(kChunk));
            const std::size_t got = buffer == nullptr ? 0 : FFile->Read(buffer, kChunk);
            if (got == 0) {
                // The end of the file, unless the pages could not all be read.
                whole = buffer != nullptr && !FFile->HasError();
                break;
            }
            ogg_sync_wrote(&sync.State, static_cast<long>(got));
        } else {
            // One logical stream per link, in the order vorbisfile found them.
            if (ogg_page_bos(&page) != 0 && ++link < vorbis.links) {
                pages = std::make_unique<LinkPages>(vorbis.serialnos[link], &vorbis.vi[link]);
            }
            whole = link >= 0 && link < vorbis.links &&
                    ogg_page_serialno(&page) == vorbis.serialnos[link] && pages->Follow(page);
        }
    }
    whole = whole && link + 1 == vorbis.links;
    // vorbisfile reads on from where it left the file.
    return FFile->Seek(resumeAt, SEEK_SET) && whole;
}

void VorbisStream::SeekToFrame(std::int64_t frame) {
    if (!CanSeekExactly() || frame < 0 ||
        frame > FLengthBytes / static_cast<std::int64_t>(FrameBytes())) {
        DecoderStream::SeekToFrame(frame);
    }
    // ov_pcm_seek decodes the packet that overlaps the position, so that the samples that
    // follow are those of a decode from the start.
    if (ov_pcm_seek(&FVorbis->File, frame) != 0) {
        FEnded = true;
        throw EDecoderError(CoreText{CoreTextId::CannotSeek, {FPathText}});
    }
    ClearCarry(frame);
    FEnded = false;
}

} // namespace zent
