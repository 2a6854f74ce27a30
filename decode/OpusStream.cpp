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
#include <opus/opus.h>
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

bool OpusStream::OpenLibrary(bool seekable) {
    if (FOpus->File != nullptr) {
        op_free(FOpus->File);
        FOpus->File = nullptr;
    }
    if (!Rewind()) {
        return false;
    }
    const OpusFileCallbacks callbacks{ReadFromFile, seekable ? SeekInFile : nullptr,
                                      seekable ? TellInFile : nullptr, nullptr};
    int error = 0;
    FOpus->File = op_open_callbacks(FFile.get(), &callbacks, nullptr, 0, &error);
    return FOpus->File != nullptr && op_seekable(FOpus->File) == (seekable ? 1 : 0);
}

std::int64_t OpusStream::FramesByDecoding() {
    std::int64_t frames = 0;
    for (;;) {
        int link = 0;
        const int got =
            op_read_float(FOpus->File, FFloats.data(), static_cast<int>(FFloats.size()), &link);
        if (got == OP_HOLE) {
            continue;
        }
        if (got <= 0 || !InStream(link)) {
            return frames;
        }
        frames += got;
    }
}

bool OpusStream::InStream(int link) const {
    return FUnseekable ? op_channel_count(FOpus->File, -1) == FChannels : link < FLinkCount;
}

bool OpusStream::Start() {
    const bool granuleWrong = LastGranuleIsWrong(*FFile, CodecFrameFrames());
    // Only a file whose last granule is wrong is read as a stream; libopusfile refuses others
    // for good reasons (a link of another codec among them).
    const bool seekable = OpenLibrary(true);
    if (!seekable && (!granuleWrong || !OpenLibrary(false))) {
        return false;
    }
    OggOpusFile* opus = FOpus->File;
    const int channels = op_channel_count(opus, seekable ? 0 : -1);
    if (channels < 1 || channels > kMaxChannels) {
        return false;
    }
    FChannels = channels;
    FFloats.resize(kFloatFrames * static_cast<std::size_t>(FChannels));
    FClipMemory.assign(static_cast<std::size_t>(FChannels), 0.0f);
    // A packet takes at least a byte and yields at most 120 ms, so no honest file holds more
    // frames than this; a damaged granule position may claim any number.
    const opus_int64 rawBytes = seekable ? op_raw_total(opus, -1) : -1;
    constexpr std::int64_t kMaxRawBytes = std::numeric_limits<std::int64_t>::max() /
                                          (kFloatFrames * kMaxChannels * kMaxBytesPerSample);
    bool trusted = seekable && !granuleWrong && rawBytes >= 0 && rawBytes <= kMaxRawBytes;
    const std::int64_t maxFrames = trusted ? rawBytes * CodecFrameFrames() : 0;
    // Only the leading links with the first link's channel count make up the stream.
    std::int64_t frames = 0;
    const int links = seekable ? op_link_count(opus) : 0;
    for (int link = 0; link < links; ++link) {
        if (op_channel_count(opus, link) != channels) {
            break;
        }
        const ogg_int64_t linkFrames = op_pcm_total(opus, link);
        trusted = trusted && linkFrames >= 0 && linkFrames <= maxFrames - frames;
        frames += trusted ? linkFrames : 0;
        FLinkCount = link + 1;
    }
    FEveryLink = !seekable || FLinkCount == links;
    if (!trusted) {
        // The pages hold what they hold, whatever the last one claims: as much as decodes,
        // read as a stream when the library cannot place the pages by their granules.
        FUnseekable = !seekable;
        frames = FramesByDecoding();
        if (!OpenLibrary(seekable) || frames <= 0) {
            return false;
        }
        AddWarning({CoreTextId::WrongLength});
    }
    FLengthBytes = frames * static_cast<std::int64_t>(FrameBytes());
    // Slices need granules that tell where each page lies.
    FSeekable = trusted && links == 1;
    PrepareCarry();
    return true;
}

std::size_t OpusStream::Decode(std::byte* target, std::size_t size) {
    const std::size_t frameBytes = FrameBytes();
    // A packet at a time, whole: the soft clip's result depends on where a block ends, so the
    // blocks are the decoder's, whatever the caller asks for.
    while (FPendingFrames == 0 && !FEnded) {
        int link = 0;
        const int got =
            op_read_float(FOpus->File, FFloats.data(), static_cast<int>(FFloats.size()), &link);
        if (got == OP_HOLE) {
            // Lost or damaged pages: go on after the gap, which is filled with silence.
            NoteHole();
            continue;
        }
        if (got < 0) {
            FEnded = true;
            throw EDecoderError(CoreText{CoreTextId::OpusDamaged, {FPathText}});
        }
        if (got == 0 || !InStream(link)) {
            FEnded = true;
            break;
        }
        // A signal beyond full scale is bent back below it, as libopus's own 16-bit output
        // does, instead of being cut flat; floats keep it unless they are to become integers.
        if (FKind == SampleKind::Int16 || FSoftClip) {
            opus_pcm_soft_clip(FFloats.data(), got, FChannels, FClipMemory.data());
        }
        FPendingAt = 0;
        FPendingFrames = static_cast<std::size_t>(got);
    }
    const std::size_t frames = std::min(FPendingFrames, size / frameBytes);
    const float* from = FFloats.data() + FPendingAt * static_cast<std::size_t>(FChannels);
    if (FKind == SampleKind::Float32) {
        InterleavedToWavFloat(from, frames, FChannels, target);
    } else {
        InterleavedToWav(from, frames, FChannels, target);
    }
    FPendingAt += frames;
    FPendingFrames -= frames;
    return frames * frameBytes;
}

std::int64_t OpusStream::GranulePosition() const {
    const std::int64_t position = op_pcm_tell(FOpus->File);
    return position < 0 ? position : position - static_cast<std::int64_t>(FPendingFrames);
}

void OpusStream::SeekToFrame(std::int64_t frame) {
    const std::int64_t total = FLengthBytes / static_cast<std::int64_t>(FrameBytes());
    if (!FSeekable || frame < 0 || frame >= total)
        DecoderStream::SeekToFrame(frame);
    const std::int64_t start = std::max<std::int64_t>(0, frame - kPrerollFrames);
    ClearCarry(frame);
    FEnded = false;
    FPendingAt = 0;
    FPendingFrames = 0;
    // The pre-roll below brings the soft clip's state where a decode from the start has it.
    std::fill(FClipMemory.begin(), FClipMemory.end(), 0.0f);
    if (op_pcm_seek(FOpus->File, start) != 0) {
        FEnded = true;
        throw EDecoderError(CoreText{CoreTextId::CannotSeek, {FPathText}});
    }
    // Decoded as every frame is, so that whatever follows the decoder warms up too.
    std::vector<std::byte> thrown(kFloatFrames * FrameBytes());
    for (std::int64_t left = frame - start; left > 0;) {
        const auto ask = static_cast<std::size_t>(
            std::min<std::int64_t>(left, static_cast<std::int64_t>(kFloatFrames)));
        const std::size_t got = Decode(thrown.data(), ask * FrameBytes());
        if (got == 0)
            throw EDecoderError(
                CoreText{CoreTextId::CannotDecode, {FPathText, "it ends before its length."}});
        left -= static_cast<std::int64_t>(got / FrameBytes());
    }
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
