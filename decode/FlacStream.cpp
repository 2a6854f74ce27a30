#include "decode/FlacStream.h"

#include "decode/CommentTags.h"
#include "decode/Id3Tags.h"
#include "decode/PcmRounding.h"
#include "framework/Errors.h"

#include <FLAC/stream_decoder.h>
#include <QCryptographicHash>
#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace zent {

struct FlacDecoderHandle {
    FLAC__StreamDecoder* Decoder = FLAC__stream_decoder_new();
    ~FlacDecoderHandle() {
        if (Decoder != nullptr)
            FLAC__stream_decoder_delete(Decoder);
    }
};

namespace {

constexpr int kMaxChannels = 8;
constexpr int kMinBits = 4;
constexpr int kMaxBits = 32;
constexpr int kBitsPerByte = 8;
constexpr std::uint32_t kU8Offset = 0x80;
constexpr std::size_t kChecksumBytes = 16;
constexpr std::int64_t kSecondsPerMinute = 60;

template <int Bytes> void StoreLittleEndian(std::uint32_t value, std::byte* target) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(target, &value, Bytes);
    } else {
        for (int i = 0; i < Bytes; ++i)
            target[i] = static_cast<std::byte>((value >> (kBitsPerByte * i)) & 0xFFu);
    }
}

template <int Bytes> std::int32_t LoadLittleEndian(const std::byte* source) {
    std::uint32_t value = 0;
    for (int i = 0; i < Bytes; ++i)
        value |= static_cast<std::uint32_t>(source[i]) << (kBitsPerByte * i);
    if constexpr (Bytes < 4) {
        constexpr int unused = 32 - kBitsPerByte * Bytes;
        return static_cast<std::int32_t>(value << unused) >> unused;
    }
    return static_cast<std::int32_t>(value);
}

// Source samples as WAV holds them: shifted into the container's high bits, offset for 8 bits.
// Channels is the count when known at compile time, 0 otherwise.
template <int Bytes, int Channels>
void PackSource(const std::int32_t* const planes[], std::size_t from, std::size_t frames,
                int channels, int shift, std::byte* target) {
    const int count = Channels > 0 ? Channels : channels;
    const std::uint32_t offset = Bytes == 1 ? kU8Offset : 0;
    for (std::size_t i = from; i < from + frames; ++i) {
        for (int c = 0; c < count; ++c) {
            const auto value = static_cast<std::uint32_t>(planes[c][i]) << shift;
            StoreLittleEndian<Bytes>(value + offset, target);
            target += Bytes;
        }
    }
}

template <int Bytes>
void PackSourceAny(const std::int32_t* const planes[], std::size_t from, std::size_t frames,
                   int channels, int shift, std::byte* target) {
    if (channels == 2)
        PackSource<Bytes, 2>(planes, from, frames, channels, shift, target);
    else
        PackSource<Bytes, 0>(planes, from, frames, channels, shift, target);
}

// A deeper sample to 16 bits: to the nearest, halves to even, as the float path rounds.
std::int32_t RoundTo16(std::int32_t value, int drop) {
    const std::int64_t wide = value;
    const std::int64_t half = std::int64_t{1} << (drop - 1);
    const std::int64_t rest = wide & ((std::int64_t{1} << drop) - 1);
    std::int64_t result = wide >> drop;
    if (rest > half || (rest == half && (result & 1) != 0))
        ++result;
    return static_cast<std::int32_t>(std::min<std::int64_t>(result, 32767));
}

std::string MinutesSeconds(std::int64_t frame, int rate) {
    const std::int64_t seconds = rate > 0 ? frame / rate : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld",
                  static_cast<long long>(seconds / kSecondsPerMinute),
                  static_cast<long long>(seconds % kSecondsPerMinute));
    return text;
}

} // namespace

// The pieces libFLAC's callbacks reach through their one client pointer.
struct FlacClient {
    FlacStream* Stream = nullptr;
    NativeFile* File = nullptr;
    std::int64_t Length = 0;
};

