#include "convert/SlicePlan.h"

#include "decode/Decoder.h"

#include <algorithm>

namespace zent {

std::vector<Slice> EvenSlices(std::int64_t totalFrames, int count) {
    std::vector<Slice> slices;
    std::int64_t first = 0;
    for (int i = 0; i < count; ++i) {
        const std::int64_t end = totalFrames * (i + 1) / count;
        slices.push_back({first, end - first});
        first = end;
    }
    return slices;
}

std::vector<Slice> SlicesAfterFirst(std::int64_t totalFrames, std::int64_t firstFrames, int count) {
    std::vector<Slice> slices = {{0, firstFrames}};
    for (const Slice& rest : EvenSlices(totalFrames - firstFrames, count - 1))
        slices.push_back({firstFrames + rest.First, rest.Count});
    return slices;
}

std::vector<Slice> PlanSlices(const DecoderStream& stream, const SliceContext& context) {
    const std::int64_t frameBytes =
        static_cast<std::int64_t>(stream.Channels()) * (stream.BitsPerSample() / 8);
    const std::int64_t length = stream.LengthBytes();
    const std::int64_t frames = frameBytes > 0 ? length / frameBytes : 0;
    const std::vector<Slice> whole = {{0, frames}};
    if (!context.Cuttable || context.Jobs < 2 || frames <= 0)
        return whole;
    const bool jobsIdle = context.FilesNotTaken + 1 < context.Jobs;
    const bool longFile =
        context.MeanOpenedBytes > 0 && length > kLongFileFactor * context.MeanOpenedBytes;
    if (!jobsIdle && !longFile)
        return whole;
    const auto minFrames = static_cast<std::int64_t>(kMinSliceSeconds * stream.SampleRate());
    const std::int64_t byLength = minFrames > 0 ? frames / minFrames : 0;
    const auto count = static_cast<int>(std::min<std::int64_t>(context.Jobs, byLength));
    // Asked last: a decoder may read the whole file to know.
    if (count < 2 || !stream.CanSeekExactly())
        return whole;
    if (!stream.ChecksWholeReads())
        return EvenSlices(frames, count);
    // The first job's share: its slice and the hashing of all, against a slice of the others.
    const double share = std::max(0.0, (1.0 - kCheckCost * (count - 1)) / count);
    const auto first = std::max(minFrames, static_cast<std::int64_t>(share * frames));
    return SlicesAfterFirst(frames, first, count);
}

} // namespace zent
