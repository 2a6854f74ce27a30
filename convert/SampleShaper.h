#pragma once

#include "convert/SampleFormat.h"
#include "convert/WavLayout.h"
#include "decode/ChannelMixer.h"
#include "decode/Resampler.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace zent {

class DecoderStream;

// What the WAV files hold. The defaults keep the source's rate and channels in 16-bit PCM
// with the 44-byte header: the bytes the window has always written.
struct OutputFormat {
    SampleFormat Format = SampleFormat::S16;
    int Rate = 0;      // Hz; 0 keeps the source's
    int Channels = 0;  // 0 keeps the source's
    bool Tags = false; // the source's tags in an INFO list after the data
    // A lossless source keeps its own depth, Format being for the lossy ones ("as the
    // source"); false once a format is chosen for every source.
    bool SourceDepth = true;

    // True when a source of this rate and channel count is written as the decoder's own
    // 16-bit samples, without the float path.
    bool IsPlainFor(int sourceChannels, int sourceRate) const;
    bool IsDefault() const { return IsPlainFor(0, 0); }
    // True when the output is a lossless source's own samples deeper than float's 24 bits
    // (32-bit integers, nothing else changed), which the float path would round.
    bool KeepsDeepSamples(int sourceBits, int sourceChannels, int sourceRate) const;
    // This output for a source whose own samples have sourceBits bits (0: a lossy source).
    OutputFormat ForSource(int sourceBits) const;
};

// Turns a source's float frames into the data bytes of the output it is given:
// channel mix, then the rate change, then the sample format. One per output file (the
// resampler and the dither run on from block to block); one thread at a time.
class SampleShaper {
public:
    // Throws Error for a layout or rate that cannot be converted.
    SampleShaper(int sourceChannels, int sourceRate, const OutputFormat& out);

    const WavLayout& Layout() const { return FLayout; }
    int Channels() const { return FChannels; }
    int Rate() const { return FRate; }
    // True when every output sample depends only on the source frame at its place (no rate
    // change, no dither), so that a file may be converted in slices.
    bool Cuttable() const { return !FResampler && !FDither; }
    // The output frames of sourceFrames frames of the source.
    std::int64_t TargetFrames(std::int64_t sourceFrames) const;

    // The data bytes of whole source frames; the span holds until the next call.
    std::span<const std::byte> Process(std::span<const float> source);
    // The rest the resampler holds back; call once, after the last Process.
    std::span<const std::byte> Flush();

private:
    std::span<const std::byte> Write(std::span<const float> samples);

    int FSourceChannels;
    int FSourceRate;
    int FChannels;
    int FRate;
    WavLayout FLayout;
    std::optional<ChannelMixer> FMixer;
    std::unique_ptr<Resampler> FResampler;
    bool FDither;
    SampleWriter FWriter;
    std::vector<float> FMixed;
    std::vector<float> FClean;
    std::vector<std::byte> FBytes;
};

// Reads a stream of either sample kind as whole frames of float samples; a frame that a read
// splits is completed by the next. One thread at a time.
class FloatFrameReader {
public:
    FloatFrameReader(DecoderStream& stream, std::size_t bufferBytes,
                     std::filesystem::path sourcePath);

    // Bytes of one source frame in the stream's own kind (as its LengthBytes counts them).
    std::int64_t SourceFrameBytes() const { return FFrameBytes; }
    // Up to maxFrames whole frames; empty at the end of the stream. Throws EDecoderError.
    std::span<const float> Next(std::int64_t maxFrames);

private:
    DecoderStream& FStream;
    std::filesystem::path FSource;
    std::int64_t FFrameBytes;
    std::size_t FChannels;
    bool FFloat;
    std::vector<std::byte> FRaw;
    std::size_t FHeld = 0; // bytes of a split frame at the start of FRaw
    std::vector<float> FSamples;
};

} // namespace zent
