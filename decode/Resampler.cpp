#include "decode/Resampler.h"

#include "framework/Errors.h"

#include <algorithm>
#include <soxr.h>
#include <string>

namespace zent {

namespace {

// Room for output beyond what the ratio promises, for the filter's burst at the end.
constexpr std::size_t kSpareFrames = 1024;

} // namespace

struct Resampler::Handle {
    soxr_t Soxr = nullptr;
    ~Handle() {
        if (Soxr != nullptr)
            soxr_delete(Soxr);
    }
};

Resampler::Resampler(int channels, int sourceRate, int targetRate)
    : FHandle(std::make_unique<Handle>()), FChannels(static_cast<std::size_t>(channels)),
      FSourceRate(sourceRate), FTargetRate(targetRate) {
    if (channels < 1 || sourceRate < 1 || targetRate < 1)
        throw Error("Cannot resample " + std::to_string(channels) + " channels from " +
                    std::to_string(sourceRate) + " Hz to " + std::to_string(targetRate) + " Hz.");
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    FHandle->Soxr = soxr_create(sourceRate, targetRate, static_cast<unsigned>(channels), &error,
                                &io, &quality, nullptr);
    if (error != nullptr || FHandle->Soxr == nullptr)
        throw Error(std::string("Cannot resample: ") + soxr_strerror(error) + ".");
}

Resampler::~Resampler() = default;

std::int64_t Resampler::TargetFrames(std::int64_t sourceFrames, int sourceRate, int targetRate) {
    // Whole seconds and the rest apart, so that the product does not overflow.
    const std::int64_t seconds = sourceFrames / sourceRate;
    const std::int64_t rest = sourceFrames % sourceRate;
    return seconds * targetRate + (2 * rest * targetRate + sourceRate) / (2 * sourceRate);
}

void Resampler::Run(const float* source, std::size_t frames) {
    FOutputFrames = 0;
    const std::size_t expected =
        frames * static_cast<std::size_t>(FTargetRate) / static_cast<std::size_t>(FSourceRate) +
        kSpareFrames;
    if (FOutput.size() < expected * FChannels)
        FOutput.resize(expected * FChannels);
    std::size_t taken = 0;
    while (true) {
        if (FOutputFrames == FOutput.size() / FChannels)
            FOutput.resize(FOutput.size() * 2);
        std::size_t used = 0;
        std::size_t made = 0;
        const std::size_t room = FOutput.size() / FChannels - FOutputFrames;
        const soxr_error_t error = soxr_process(
            FHandle->Soxr, source == nullptr ? nullptr : source + taken * FChannels, frames - taken,
            &used, FOutput.data() + FOutputFrames * FChannels, room, &made);
        if (error != nullptr)
            throw Error(std::string("Cannot resample: ") + error + ".");
        taken += used;
        FOutputFrames += made;
        // Input left, or the output filled to the brim: go on. At the end of the input, go on
        // until the filter has nothing more to give.
        const bool more = source != nullptr ? taken < frames || made == room : made > 0;
        if (!more)
            break;
    }
}

std::span<const float> Resampler::Process(std::span<const float> source) {
    const std::size_t frames = source.size() / FChannels;
    if (frames == 0)
        return {};
    Run(source.data(), frames);
    FSourceFrames += static_cast<std::int64_t>(frames);
    FTargetFrames += static_cast<std::int64_t>(FOutputFrames);
    return {FOutput.data(), FOutputFrames * FChannels};
}

std::span<const float> Resampler::Flush() {
    Run(nullptr, 0);
    const std::int64_t total = TargetFrames(FSourceFrames, FSourceRate, FTargetRate);
    // The filter's own count may differ from the rounded one by a frame or so: trim what is
    // beyond it, or pad with silence up to it.
    const std::int64_t wanted = std::max<std::int64_t>(0, total - FTargetFrames);
    const auto frames = static_cast<std::size_t>(wanted);
    if (FOutput.size() < frames * FChannels)
        FOutput.resize(frames * FChannels);
    if (FOutputFrames < frames)
        std::fill(FOutput.begin() + static_cast<std::ptrdiff_t>(FOutputFrames * FChannels),
                  FOutput.begin() + static_cast<std::ptrdiff_t>(frames * FChannels), 0.0f);
    FOutputFrames = frames;
    FTargetFrames += wanted;
    return {FOutput.data(), FOutputFrames * FChannels};
}

} // namespace zent
