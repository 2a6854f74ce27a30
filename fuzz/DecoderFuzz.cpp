// The decoder layer on any bytes: open by content, ask what the probe and the writer ask,
// then read everything in blocks that are not whole frames, as the writer's loop does. Where
// the stream says it seeks exactly, a seek must give the samples a decode from the start gave.
// Some inputs, chosen by their size, decode to floats or to a lossless source's own samples
// instead of 16-bit samples.
#include "decode/Decoder.h"
#include "framework/Errors.h"
#include "fuzz/FuzzSupport.h"

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// Odd sizes: never a whole number of frames, so partial frames are carried over.
constexpr std::array<std::size_t, 4> kBlockSizes = {4097, 1, 5, 65537};
// Read gives 0 only at the end; a stream that stays active without data would hang the writer.
constexpr int kMaxEmptyReads = 16;
// Decoded data kept for comparing with a decode after a seek.
constexpr std::size_t kMaxKept = 16 * 1024 * 1024;

#ifdef ZENT_LIBFUZZER
// The Ogg page checksum: CRC-32, polynomial 0x04C11DB7, not reflected, initial value 0.
std::uint32_t OggCrc(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= static_cast<std::uint32_t>(data[i]) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) != 0 ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

// Recomputes the checksum of every whole Ogg page in the data.
void MendOggChecksums(std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeaderSize = 27;
    constexpr std::size_t kCrcOffset = 22;
    std::size_t at = 0;
    while (at + kHeaderSize <= size) {
        if (std::memcmp(data + at, "OggS", 4) != 0) {
            ++at;
            continue;
        }
        const std::size_t segments = data[at + kHeaderSize - 1];
        std::size_t pageSize = kHeaderSize + segments;
        for (std::size_t i = 0; i < segments && at + kHeaderSize + i < size; ++i)
            pageSize += data[at + kHeaderSize + i];
        if (at + pageSize > size)
            return;
        std::memset(data + at + kCrcOffset, 0, 4);
        const std::uint32_t crc = OggCrc(data + at, pageSize);
        for (std::size_t i = 0; i < 4; ++i)
            data[at + kCrcOffset + i] = static_cast<std::uint8_t>(crc >> (8 * i));
        at += pageSize;
    }
}
#endif

} // namespace

#ifdef ZENT_LIBFUZZER
extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

// Nearly every change to an Ogg page breaks its checksum, and the page is then skipped before
// the decoder sees it. Most mutations get their checksums mended so that they reach deeper.
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed) {
    size = LLVMFuzzerMutate(data, size, maxSize);
    if (seed % 4 != 0)
        MendOggChecksums(data, size);
    return size;
}
#endif

namespace {

struct Decoded {
    std::uint64_t Bytes = 0;
    std::string Kept; // the first kMaxKept bytes or so
};

// What the stream delivers from here on, read as the writer reads; nothing when the decoder
// gives up on damaged data.
std::optional<Decoded> ReadToEnd(zent::DecoderStream& stream) {
    std::vector<std::byte> buffer(kBlockSizes.back());
    Decoded data;
    int emptyReads = 0;
    try {
        for (std::size_t block = 0; stream.IsActive(); ++block) {
            const std::size_t request = kBlockSizes[block % kBlockSizes.size()];
            const zent::ReadResult result = stream.Read(std::span(buffer).first(request));
            const std::size_t got = result.Bytes;
            zent::fuzz::Check((got > 0) == (result.Status == zent::ReadStatus::Data),
                              "a read brings data exactly when it says so");
            zent::fuzz::Check(got <= request, "Read stays within the buffer");
            data.Bytes += got;
            if (data.Kept.size() < kMaxKept)
                data.Kept.append(reinterpret_cast<const char*>(buffer.data()), got);
            emptyReads = got == 0 ? emptyReads + 1 : 0;
            zent::fuzz::Check(emptyReads <= kMaxEmptyReads, "an active stream delivers data");
        }
    } catch (const zent::EDecoderError&) {
        return std::nullopt;
    }
    return data;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zent;
    const std::filesystem::path file = fuzz::ScratchFile("input.audio");
    fuzz::WriteBytes(file, data, size);

    const SampleKind kind = size % 4 == 3   ? SampleKind::Float32
                            : size % 4 == 2 ? SampleKind::Source
                                            : SampleKind::Int16;
    const std::unique_ptr<DecoderStream> stream = OpenDecoderStream(file, kind);
    if (!stream)
        return 0;
    fuzz::Check(stream->Kind() == kind ||
                    (kind == SampleKind::Source && stream->Kind() == SampleKind::Int16),
                "the stream gives the kind of samples asked for");
    // The tags as a conversion asks for them: read, whatever they hold.
    static_cast<void>(stream->Tags());
    const int channels = stream->Channels();
    fuzz::Check(channels >= 1 && stream->SampleRate() >= 1,
                "an open stream has channels and a rate");
    fuzz::Check(stream->LengthBytes() >= 0, "the length is not negative");
    fuzz::Check(stream->CodecFrameFrames() >= 0, "the codec frame size is not negative");
    fuzz::Check(stream->LengthSeconds() >= 0.0, "the playing time is not negative");
    const bool canSeek = stream->CanSeekExactly();

    const std::optional<Decoded> whole = ReadToEnd(*stream);
    if (!whole)
        return 0;
    const std::size_t frameBytes =
        static_cast<std::size_t>(channels) * static_cast<std::size_t>(stream->BitsPerSample() / 8);
    fuzz::Check(whole->Bytes % frameBytes == 0, "the data ends on a whole frame");
    if (!canSeek || whole->Bytes != whole->Kept.size())
        return 0;

    // Somewhere in the data, chosen by the input so that runs try many places.
    const std::size_t frames = whole->Kept.size() / frameBytes;
    const std::size_t frame = size % (frames + 1);
    try {
        stream->SeekToFrame(static_cast<std::int64_t>(frame));
    } catch (const EDecoderError&) {
        return 0;
    }
    const std::optional<Decoded> rest = ReadToEnd(*stream);
    fuzz::Check(!rest || rest->Kept == whole->Kept.substr(frame * frameBytes),
                "after a seek the samples are those of a decode from the start");
    return 0;
}