namespace {

FlacClient& ClientOf(void* client) {
    return *static_cast<FlacClient*>(client);
}

FLAC__StreamDecoderReadStatus ReadBytes(const FLAC__StreamDecoder* /*decoder*/, FLAC__byte buffer[],
                                        size_t* bytes, void* client) {
    NativeFile& file = *ClientOf(client).File;
    if (*bytes == 0)
        return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    *bytes = file.Read(buffer, *bytes);
    if (*bytes == 0)
        return file.HasError() ? FLAC__STREAM_DECODER_READ_STATUS_ABORT
                               : FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
    return FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
}

FLAC__StreamDecoderSeekStatus SeekBytes(const FLAC__StreamDecoder* /*decoder*/, FLAC__uint64 offset,
                                        void* client) {
    return ClientOf(client).File->Seek(static_cast<std::int64_t>(offset), SEEK_SET)
               ? FLAC__STREAM_DECODER_SEEK_STATUS_OK
               : FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
}

FLAC__StreamDecoderTellStatus TellBytes(const FLAC__StreamDecoder* /*decoder*/,
                                        FLAC__uint64* offset, void* client) {
    const std::int64_t position = ClientOf(client).File->Tell();
    if (position < 0)
        return FLAC__STREAM_DECODER_TELL_STATUS_ERROR;
    *offset = static_cast<FLAC__uint64>(position);
    return FLAC__STREAM_DECODER_TELL_STATUS_OK;
}

FLAC__StreamDecoderLengthStatus LengthBytesOf(const FLAC__StreamDecoder* /*decoder*/,
                                              FLAC__uint64* length, void* client) {
    *length = static_cast<FLAC__uint64>(ClientOf(client).Length);
    return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
}

FLAC__bool AtEnd(const FLAC__StreamDecoder* /*decoder*/, void* client) {
    const FlacClient& io = ClientOf(client);
    return io.File->Tell() >= io.Length;
}

FLAC__StreamDecoderWriteStatus WriteFrame(const FLAC__StreamDecoder* /*decoder*/,
                                          const FLAC__Frame* frame,
                                          const FLAC__int32* const buffer[], void* client) {
    const FLAC__FrameHeader& header = frame->header;
    const std::int64_t first =
        header.number_type == FLAC__FRAME_NUMBER_TYPE_SAMPLE_NUMBER
            ? static_cast<std::int64_t>(header.number.sample_number)
            : static_cast<std::int64_t>(header.number.frame_number) * header.blocksize;
    ClientOf(client).Stream->TakeFrame(buffer, first, header.blocksize,
                                       static_cast<int>(header.channels),
                                       static_cast<int>(header.bits_per_sample));
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void TakeMetadata(const FLAC__StreamDecoder* /*decoder*/, const FLAC__StreamMetadata* metadata,
                  void* client) {
    FlacStream& stream = *ClientOf(client).Stream;
    if (metadata->type == FLAC__METADATA_TYPE_STREAMINFO) {
        const FLAC__StreamMetadata_StreamInfo& info = metadata->data.stream_info;
        const bool hasChecksum = std::any_of(std::begin(info.md5sum), std::end(info.md5sum),
                                             [](FLAC__byte b) { return b != 0; });
        FlacStreamInfo taken{static_cast<std::int64_t>(info.total_samples),
                             static_cast<int>(info.sample_rate),
                             static_cast<int>(info.channels),
                             static_cast<int>(info.bits_per_sample),
                             info.max_blocksize,
                             hasChecksum,
                             {}};
        std::copy(std::begin(info.md5sum), std::end(info.md5sum), taken.Checksum.begin());
        stream.TakeStreamInfo(taken);
    } else if (metadata->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
        const FLAC__StreamMetadata_VorbisComment& comment = metadata->data.vorbis_comment;
        std::vector<std::string> comments;
        for (FLAC__uint32 i = 0; i < comment.num_comments; ++i) {
            const FLAC__StreamMetadata_VorbisComment_Entry& entry = comment.comments[i];
            if (entry.entry != nullptr && entry.length > 0)
                comments.emplace_back(reinterpret_cast<const char*>(entry.entry), entry.length);
        }
        stream.TakeComments(std::move(comments));
    }
}

void NoteError(const FLAC__StreamDecoder* /*decoder*/, FLAC__StreamDecoderErrorStatus status,
               void* client) {
    // Damaged metadata blocks are skipped by the library and lose no audio.
    if (status != FLAC__STREAM_DECODER_ERROR_STATUS_BAD_METADATA)
        ClientOf(client).Stream->NoteDamage();
}

// FLAC's checksum is over the samples as signed little-endian integers of whole bytes.
class FlacChecksum final : public DataCheck {
public:
    FlacChecksum(std::array<std::uint8_t, kChecksumBytes> expected, int containerBytes, int shift)
        : FExpected(expected), FBytes(containerBytes), FShift(shift) {}

    void Add(std::span<const std::byte> data) override {
        if (FBytes > 1 && FShift == 0 && FHeld.empty()) {
            const std::size_t whole = data.size() - data.size() % static_cast<std::size_t>(FBytes);
            Hash(data.first(whole));
            FHeld.assign(data.begin() + static_cast<std::ptrdiff_t>(whole), data.end());
            return;
        }
        FHeld.insert(FHeld.end(), data.begin(), data.end());
        const std::size_t whole = FHeld.size() - FHeld.size() % static_cast<std::size_t>(FBytes);
        FPlain.resize(whole);
        for (std::size_t i = 0; i < whole; i += static_cast<std::size_t>(FBytes))
            Unpack(FHeld.data() + i, FPlain.data() + i);
        Hash(FPlain);
        FHeld.erase(FHeld.begin(), FHeld.begin() + static_cast<std::ptrdiff_t>(whole));
    }

    std::optional<CoreText> Finish() override {
        const QByteArray sum = FHash.result();
        if (sum.size() == static_cast<qsizetype>(kChecksumBytes) &&
            std::memcmp(sum.constData(), FExpected.data(), kChecksumBytes) == 0)
            return std::nullopt;
        return CoreText{CoreTextId::ChecksumMismatch};
    }

private:
    void Hash(std::span<const std::byte> bytes) {
        FHash.addData(QByteArrayView(reinterpret_cast<const char*>(bytes.data()),
                                     static_cast<qsizetype>(bytes.size())));
    }

    void Unpack(const std::byte* source, std::byte* target) const {
        std::int32_t value = 0;
        switch (FBytes) {
        case 1:
            value = static_cast<std::int32_t>(std::to_integer<std::uint32_t>(source[0])) -
                    static_cast<std::int32_t>(kU8Offset);
            break;
        case 2:
            value = LoadLittleEndian<2>(source);
            break;
        case 3:
            value = LoadLittleEndian<3>(source);
            break;
        default:
            value = LoadLittleEndian<4>(source);
            break;
        }
        const auto plain = static_cast<std::uint32_t>(value >> FShift);
        for (int i = 0; i < FBytes; ++i)
            target[i] = static_cast<std::byte>((plain >> (kBitsPerByte * i)) & 0xFFu);
    }

    std::array<std::uint8_t, kChecksumBytes> FExpected;
    int FBytes;
    int FShift;
    QCryptographicHash FHash{QCryptographicHash::Md5};
    std::vector<std::byte> FHeld;
    std::vector<std::byte> FPlain;
};

} // namespace

struct FlacStreamState {
    FlacClient Client;
    std::array<std::uint8_t, kChecksumBytes> Checksum{};
};

FlacStream::FlacStream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path,
                       SampleKind kind, bool ogg)
    : FFile(std::move(file)), FDecoder(std::make_unique<FlacDecoderHandle>()), FPath(path),
      FPathText(path.string()), FKind(kind), FOgg(ogg) {}

