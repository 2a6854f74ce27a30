#pragma once

#include "decode/AudioTags.h"
#include "framework/CoreText.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zent {

// What a person is told about a file that cannot be opened for decoding, whether it is being
// added to the list or converted.
inline constexpr const char* kSampleNotLoaded = "Sample not loaded.";

// What one Read brought: data, the end of the stream, or nothing although the stream has not
// ended. A stream that keeps answering Nothing is stuck.
enum class ReadStatus { Data, End, Nothing };

struct ReadResult {
    std::size_t Bytes = 0; // more than 0 exactly when Status is Data
    ReadStatus Status = ReadStatus::End;

    // The result of a read that brought bytes while the stream was, or was not, at its end.
    static ReadResult Of(std::size_t bytes, bool ended) {
        return {bytes, bytes > 0 ? ReadStatus::Data
                       : ended   ? ReadStatus::End
                                 : ReadStatus::Nothing};
    }
};

// A time in the file as minutes and seconds, as a person reads it: "1:02.5".
std::string ClockTime(double seconds);
// The warning for a stretch of a file that could not be decoded and became silence, so that
// what follows keeps its time: where it is and how long, in sample frames at rate.
CoreText LostDataWarning(std::int64_t atFrame, std::int64_t silenceFrames, int rate);

// What a stream's samples are, chosen when it is opened. Float32 is the decoder's own precision:
// little-endian IEEE floats, full scale -1..1 (peaks may go beyond), never rounded to 16 bits
// on the way. Source is the samples of a lossless source as they are, in the smallest WAV
// container that holds them (unsigned for 8 bits, a depth between byte sizes in the high bits:
// see ValidBits); a lossy source gives Int16 for it.
enum class SampleKind { Int16, Float32, Source };

// Checks a stream's data against what its file claims (a checksum of the decoded samples),
// for data that was decoded in pieces and is read back in order. One thread at a time.
class DataCheck {
public:
    virtual ~DataCheck() = default;
    // The next data bytes, as Read delivered them.
    virtual void Add(std::span<const std::byte> data) = 0;
    // After the last data: a warning in the style of DecoderStream::Warnings, or nothing when
    // the data matches.
    virtual std::optional<CoreText> Finish() = 0;
};

// A decode-only stream over one MP3, Ogg Vorbis, Ogg Opus, FLAC or Ogg FLAC file. It delivers
// interleaved little-endian samples of its kind (signed 16-bit unless asked otherwise) at the
// file's own rate and channel count. Both kinds give the same frames: same length, order and
// positions.
class DecoderStream {
public:
    virtual ~DecoderStream() = default;
    DecoderStream() = default;
    DecoderStream(const DecoderStream&) = delete;
    DecoderStream& operator=(const DecoderStream&) = delete;

    virtual int Channels() const = 0;
    virtual SampleKind Kind() const { return SampleKind::Int16; }
    virtual int BitsPerSample() const { return Kind() == SampleKind::Float32 ? 32 : 16; }
    // The bits of a sample that carry the signal, the high ones of BitsPerSample.
    virtual int ValidBits() const { return BitsPerSample(); }
    // The depth of a lossless source's own samples, whatever kind it delivers; 0 when lossy.
    virtual int SourceBits() const { return 0; }
    // The WAV speaker mask of the channels as the source names them; 0 for the usual one of
    // the channel count.
    virtual std::uint32_t ChannelMask() const { return 0; }
    virtual int SampleRate() const = 0;

    // The source's title, artist and the rest, as far as it has them; empty tags otherwise.
    virtual AudioTags Tags() const { return {}; }

    // Total decoded length in bytes of the stream's kind, exact (gapless for MP3).
    virtual std::int64_t LengthBytes() const = 0;
    double LengthSeconds() const;

    // True while decoded data remains to be delivered.
    virtual bool IsActive() const = 0;

    // Sample frames in one codec frame: how far short of LengthBytes an intact stream may end.
    virtual std::int64_t CodecFrameFrames() const = 0;

    // The file's last page lacks the end-of-stream mark that an Ogg file ends with: it was
    // cut short, or is the capture of a live stream. It decodes as far as it goes.
    virtual bool EndsWithoutEndMark() const { return false; }

    // What a person should be told about a stream that decodes, but not wholly as the file
    // claims (cut short, a gap filled with silence, a checksum that does not match), in the
    // order found. Complete once the stream has been read to its end; some are known as soon
    // as it opens.
    virtual std::vector<CoreText> Warnings() const;

    // For float samples that will be written as integers: a decoder whose own integer output
    // bends peaks beyond full scale softly back below it (Opus) does the same to its floats.
    // Call before the first Read or SeekToFrame.
    virtual void ClipSoftly() {}

    // For a file converted in slices: a check of the whole file's data, fed with the bytes
    // of every slice in order. Null when the stream has nothing to check the data against.
    virtual std::unique_ptr<DataCheck> NewDataCheck() const { return nullptr; }
    // Whether a read from the start to the end checks the data against the file, with a
    // warning from Warnings when it does not match.
    virtual bool ChecksWholeReads() const { return false; }
    // For a stream whose data the caller checks with NewDataCheck: the stream spares its own
    // check. Call before the first Read or SeekToFrame.
    virtual void LeaveCheckToCaller() {}

    // Exact positioning, for converting one file in slices. True only when decoding after
    // SeekToFrame gives the very samples that decoding from the start gives there.
    virtual bool CanSeekExactly() const { return false; }
    // The next Read starts at this sample frame. Throws EDecoderError.
    virtual void SeekToFrame(std::int64_t frame);

    // Fills the buffer as far as data allows. A partial frame at the end of the buffer is
    // completed by the next call. Throws EDecoderError on a fatal decoder error; never
    // returns error values as data.
    virtual ReadResult Read(std::span<std::byte> buffer) = 0;
};

// Read requests in a row that may bring nothing before a stream counts as stuck.
inline constexpr int kMaxEmptyReads = 64;

std::string StreamStuckMessage(const std::filesystem::path& sourcePath);

// The next data of the stream into buffer, asking again while it brings nothing; 0 at its
// end. Throws EDecoderError with StreamStuckMessage when it stays without data.
std::size_t ReadGuarded(DecoderStream& stream, std::span<std::byte> buffer,
                        const std::filesystem::path& sourcePath);

// One-time library set-up; safe to call more than once.
void InitDecoders();

// Opens a stream by the file's content (MP3, Ogg Vorbis, Ogg Opus, FLAC or Ogg FLAC). Returns null
// when the file cannot be opened or decoded: missing, a directory, empty, or not audio.
std::unique_ptr<DecoderStream> OpenDecoderStream(const std::filesystem::path& path,
                                                 SampleKind kind = SampleKind::Int16);

// As OpenDecoderStream, but a file that cannot be converted throws EDecoderError with the
// reason a person can act on: the system's reason, not a regular file, not audio of a kind
// that is read, an Ogg codec that is not supported, no audio in it.
std::unique_ptr<DecoderStream> OpenDecoderStreamOrThrow(const std::filesystem::path& path,
                                                        SampleKind kind = SampleKind::Int16);

// Bytes of one sample of the kind (for Source, of a lossy source).
constexpr int SampleBytes(SampleKind kind) {
    return kind == SampleKind::Float32 ? 4 : 2;
}

} // namespace zent
