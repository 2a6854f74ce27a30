#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zent {

class DecoderStream;

// A run of sample frames of one file, decoded by one job. The last slice of a file runs to
// the end of the decoded data, however long the decoder finds it.
struct Slice {
    std::int64_t First = 0;
    std::int64_t Count = 0;
    bool operator==(const Slice&) const = default;
};

// How busy the batch is when a file is opened.
struct SliceContext {
    unsigned Jobs = 1;
    std::size_t FilesNotTaken = 0;    // files no job has begun yet
    std::int64_t MeanOpenedBytes = 0; // mean decoded length of the files opened before; 0: none
    // False when a sample of the output depends on those before it (a rate change, dither)
    // or the output goes out in order (a pipe): the file is then never cut.
    bool Cuttable = true;
};

// Every slice must cover at least this much audio. A slice costs a decoder of its own, a seek
// that decodes some audio twice to get the decoder's state right, and a hand-over between
// threads; below a few seconds that costs more than a second core gains.
inline constexpr double kMinSliceSeconds = 4.0;
// A file this many times longer than the mean is cut even while other files wait, so that it
// does not end the batch on one core alone.
inline constexpr std::int64_t kLongFileFactor = 4;

// Hashing a file's data costs about this share of decoding and writing it (MD5 against
// libFLAC on 16-bit stereo).
inline constexpr double kCheckCost = 1.0 / 3;

// count slices of nearly equal length covering totalFrames.
std::vector<Slice> EvenSlices(std::int64_t totalFrames, int count);

// count slices covering totalFrames of which the first is firstFrames long and the others
// nearly equal.
std::vector<Slice> SlicesAfterFirst(std::int64_t totalFrames, std::int64_t firstFrames, int count);

// The slices a file is converted in; one slice (the whole file) when it is not cut: one job,
// an output that cannot be cut, a decoder that cannot seek exactly, a file shorter than
// kMinSliceSeconds per slice, or a batch whose jobs are all
// still busy with whole files. The data of a stream that checks them is hashed in order by the
// first slice's job after its slice: that slice is shorter, by what the hashing costs.
std::vector<Slice> PlanSlices(const DecoderStream& stream, const SliceContext& context);

} // namespace zent
