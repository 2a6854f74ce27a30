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
    // CanSeekExactly stays false: after a seek the decoder only converges on the samples of
    // a decode from the start (tried with op_pcm_seek: samples differ after the seek position).

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
    std::vector<float> FFloats; // the packet being handed out
    std::size_t FPendingAt = 0; // its first frame not handed out yet
    std::size_t FPendingFrames = 0;
    std::vector<float> FClipMemory; // the soft clip's state per channel, from packet to packet
};

} // namespace zent
