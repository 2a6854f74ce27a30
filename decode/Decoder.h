#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

namespace zent {

// What a person is told about a file that cannot be opened for decoding, whether it is being
// added to the list or converted.
inline constexpr const char* kSampleNotLoaded = "Sample not loaded.";

// A decode-only stream over one MP3 or Ogg Vorbis file. It delivers interleaved signed
// 16-bit little-endian PCM at the file's own rate and channel count.
class DecoderStream {
public:
    virtual ~DecoderStream() = default;
    DecoderStream() = default;
    DecoderStream(const DecoderStream&) = delete;
    DecoderStream& operator=(const DecoderStream&) = delete;

    virtual int Channels() const = 0;
    virtual int BitsPerSample() const { return 16; }
    virtual int SampleRate() const = 0;

    // Total decoded length, exact (gapless for MP3).
    virtual std::int64_t LengthBytes() const = 0;
    double LengthSeconds() const;

    // True while decoded data remains to be delivered.
    virtual bool IsActive() const = 0;

    // Sample frames in one codec frame: how far short of LengthBytes an intact stream may end.
    virtual std::int64_t CodecFrameFrames() const = 0;

    // Exact positioning, for converting one file in slices. True only when decoding after
    // SeekToFrame gives the very samples that decoding from the start gives there.
    virtual bool CanSeekExactly() const { return false; }
    // The next Read starts at this sample frame. Throws EDecoderError.
    virtual void SeekToFrame(std::int64_t frame);

    // Fills the buffer as far as data allows and returns the byte count; 0 only at the end.
    // A partial frame at the end of the buffer is completed by the next call.
    // Throws EDecoderError on a fatal decoder error; never returns error values as data.
    virtual std::size_t Read(std::span<std::byte> buffer) = 0;
};

// One-time library set-up; safe to call more than once.
void InitDecoders();

// Opens a stream by the file's content (MP3 or Ogg Vorbis). Returns null when the file
// cannot be opened or decoded: missing, a directory, empty, or not audio.
std::unique_ptr<DecoderStream> OpenDecoderStream(const std::filesystem::path& path);

} // namespace zent