FlacStream::~FlacStream() = default;

std::unique_ptr<DecoderStream> FlacStream::Open(std::unique_ptr<NativeFile> file,
                                                const std::filesystem::path& path, SampleKind kind,
                                                bool ogg, bool id3Tagged) {
    std::unique_ptr<FlacStream> stream(new FlacStream(std::move(file), path, kind, ogg));
    if (!stream->Start(id3Tagged))
        return nullptr;
    return stream;
}

bool FlacStream::Start(bool id3Tagged) {
    if (FDecoder->Decoder == nullptr || !FFile->Seek(0, SEEK_END))
        return false;
    FState = std::make_unique<FlacStreamState>();
    FState->Client = {this, FFile.get(), FFile->Tell()};
    if (FState->Client.Length <= 0 || !Init() || FChannels == 0)
        return false;
    // A tagger's ID3 tags fill what the file's own comments leave empty.
    if (id3Tagged) {
        const AudioTags other = ReadId3Tags(FPath);
        for (auto field :
             {&AudioTags::Title, &AudioTags::Artist, &AudioTags::Album, &AudioTags::Track,
              &AudioTags::Date, &AudioTags::Genre, &AudioTags::Comment})
            if ((FTags.*field).empty())
                FTags.*field = other.*field;
    }
    if (FChannels < 1 || FChannels > kMaxChannels || FBits < kMinBits || FBits > kMaxBits ||
        FRate <= 0)
        return false;
    FContainerBytes = (FBits + kBitsPerByte - 1) / kBitsPerByte;
    FShift = FContainerBytes * kBitsPerByte - FBits;
    if (FKind != SampleKind::Source) {
        FContainerBytes = SampleBytes(FKind);
        FShift = 0;
    }
    // A stream that does not say its length is counted once.
    if (FTotalFrames == 0) {
        FTotalFrames = CountFrames();
        if (FTotalFrames <= 0 || !Restart())
            return false;
    }
    return true;
}

