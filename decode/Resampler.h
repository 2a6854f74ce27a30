#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace zent {

// Changes the sample rate of interleaved float frames block by block with libsoxr at its
// high-quality setting. The filter runs on across blocks (no clicks at their edges); after
// Flush the output holds exactly TargetFrames(all source frames) frames. One thread at a time.
class Resampler {
public:
    // Throws Error when libsoxr refuses the rates or channel count.
    Resampler(int channels, int sourceRate, int targetRate);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // source frames x target rate / source rate, rounded to the nearest (halves up).
    static std::int64_t TargetFrames(std::int64_t sourceFrames, int sourceRate, int targetRate);

    // Takes whole frames and gives what is ready of the output; the span holds until the
    // next call.
    std::span<const float> Process(std::span<const float> source);
    // Ends the input and gives the rest of the output.
    std::span<const float> Flush();

private:
    struct Handle;

    void Run(const float* source, std::size_t frames);

    std::unique_ptr<Handle> FHandle;
    std::size_t FChannels;
    int FSourceRate;
    int FTargetRate;
    std::int64_t FSourceFrames = 0;
    std::int64_t FTargetFrames = 0; // given out so far
    std::vector<float> FOutput;
    std::size_t FOutputFrames = 0; // of the current call
};

} // namespace zent
