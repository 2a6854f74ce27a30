#include "decode/OpusStream.h"

#include "decode/CommentTags.h"
#include "decode/OggSupport.h"
#include "decode/PcmConvert.h"
#include "framework/Errors.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <opus/opusfile.h>

namespace zent {

struct OggOpusFileHandle {
    OggOpusFile* File = nullptr;
    ~OggOpusFileHandle() {
        if (File != nullptr) {
            op_free(File);
        }
    }
};

namespace {

constexpr int kMaxChannels = 8;
// The larger sample size: the file's length in bytes must fit either kind.
constexpr int kMaxBytesPerSample = 4;
// 120 ms at 48 kHz, the longest packet: what the library advises to ask for at once.
constexpr std::size_t kFloatFrames = 5760;

int ReadFromFile(void* source, unsigned char* buffer, int size) {
    auto* file = static_cast<NativeFile*>(source);
    const std::size_t got = file->Read(buffer, static_cast<std::size_t>(std::max(size, 0)));
    if (got == 0 && file->HasError()) {
        return -1;
    }
    return static_cast<int>(got);
}

int SeekInFile(void* source, opus_int64 offset, int whence) {
    return static_cast<NativeFile*>(source)->Seek(offset, whence) ? 0 : -1;
}

opus_int64 TellInFile(void* source) {
    return static_cast<NativeFile*>(source)->Tell();
}

} // namespace

OpusStream::OpusStream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path,
                       SampleKind kind)
    : OggStream(std::move(file), path, kind), FOpus(std::make_unique<OggOpusFileHandle>()) {}

OpusStream::~OpusStream() = default;

std::unique_ptr<DecoderStream> OpusStream::Open(std::unique_ptr<NativeFile> file,
                                                const std::filesystem::path& path,
                                                SampleKind kind) {
    std::unique_ptr<OpusStream> stream(new OpusStream(std::move(file), path, kind));
    if (!stream->Start()) {
        return nullptr;
    }
    return stream;
}

bool OpusStream::Start() {
    if (!Rewind()) {
        return false;
    }
    const OpusFileCallbacks callbacks{ReadFromFile, SeekInFile, TellInFile, nullptr};
    int error = 0;
    FOpus->File = op_open_callbacks(FFile.get(), &callbacks, nullptr, 0, &error);
    OggOpusFile* opus = FOpus->File;
    if (opus == nullptr || op_seekable(opus) == 0) {
        return false;
    }
    const int channels = op_channel_count(opus, 0);
    if (channels < 1 || channels > kMaxChannels) {
        return false;
    }
    // A packet takes at least a byte and yields at most 120 ms, so no honest file holds more
    // frames than this; a damaged granule position may claim any number.
    const opus_int64 rawBytes = op_raw_total(opus, -1);
    constexpr std::int64_t kMaxRawBytes = std::numeric_limits<std::int64_t>::max() /
                                          (kFloatFrames * kMaxChannels * kMaxBytesPerSample);
    if (rawBytes < 0 || rawBytes > kMaxRawBytes) {
        return false;
    }
    const std::int64_t maxFrames = rawBytes * CodecFrameFrames();
    // Only the leading links with the first link's channel count make up the stream.
    std::int64_t frames = 0;
    const int links = op_link_count(opus);
    for (int link = 0; link < links; ++link) {
        if (op_channel_count(opus, link) != channels) {
            break;
        }
        const ogg_int64_t linkFrames = op_pcm_total(opus, link);
        if (linkFrames < 0 || linkFrames > maxFrames - frames) {
            return false;
        }
        frames += linkFrames;
        FLinkCount = link + 1;
    }
    FChannels = channels;
    FLengthBytes = frames * static_cast<std::int64_t>(FrameBytes());
    FFloats.resize(kFloatFrames * static_cast<std::size_t>(FChannels));
    PrepareCarry();
    return true;
}

std::size_t OpusStream::Decode(std::byte* target, std::size_t size) {
    const std::size_t frameBytes = FrameBytes();
    const std::size_t request = std::min(size / frameBytes, kFloatFrames);
    while (!FEnded) {
        int link = 0;
        const int got = op_read_float(FOpus->File, FFloats.data(),
                                      static_cast<int>(request) * FChannels, &link);
        if (got == OP_HOLE) {
            // Lost or damaged pages: skip the gap and go on.
            continue;
        }
        if (got < 0) {
            FEnded = true;
            throw EDecoderError(CoreText{CoreTextId::OpusDamaged, {FPathText}});
        }
        if (got == 0 || link >= FLinkCount) {
            FEnded = true;
            break;
        }
        if (FKind == SampleKind::Float32) {
            InterleavedToWavFloat(FFloats.data(), static_cast<std::size_t>(got), FChannels, target);
        } else {
            InterleavedToWav(FFloats.data(), static_cast<std::size_t>(got), FChannels, target);
        }
        return static_cast<std::size_t>(got) * frameBytes;
    }
    return 0;
}

AudioTags OpusStream::Tags() const {
    // The first link's comments: the stream starts there.
    const OpusTags* tags = op_tags(FOpus->File, 0);
    std::vector<std::string> comments;
    for (int i = 0; tags != nullptr && i < tags->comments; ++i) {
        if (tags->user_comments[i] != nullptr && tags->comment_lengths[i] > 0) {
            comments.emplace_back(tags->user_comments[i],
                                  static_cast<std::size_t>(tags->comment_lengths[i]));
        }
    }
    return ParseCommentTags(comments);
}

} // namespace zent
