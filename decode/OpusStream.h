#pragma once

#include "decode/Decoder.h"
#include "decode/NativeFile.h"

#include <memory>
#include <string>
#include <vector>

namespace zent {

struct OggOpusFileHandle;

// Ogg Opus through libopusfile, at 48000 Hz in WAV channel order, with the header's output
// gain applied; ending where a later link of a chained file changes the channel count.
class OpusStream final : public DecoderStream {
public:
    // Null when the file holds no decodable Ogg Opus audio.
    static std::unique_ptr<DecoderStream> Open(std::unique_ptr<NativeFile> file,
                                               const std::filesystem::path& path, SampleKind kind);
    ~OpusStream() override;

    SampleKind Kind() const override { return FKind; }
    AudioTags Tags() const override;
    int Channels() const override { return FChannels; }
    int SampleRate() const override { return 48000; }
    std::int64_t LengthBytes() const override { return FLengthBytes; }
    // The longest packet the format allows: 120 ms.
    std::int64_t CodecFrameFrames() const override { return 5760; }
    bool IsActive() const override { return !FEnded || FCarryBegin < FCarryEnd; }
    bool EndsWithoutEndMark() const override { return FNoEndMark; }
    // Never exact: after a seek the decoder only converges on the samples of a decode from
    // the start (tried with op_pcm_seek: samples differ after the seek position).
    ReadResult Read(std::span<std::byte> buffer) override;

private:
    OpusStream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path,
               SampleKind kind);
    bool Start();
    // Whole frames into target (at least one frame long); 0 at the end of the data.
    std::size_t Decode(std::byte* target, std::size_t size);
    std::size_t TakeCarry(std::span<std::byte> buffer);
    std::size_t FrameBytes() const {
        return static_cast<std::size_t>(FChannels) * static_cast<std::size_t>(SampleBytes(FKind));
    }

    // The decoder reads through the file, so it goes first.
    std::unique_ptr<NativeFile> FFile;
    std::unique_ptr<OggOpusFileHandle> FOpus;
    std::string FPathText;
    SampleKind FKind;
    int FChannels = 0;
    int FLinkCount = 0; // leading links with the first link's channel count
    std::int64_t FLengthBytes = 0;
    bool FEnded = false;
    bool FNoEndMark = false;
    std::vector<float> FFloats;
    // The part of a frame that did not fit the caller's buffer, for the next call.
    std::vector<std::byte> FCarry;
    std::size_t FCarryBegin = 0;
    std::size_t FCarryEnd = 0;
};

} // namespace zent
