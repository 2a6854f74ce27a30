#include "decode/ChainStream.h"

#include "decode/PcmRounding.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace zent {

namespace {

constexpr std::size_t kRawBytes = 64 * 1024;

std::string FormatName(int rate, int channels) {
    return std::to_string(rate) + " Hz " +
           (channels == 1   ? std::string("mono")
            : channels == 2 ? std::string("stereo")
                            : std::to_string(channels) + " channels");
}

} // namespace

ChainStream::ChainStream(std::vector<std::unique_ptr<DecoderStream>> runs,
                         std::filesystem::path path)
    : FRuns(std::move(runs)), FPath(std::move(path)), FChannels(FRuns.front()->Channels()),
      FSampleRate(FRuns.front()->SampleRate()) {
    // The mixer makes mono or stereo only: the chain plays as far as its runs can be brought
    // into the first one's format (the links' headers may say otherwise than their streams).
    const auto playable = [this](const std::unique_ptr<DecoderStream>& run) {
        return run->Channels() == FChannels || FChannels <= 2;
    };
    FRuns.erase(std::find_if_not(FRuns.begin(), FRuns.end(), playable), FRuns.end());
    const std::int64_t frameBytes = std::int64_t{FChannels} * SampleBytes(Kind());
    std::int64_t frames = 0;
    for (const auto& run : FRuns) {
        const std::int64_t runFrames =
            run->LengthBytes() / (std::int64_t{run->Channels()} * SampleBytes(run->Kind()));
        if (&run != &FRuns.front() && !Direct(*run)) {
            FWarnings.push_back({CoreTextId::FormatChanges,
                                 {FormatName(run->SampleRate(), run->Channels()),
                                  ClockTime(static_cast<double>(frames) / FSampleRate),
                                  FormatName(FSampleRate, FChannels)}});
        }
        frames += Resampler::TargetFrames(runFrames, run->SampleRate(), FSampleRate);
    }
    FLengthBytes = frames * frameBytes;
    StartRun();
}

ChainStream::~ChainStream() = default;

bool ChainStream::Direct(const DecoderStream& run) const {
    return run.Channels() == FChannels && run.SampleRate() == FSampleRate && run.Kind() == Kind();
}

void ChainStream::StartRun() {
    FMixer.reset();
    FResampler.reset();
    FFlushed = false;
    FRawFill = 0;
    if (FCurrent >= FRuns.size() || Direct(*FRuns[FCurrent])) {
        return;
    }
    const DecoderStream& run = *FRuns[FCurrent];
    if (run.Channels() != FChannels) {
        FMixer.emplace(run.Channels(), FChannels);
    }
    if (run.SampleRate() != FSampleRate) {
        FResampler.emplace(FChannels, run.SampleRate(), FSampleRate);
    }
    FRaw.resize(kRawBytes);
}

bool ChainStream::IsActive() const {
    return FPendingAt < FPending.size() || FCurrent < FRuns.size();
}

std::int64_t ChainStream::CodecFrameFrames() const {
    std::int64_t most = 0;
    for (const auto& run : FRuns) {
        most = std::max(most, run->CodecFrameFrames());
    }
    return most;
}

std::vector<CoreText> ChainStream::Warnings() const {
    std::vector<CoreText> warnings = FWarnings;
    for (const auto& run : FRuns) {
        for (const CoreText& warning : run->Warnings()) {
            if (std::find(warnings.begin(), warnings.end(), warning) == warnings.end()) {
                warnings.push_back(warning);
            }
        }
    }
    return warnings;
}

bool ChainStream::ConvertMore() {
    DecoderStream& run = *FRuns[FCurrent];
    const std::size_t sourceFrameBytes = static_cast<std::size_t>(run.Channels()) * sizeof(float);
    std::span<const float> frames;
    if (!FFlushed) {
        const std::size_t got =
            run.IsActive() ? ReadGuarded(run, std::span(FRaw).subspan(FRawFill), FPath) : 0;
        FRawFill += got;
        const std::size_t whole = FRawFill - FRawFill % sourceFrameBytes;
        if (got == 0) {
            FFlushed = true;
        }
        std::span<const float> source(reinterpret_cast<const float*>(FRaw.data()),
                                      whole / sizeof(float));
        if (FMixer) {
            FMixed.resize(source.size() / static_cast<std::size_t>(run.Channels()) *
                          static_cast<std::size_t>(FChannels));
            source = std::span<const float>(FMixed.data(), FMixer->Mix(source, FMixed));
        }
        frames = FResampler ? FResampler->Process(source) : source;
        if (FFlushed && FResampler) {
            // Process gives a span into the resampler's buffer that Flush reuses.
            std::vector<float> last(frames.begin(), frames.end());
            const std::span<const float> rest = FResampler->Flush();
            last.insert(last.end(), rest.begin(), rest.end());
            FMixed = std::move(last);
            frames = FMixed;
        }
        std::memmove(FRaw.data(), FRaw.data() + whole, FRawFill - whole);
        FRawFill -= whole;
    }
    const std::size_t sampleBytes = static_cast<std::size_t>(SampleBytes(Kind()));
    FPending.resize(frames.size() * sampleBytes);
    FPendingAt = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        std::byte* at = FPending.data() + i * sampleBytes;
        if (Kind() == SampleKind::Float32) {
            auto bits = std::bit_cast<std::uint32_t>(frames[i]);
            if constexpr (std::endian::native == std::endian::big) {
                bits = (bits >> 24) | ((bits >> 8) & 0xff00u) | ((bits << 8) & 0xff0000u) |
                       (bits << 24);
            }
            std::memcpy(at, &bits, sizeof bits);
        } else {
            const auto sample = static_cast<std::uint16_t>(RoundToPcm<16>(frames[i]));
            at[0] = static_cast<std::byte>(sample & 0xff);
            at[1] = static_cast<std::byte>(sample >> 8);
        }
    }
    return !FFlushed || !FPending.empty();
}

ReadResult ChainStream::Read(std::span<std::byte> buffer) {
    std::size_t filled = 0;
    while (filled < buffer.size() && IsActive()) {
        if (FPendingAt < FPending.size()) {
            const std::size_t count =
                std::min(buffer.size() - filled, FPending.size() - FPendingAt);
            std::memcpy(buffer.data() + filled, FPending.data() + FPendingAt, count);
            FPendingAt += count;
            filled += count;
            continue;
        }
        DecoderStream& run = *FRuns[FCurrent];
        if (Direct(run) ? !run.IsActive() : FFlushed) {
            ++FCurrent;
            StartRun();
            continue;
        }
        if (Direct(run)) {
            filled += ReadGuarded(run, buffer.subspan(filled), FPath);
        } else {
            ConvertMore();
        }
    }
    return ReadResult::Of(filled, !IsActive());
}

} // namespace zent
