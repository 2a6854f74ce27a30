#pragma once

#include "decode/Decoder.h"
#include "decode/NativeFile.h"

#include <memory>
#include <string>
#include <vector>

namespace zent {

struct OggVorbisFileHandle;

// Ogg Vorbis through libvorbisfile, in WAV channel order, ending where a later link of a
// chained file changes the rate or channel count.
class VorbisStream final : public DecoderStream {
public:
    // Null when the file holds no decodable Ogg Vorbis audio.
    static std::unique_ptr<DecoderStream> Open(std::unique_ptr<NativeFile> file,
                                               const std::filesystem::path& path, SampleKind kind);
    ~VorbisStream() override;

    SampleKind Kind() const override { return FKind; }
    AudioTags Tags() const override;
    int Channels() const override { return FChannels; }
    int SampleRate() const override { return FSampleRate; }
    std::int64_t LengthBytes() const override { return FLengthBytes; }
    // A packet of the longest block size (8192) the format allows.
    std::int64_t CodecFrameFrames() const override { return 4096; }
    bool IsActive() const override { return !FEnded || FCarryBegin < FCarryEnd; }
    bool EndsWithoutEndMark() const override { return FNoEndMark; }
    bool CanSeekExactly() const override;
    void SeekToFrame(std::int64_t frame) override;
    ReadResult Read(std::span<std::byte> buffer) override;

private:
    VorbisStream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path,
                 SampleKind kind);
    bool Start();
    // Whole frames into target (at least one frame long); 0 at the end of the data.
    std::size_t Decode(std::byte* target, std::size_t size);
    std::size_t TakeCarry(std::span<std::byte> buffer);
    std::size_t FrameBytes() const {
        return static_cast<std::size_t>(FChannels) * static_cast<std::size_t>(SampleBytes(FKind));
    }
    // Whether every page of the stream's links is present, intact, in order and carries
    // the granule its packets decode to.
    bool PagesAreWhole() const;

    // The decoder reads through the file, so it goes first.
    std::unique_ptr<NativeFile> FFile;
    std::unique_ptr<OggVorbisFileHandle> FVorbis;
    std::string FPathText;
    SampleKind FKind;
    int FChannels = 0;
    int FSampleRate = 0;
    int FLinkCount = 0; // leading links in the first link's format
    std::int64_t FLengthBytes = 0;
    bool FEnded = false;
    bool FNoEndMark = false;
    // The part of a frame that did not fit the caller's buffer, for the next call.
    std::vector<std::byte> FCarry;
    std::size_t FCarryBegin = 0;
    std::size_t FCarryEnd = 0;
    // Found on first demand: it reads the whole file.
    mutable int FSeekable = -1; // -1 not yet known, else 0 or 1
};

} // namespace zent