bool FlacStream::Init() {
    FLAC__StreamDecoder* decoder = FDecoder->Decoder;
    if (!FFile->Seek(0, SEEK_SET))
        return false;
    FLAC__stream_decoder_set_md5_checking(decoder, FSelfCheck);
    FLAC__stream_decoder_set_metadata_respond(decoder, FLAC__METADATA_TYPE_VORBIS_COMMENT);
    const auto init =
        FOgg ? FLAC__stream_decoder_init_ogg_stream : FLAC__stream_decoder_init_stream;
    return init(decoder, ReadBytes, SeekBytes, TellBytes, LengthBytesOf, AtEnd, WriteFrame,
                TakeMetadata, NoteError, &FState->Client) == FLAC__STREAM_DECODER_INIT_STATUS_OK &&
           FLAC__stream_decoder_process_until_end_of_metadata(decoder) != 0;
}

void FlacStream::LeaveCheckToCaller() {
    if (!FSelfCheck)
        return;
    FSelfCheck = false;
    // libFLAC takes the choice only before it starts: it starts again without its check.
    const std::int64_t total = FTotalFrames;
    const AudioTags tags = FTags;
    FLAC__stream_decoder_finish(FDecoder->Decoder);
    const bool started = Init();
    FTotalFrames = total;
    FTags = tags;
    if (!started || !Restart()) {
        FEnded = true;
        throw EDecoderError(
            CoreText{CoreTextId::CannotDecode, {FPathText, "the FLAC data is damaged."}});
    }
}

bool FlacStream::Restart() {
    FLAC__StreamDecoder* decoder = FDecoder->Decoder;
    FCarryBegin = FCarryEnd = 0;
    FSilenceBytes = 0;
    FNextFrame = 0;
    FFromStart = true;
    FEnded = false;
    FDamagedFrames = 0;
    FFirstDamage = -1;
    FPendingDamage = false;
    return FLAC__stream_decoder_reset(decoder) != 0 &&
           FLAC__stream_decoder_process_until_end_of_metadata(decoder) != 0;
}

