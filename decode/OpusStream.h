#pragma once

#include "decode/OggStream.h"

#include <memory>
#include <string>
#include <vector>

namespace zent {

struct OggOpusFileHandle;

// Ogg Opus through libopusfile, at 48000 Hz in WAV channel order, with the header's output
// gain applied; ending where a later link of a chained file changes the channel count.
class OpusStream final : public OggStream {
public:
    // Null when the file holds no decodable Ogg Opus audio.
    static std::unique_ptr<DecoderStream> Open(std::unique_ptr<NativeFile> file,
                                               const std::filesystem::path& path, SampleKind kind);
    ~OpusStream() override;

    AudioTags Tags() const override;
    int SampleRate() const override { return 48000; }
    // The longest packet the format allows: 120 ms.
    std::int64_t CodecFrameFrames() const override { return 5760; }
    // After a seek the decoder only converges on the samples of a decode from the start: a
    // seek starts this long before the frame and throws the pre-roll away. Measured: identical
    // samples after 1 s on every file tried (within one 16-bit step after 0.25 s, hundreds of
    // steps apart after the format's own 80 ms); twice that for a margin.
    static constexpr std::int64_t kPrerollFrames = 2 * 48000;
    // One link only: a chain's links restart their decoders.
    bool CanSeekExactly() const override { return FSeekable; }
    void SeekToFrame(std::int64_t frame) override;
    void ClipSoftly() override { FSoftClip = true; }

private:
    OpusStream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path,
               SampleKind kind);
    bool Start();
    // libopusfile on the file from its start, afresh, as a file it may seek in or as a
    // stream; false when it refuses the file.
    bool OpenLibrary(bool seekable);
    // The frames of the stream's links, counted by decoding them.
    std::int64_t FramesByDecoding();
    // Whether data of the link belongs to the stream.
    bool InStream(int link) const;
    std::size_t Decode(std::byte* target, std::size_t size) override;
    std::int64_t GranulePosition() const override;

    std::unique_ptr<OggOpusFileHandle> FOpus;
    int FLinkCount = 0;         // leading links with the first link's channel count
    bool FUnseekable = false;   // read as a stream: its granule positions could not be used
    bool FSeekable = false;     // to a sample frame, for slices
    bool FSoftClip = false;     // also in float output
    std::vector<float> FFloats; // the packet being handed out
    std::size_t FPendingAt = 0; // its first frame not handed out yet
    std::size_t FPendingFrames = 0;
    std::vector<float> FClipMemory; // the soft clip's state per channel, from packet to packet
};

} // namespace zent
