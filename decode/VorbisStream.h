#pragma once

#include "decode/OggStream.h"

#include <memory>
#include <string>
#include <vector>

namespace zent {

struct OggVorbisFileHandle;

// Ogg Vorbis through libvorbisfile, in WAV channel order, ending where a later link of a
// chained file changes the rate or channel count.
class VorbisStream final : public OggStream {
public:
    // Null when the file holds no decodable Ogg Vorbis audio.
    static std::unique_ptr<DecoderStream> Open(std::unique_ptr<NativeFile> file,
                                               const std::filesystem::path& path, SampleKind kind);
    ~VorbisStream() override;

    AudioTags Tags() const override;
    int SampleRate() const override { return FSampleRate; }
    // A packet of the longest block size (8192) the format allows.
    std::int64_t CodecFrameFrames() const override { return 4096; }
    bool CanSeekExactly() const override;
    void SeekToFrame(std::int64_t frame) override;

private:
    VorbisStream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path,
                 SampleKind kind);
    bool Start();
    // vorbisfile on the file from its start, afresh; false when it refuses the file.
    bool OpenLibrary();
    // The frames of the stream's links, counted by decoding them.
    std::int64_t FramesByDecoding();
    std::size_t Decode(std::byte* target, std::size_t size) override;
    std::int64_t GranulePosition() const override;
    // Whether every page of the stream's links is present, intact, in order and carries
    // the granule its packets decode to.
    bool PagesAreWhole() const;

    std::unique_ptr<OggVorbisFileHandle> FVorbis;
    int FSampleRate = 0;
    int FLinkCount = 0; // leading links in the first link's format
    // Found on first demand: it reads the whole file.
    mutable int FSeekable = -1; // -1 not yet known, else 0 or 1
};

} // namespace zent