std::int64_t FlacStream::CountFrames() {
    FCounting = true;
    FCounted = 0;
    const bool done = FLAC__stream_decoder_process_until_end_of_stream(FDecoder->Decoder) != 0;
    FCounting = false;
    return done ? FCounted : 0;
}

void FlacStream::TakeStreamInfo(const FlacStreamInfo& info) {
    FTotalFrames = info.TotalFrames;
    FRate = info.Rate;
    FChannels = info.Channels;
    FBits = info.Bits;
    FMaxBlockSize = info.MaxBlockSize;
    FHasChecksum = info.HasChecksum;
    FState->Checksum = info.Checksum;
}

void FlacStream::TakeComments(std::vector<std::string> comments) {
    // The flac tool keeps a WAV file's speaker mask in a comment and writes it back.
    constexpr std::string_view kMaskKey = "WAVEFORMATEXTENSIBLE_CHANNEL_MASK=";
    for (const std::string& comment : comments) {
        if (comment.size() <= kMaskKey.size() ||
            !std::equal(kMaskKey.begin(), kMaskKey.end(), comment.begin(), [](char a, char b) {
                return a == std::toupper(static_cast<unsigned char>(b));
            }))
            continue;
        const std::string value = comment.substr(kMaskKey.size());
        char* end = nullptr;
        const unsigned long mask = std::strtoul(value.c_str(), &end, 0);
        if (end != nullptr && *end == '\0' && mask != 0 && mask <= 0xFFFFFFFFul &&
            std::popcount(mask) == FChannels)
            FTaggedMask = static_cast<std::uint32_t>(mask);
    }
    FTags = ParseCommentTags(comments);
}

void FlacStream::NoteDamage() {
    if (!FSeeking && !FCounting)
        FPendingDamage = true;
}

std::uint32_t FlacStream::ChannelMask() const {
    if (FTaggedMask != 0)
        return FTaggedMask;
    // FLAC's layouts of 1 to 8 channels, as the flac tool names them: five and six channels
    // have their surrounds at the sides.
    constexpr std::array<std::uint32_t, kMaxChannels + 1> kMasks = {0,     0x4,   0x3,   0x7,  0x33,
                                                                    0x607, 0x60F, 0x70F, 0x63F};
    return kMasks[static_cast<std::size_t>(FChannels)];
}

int FlacStream::ValidBits() const {
    return FKind == SampleKind::Source ? FBits : BitsPerSample();
}

std::vector<CoreText> FlacStream::Warnings() const {
    std::vector<CoreText> warnings;
    if (FDamagedFrames == 1)
        warnings.push_back({CoreTextId::DamagedFrame, {MinutesSeconds(FFirstDamage, FRate)}});
    else if (FDamagedFrames > 1)
        warnings.push_back({CoreTextId::DamagedFrames,
                            {std::to_string(FDamagedFrames), MinutesSeconds(FFirstDamage, FRate)}});
    if (FChecksumBad)
        warnings.push_back({CoreTextId::ChecksumMismatch});
    return warnings;
}

std::unique_ptr<DataCheck> FlacStream::NewDataCheck() const {
    if (!FHasChecksum || FKind != SampleKind::Source)
        return nullptr;
    return std::make_unique<FlacChecksum>(FState->Checksum, FContainerBytes, FShift);
}

bool FlacStream::CanSeekExactly() const {
    if (FSeekable < 0) {
        // Tried once, half way in, before anything is read; the stream is back at its start
        // after it, its checksum check on again.
        auto& self = const_cast<FlacStream&>(*this);
        self.FSeeking = true;
        self.FNextFrame = FTotalFrames / 2;
        const bool seeks = FLAC__stream_decoder_seek_absolute(
                               FDecoder->Decoder, static_cast<FLAC__uint64>(FTotalFrames / 2)) != 0;
        self.FSeeking = false;
        const bool back = self.Restart();
        FSeekable = seeks && back ? 1 : 0;
        self.FEnded = !back;
    }
    return FSeekable == 1;
}

