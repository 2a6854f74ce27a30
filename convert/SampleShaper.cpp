#include "convert/SampleShaper.h"

#include "decode/Decoder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace zent {

namespace {

constexpr int kDitherMaxBits = 16;
constexpr float kInt16Scale = 1.0F / 32768.0F;

int Resolved(int wanted, int source) {
    return wanted > 0 ? wanted : source;
}

} // namespace

bool OutputFormat::IsPlainFor(int sourceChannels, int sourceRate) const {
    return Format == SampleFormat::S16 && !Tags && (Rate == 0 || Rate == sourceRate) &&
           (Channels == 0 || Channels == sourceChannels);
}

bool OutputFormat::KeepsDeepSamples(int sourceBits, int sourceChannels, int sourceRate) const {
    OutputFormat asPlain = *this;
    asPlain.Format = SampleFormat::S16;
    return Format == SampleFormat::S32 && sourceBits > 24 &&
           asPlain.IsPlainFor(sourceChannels, sourceRate);
}

OutputFormat OutputFormat::ForSource(int sourceBits) const {
    OutputFormat out = *this;
    if (SourceDepth && sourceBits > 0)
        out.Format = sourceBits <= 8    ? SampleFormat::U8
                     : sourceBits <= 16 ? SampleFormat::S16
                     : sourceBits <= 24 ? SampleFormat::S24
                                        : SampleFormat::S32;
    return out;
}

SampleShaper::SampleShaper(int sourceChannels, int sourceRate, const OutputFormat& out)
    : FSourceChannels(sourceChannels), FSourceRate(sourceRate),
      FChannels(Resolved(out.Channels, sourceChannels)), FRate(Resolved(out.Rate, sourceRate)),
      FLayout(out.Format, FChannels, static_cast<std::uint32_t>(FRate)),
      // A mixed or resampled signal holds more than a short integer keeps: it is dithered.
      FDither((FChannels != sourceChannels || FRate != sourceRate) && !IsFloat(out.Format) &&
              BitsPerSample(out.Format) <= kDitherMaxBits),
      FWriter(out.Format, {.Dither = FDither}) {
    if (FChannels != sourceChannels)
        FMixer.emplace(sourceChannels, FChannels);
    if (FRate != sourceRate)
        FResampler = std::make_unique<Resampler>(FChannels, sourceRate, FRate);
}

std::int64_t SampleShaper::TargetFrames(std::int64_t sourceFrames) const {
    return FResampler ? Resampler::TargetFrames(sourceFrames, FSourceRate, FRate) : sourceFrames;
}

std::span<const std::byte> SampleShaper::Process(std::span<const float> source) {
    std::span<const float> samples = source;
    if (FMixer) {
        const std::size_t frames = source.size() / static_cast<std::size_t>(FSourceChannels);
        FMixed.resize(frames * static_cast<std::size_t>(FChannels));
        samples = std::span<const float>(FMixed.data(), FMixer->Mix(source, FMixed));
    }
    if (FResampler)
        samples = FResampler->Process(samples);
    return Write(samples);
}

std::span<const std::byte> SampleShaper::Flush() {
    if (!FResampler)
        return {};
    return Write(FResampler->Flush());
}

std::span<const std::byte> SampleShaper::Write(std::span<const float> samples) {
    if (IsFloat(FWriter.Format())) {
        // Float keeps peaks beyond full scale as they are; only values no reader can take
        // (infinities, NaN) become silence.
        FClean.resize(samples.size());
        std::transform(samples.begin(), samples.end(), FClean.begin(),
                       [](float value) { return std::isfinite(value) ? value : 0.0F; });
        samples = FClean;
    }
    FBytes.resize(FWriter.BytesFor(samples.size()));
    FWriter.Write(samples, FBytes.data());
    return FBytes;
}

FloatFrameReader::FloatFrameReader(DecoderStream& stream, std::size_t bufferBytes,
                                   std::filesystem::path sourcePath)
    : FStream(stream), FSource(std::move(sourcePath)),
      FFrameBytes(static_cast<std::int64_t>(stream.Channels()) * SampleBytes(stream.Kind())),
      FChannels(static_cast<std::size_t>(stream.Channels())),
      FFloat(stream.Kind() == SampleKind::Float32) {
    const auto frameBytes = static_cast<std::size_t>(FFrameBytes);
    FRaw.resize(std::max(bufferBytes - bufferBytes % frameBytes, 2 * frameBytes));
}

std::span<const float> FloatFrameReader::Next(std::int64_t maxFrames) {
    const auto frameBytes = static_cast<std::size_t>(FFrameBytes);
    const std::size_t room = std::min<std::size_t>(
        FRaw.size(), static_cast<std::size_t>(std::max<std::int64_t>(maxFrames, 1)) * frameBytes);
    // A read fills what it can; only a split frame needs another.
    std::size_t have = FHeld;
    do {
        const std::size_t received =
            ReadGuarded(FStream, std::span<std::byte>(FRaw).subspan(have, room - have), FSource);
        if (received == 0)
            break;
        have += received;
    } while (have < frameBytes);
    const std::size_t whole = have - have % frameBytes;
    const std::size_t samples = whole / frameBytes * FChannels;
    FSamples.resize(samples);
    if (FFloat) {
        if (whole > 0)
            std::memcpy(FSamples.data(), FRaw.data(), whole);
    } else {
        for (std::size_t i = 0; i < samples; ++i) {
            std::int16_t value = 0;
            std::memcpy(&value, FRaw.data() + 2 * i, 2);
            FSamples[i] = static_cast<float>(value) * kInt16Scale;
        }
    }
    FHeld = have - whole;
    std::memmove(FRaw.data(), FRaw.data() + whole, FHeld);
    return FSamples;
}

} // namespace zent
