#pragma once

#include "decode/ChannelMixer.h"
#include "decode/Decoder.h"
#include "decode/Resampler.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zent {

// An Ogg file of links whose format changes along the way (radio recordings, joined albums):
// one stream per run of links of one codec, rate and channel count, played one after the
// other in the first run's format. Later runs in another format are mixed (the --channels
// coefficients) and resampled (libsoxr, high quality) into it; runs in the first run's format
// give their bytes unchanged. Each change is named in a warning with its time.
class ChainStream final : public DecoderStream {
public:
    // The runs in order, each opened on its own bytes: the first in the kind asked for, the
    // others in that kind when they share the first one's format, else as Float32.
    ChainStream(std::vector<std::unique_ptr<DecoderStream>> runs, std::filesystem::path path);
    ~ChainStream() override;

    SampleKind Kind() const override { return FRuns.front()->Kind(); }
    int Channels() const override { return FChannels; }
    int SampleRate() const override { return FSampleRate; }
    AudioTags Tags() const override { return FRuns.front()->Tags(); }
    std::int64_t LengthBytes() const override { return FLengthBytes; }
    bool IsActive() const override;
    std::int64_t CodecFrameFrames() const override;
    bool EndsWithoutEndMark() const override { return FRuns.back()->EndsWithoutEndMark(); }
    std::vector<CoreText> Warnings() const override;
    ReadResult Read(std::span<std::byte> buffer) override;

private:
    // Whether the run gives its bytes as they are.
    bool Direct(const DecoderStream& run) const;
    // The next run's converted output into FPending; false at its end.
    bool ConvertMore();
    void StartRun();

    std::vector<std::unique_ptr<DecoderStream>> FRuns;
    std::filesystem::path FPath; // for messages
    std::size_t FCurrent = 0;
    int FChannels = 0;
    int FSampleRate = 0;
    std::int64_t FLengthBytes = 0;
    std::vector<CoreText> FWarnings;
    // The conversion of the current run, when it is not direct.
    std::optional<ChannelMixer> FMixer;
    std::optional<Resampler> FResampler;
    bool FFlushed = false;
    std::vector<std::byte> FRaw; // the run's float frames as read
    std::size_t FRawFill = 0;    // bytes of FRaw that hold data
    std::vector<float> FMixed;
    std::vector<std::byte> FPending; // converted bytes not yet handed out
    std::size_t FPendingAt = 0;
};

} // namespace zent