void FlacStream::SeekToFrame(std::int64_t frame) {
    if (frame < 0 || frame >= FTotalFrames)
        throw EDecoderError(
            CoreText{CoreTextId::CannotDecode,
                     {FPathText, "no sample frame " + std::to_string(frame) + " in it."}});
    FCarryBegin = FCarryEnd = 0;
    FSilenceBytes = 0;
    FNextFrame = frame;
    FFromStart = false;
    FEnded = false;
    FPendingDamage = false;
    FSeeking = true;
    const bool done = FLAC__stream_decoder_seek_absolute(FDecoder->Decoder,
                                                         static_cast<FLAC__uint64>(frame)) != 0;
    FSeeking = false;
    if (!done) {
        FEnded = true;
        throw EDecoderError(CoreText{CoreTextId::CannotSeek, {FPathText}});
    }
}

void FlacStream::TakeFrame(const std::int32_t* const planes[], std::int64_t first,
                           std::size_t frames, int channels, int bits) {
    // A frame of another channel count or depth than the stream's, or placed past its end, is
    // damage that the frame's checksum let through: it is left out, and its time comes as
    // silence before the next frame that fits.
    const bool fits = channels == FChannels && bits == FBits && first >= 0;
    if (!fits || (!FCounting && first >= FTotalFrames)) {
        FPendingDamage = true;
        return;
    }
    if (FCounting) {
        FCounted = std::max(FCounted, first + static_cast<std::int64_t>(frames));
        return;
    }
    // A lost frame keeps its time; a frame that failed its checksum comes as silence.
    if (first > FNextFrame) {
        if (FDamagedFrames++ == 0)
            FFirstDamage = FNextFrame;
        PutSilence(first - FNextFrame);
        FPendingDamage = false;
    } else if (FPendingDamage) {
        if (FDamagedFrames++ == 0)
            FFirstDamage = first;
        FPendingDamage = false;
    }
    // A frame that starts before the next (a repeated frame after a lost sync) gives only its
    // new samples.
    std::size_t skip = 0;
    if (first < FNextFrame)
        skip = static_cast<std::size_t>(
            std::min<std::int64_t>(FNextFrame - first, static_cast<std::int64_t>(frames)));
    Put(planes, skip, frames - skip);
}

void FlacStream::PutSilence(std::int64_t frames) {
    FNextFrame += frames;
    FSilenceBytes += frames * FrameBytes();
}

void FlacStream::Put(const std::int32_t* const planes[], std::size_t from, std::size_t frames) {
    const auto frameBytes = static_cast<std::size_t>(FrameBytes());
    FNextFrame += static_cast<std::int64_t>(frames);
    std::size_t direct = 0;
    if (FTarget != nullptr && FSilenceBytes == 0 && FCarryBegin == FCarryEnd)
        direct = std::min(frames, (FTargetRoom - FTargetUsed) / frameBytes);
    if (direct > 0) {
        Pack(planes, from, direct, FTarget + FTargetUsed);
        FTargetUsed += direct * frameBytes;
    }
    const std::size_t rest = frames - direct;
    if (rest == 0)
        return;
    if (FCarryBegin == FCarryEnd)
        FCarryBegin = FCarryEnd = 0;
    if (FCarry.size() < FCarryEnd + rest * frameBytes)
        FCarry.resize(FCarryEnd + rest * frameBytes);
    Pack(planes, from + direct, rest, FCarry.data() + FCarryEnd);
    FCarryEnd += rest * frameBytes;
}

