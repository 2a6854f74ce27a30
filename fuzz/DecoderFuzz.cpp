// The decoder layer on any bytes: open by content, ask what the probe and the writer ask,
// then read everything in blocks that are not whole frames, as the writer's loop does.
#include "decode/Decoder.h"
#include "framework/Errors.h"
#include "fuzz/FuzzSupport.h"

#include <array>
#include <vector>

namespace {

// Odd sizes: never a whole number of 16-bit frames, so partial frames are carried over.
constexpr std::array<std::size_t, 4> kBlockSizes = {4097, 1, 5, 65537};
// Read gives 0 only at the end; a stream that stays active without data would hang the writer.
constexpr int kMaxEmptyReads = 16;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zent;
    const std::filesystem::path file = fuzz::ScratchFile("input.audio");
    fuzz::WriteBytes(file, data, size);

    const std::unique_ptr<DecoderStream> stream = OpenDecoderStream(file);
    if (!stream)
        return 0;
    const int channels = stream->Channels();
    const int rate = stream->SampleRate();
    const std::int64_t length = stream->LengthBytes();
    fuzz::Check(channels >= 1 && rate >= 1, "an open stream has channels and a rate");
    fuzz::Check(length >= 0, "the length is not negative");
    fuzz::Check(stream->CodecFrameFrames() >= 0, "the codec frame size is not negative");
    fuzz::Check(stream->LengthSeconds() >= 0.0, "the playing time is not negative");

    const auto frameBytes = static_cast<std::uint64_t>(channels) * 2;
    std::vector<std::byte> buffer(kBlockSizes.back());
    std::uint64_t total = 0;
    int emptyReads = 0;
    try {
        for (std::size_t block = 0; stream->IsActive(); ++block) {
            const std::size_t request = kBlockSizes[block % kBlockSizes.size()];
            const std::size_t got = stream->Read(std::span(buffer).first(request));
            fuzz::Check(got <= request, "Read stays within the buffer");
            total += got;
            emptyReads = got == 0 ? emptyReads + 1 : 0;
            fuzz::Check(emptyReads <= kMaxEmptyReads, "an active stream delivers data");
        }
    } catch (const EDecoderError&) {
        return 0;
    }
    fuzz::Check(total % frameBytes == 0, "the data ends on a whole frame");
    return 0;
}