void FlacStream::Pack(const std::int32_t* const planes[], std::size_t from, std::size_t frames,
                      std::byte* target) const {
    switch (FKind) {
    case SampleKind::Source:
        switch (FContainerBytes) {
        case 1:
            PackSourceAny<1>(planes, from, frames, FChannels, FShift, target);
            return;
        case 2:
            PackSourceAny<2>(planes, from, frames, FChannels, FShift, target);
            return;
        case 3:
            PackSourceAny<3>(planes, from, frames, FChannels, FShift, target);
            return;
        default:
            PackSourceAny<4>(planes, from, frames, FChannels, FShift, target);
            return;
        }
    case SampleKind::Int16:
        for (std::size_t i = from; i < from + frames; ++i) {
            for (int c = 0; c < FChannels; ++c) {
                const std::int32_t value = FBits > 16 ? RoundTo16(planes[c][i], FBits - 16)
                                                      : planes[c][i] * (1 << (16 - FBits));
                StoreLittleEndian<2>(static_cast<std::uint32_t>(value), target);
                target += 2;
            }
        }
        return;
    case SampleKind::Float32: {
        const double scale = 1.0 / static_cast<double>(std::int64_t{1} << (FBits - 1));
        for (std::size_t i = from; i < from + frames; ++i) {
            for (int c = 0; c < FChannels; ++c) {
                const auto value = static_cast<float>(planes[c][i] * scale);
                StoreLittleEndian<4>(std::bit_cast<std::uint32_t>(value), target);
                target += 4;
            }
        }
        return;
    }
    }
}

void FlacStream::Finish() {
    FEnded = true;
    // The library checks its sum of the samples only when it decoded them all from the start.
    if (FFromStart && FHasChecksum && FSelfCheck &&
        FLAC__stream_decoder_finish(FDecoder->Decoder) == 0)
        FChecksumBad = true;
}

ReadResult FlacStream::Read(std::span<std::byte> buffer) {
    const auto frameBytes = static_cast<std::size_t>(FrameBytes());
    std::size_t filled = 0;
    const auto takeSilence = [&] {
        const auto count = static_cast<std::size_t>(std::min<std::int64_t>(
            FSilenceBytes, static_cast<std::int64_t>(buffer.size() - filled)));
        // Unsigned 8-bit samples are silent at their middle.
        const bool offset = FKind == SampleKind::Source && FContainerBytes == 1;
        std::memset(buffer.data() + filled, offset ? static_cast<int>(kU8Offset) : 0, count);
        FSilenceBytes -= static_cast<std::int64_t>(count);
        filled += count;
    };
    const auto takeCarry = [&] {
        takeSilence();
        if (FSilenceBytes > 0)
            return;
        const std::size_t count = std::min(buffer.size() - filled, FCarryEnd - FCarryBegin);
        if (count == 0)
            return;
        std::memcpy(buffer.data() + filled, FCarry.data() + FCarryBegin, count);
        FCarryBegin += count;
        filled += count;
    };
    takeCarry();
    FTarget = buffer.data() + filled;
    FTargetRoom = (buffer.size() - filled) / frameBytes * frameBytes;
    FTargetUsed = 0;
    FLAC__StreamDecoder* decoder = FDecoder->Decoder;
    while (!FEnded && FSilenceBytes == 0 && FCarryBegin == FCarryEnd &&
           (FTargetRoom == 0 || FTargetUsed < FTargetRoom)) {
        const bool going = FLAC__stream_decoder_process_single(decoder) != 0;
        const FLAC__StreamDecoderState state = FLAC__stream_decoder_get_state(decoder);
        if (state == FLAC__STREAM_DECODER_END_OF_STREAM) {
            Finish();
        } else if (!going || state == FLAC__STREAM_DECODER_ABORTED ||
                   state == FLAC__STREAM_DECODER_MEMORY_ALLOCATION_ERROR ||
                   state == FLAC__STREAM_DECODER_SEEK_ERROR) {
            FEnded = true;
            FTarget = nullptr;
            throw EDecoderError(
                CoreText{CoreTextId::CannotDecode, {FPathText, "the FLAC data is damaged."}});
        }
    }
    filled += FTargetUsed;
    FTarget = nullptr;
    takeCarry();
    return ReadResult::Of(filled, !IsActive());
}

} // namespace zent
