#pragma once

#include "decode/Decoder.h"
#include "decode/NativeFile.h"

#include <array>
#include <memory>
#include <mpg123.h>
#include <optional>
#include <string>
#include <vector>

namespace zent {

// MPEG audio through libmpg123: gapless, exact length, one output format for the whole file.
// Bytes after the audio (a junk tail, a stray tag) are cut off before the decoder sees them,
// so that they never decode to noise. Frames lost to damage inside the file keep their time:
// silence of their length stands at the gap, with a warning.
class Mpg123Stream final : public DecoderStream {
public:
    // Null when the file holds no decodable MPEG audio.
    static std::unique_ptr<DecoderStream> Open(std::unique_ptr<NativeFile> file,
                                               const std::filesystem::path& path, SampleKind kind);
    ~Mpg123Stream() override;
    // Whether the file holds a run of MPEG frames long enough to be audio before end.
    static bool HoldsFramesBefore(NativeFile& file, std::int64_t end);

    SampleKind Kind() const override { return FKind; }
    AudioTags Tags() const override;
    int Channels() const override { return FChannels; }
    int SampleRate() const override { return FSampleRate; }
    std::int64_t LengthBytes() const override { return FLengthBytes; }
    std::int64_t CodecFrameFrames() const override { return FFrameFrames; }
    bool IsActive() const override {
        return !FEnded || FSilenceBytes > 0 || FGapBytes > 0 || FPendingBytes > 0;
    }
    std::vector<CoreText> Warnings() const override { return FWarnings; }
    bool CanSeekExactly() const override;
    void SeekToFrame(std::int64_t frame) override;
    ReadResult Read(std::span<std::byte> buffer) override;

private:
    struct HandleDeleter {
        void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
    };
    // libmpg123 on a reading of the file of its own; the handle reads through the file, so
    // it goes first.
    struct Decoder {
        std::unique_ptr<NativeFile> File;
        std::unique_ptr<mpg123_handle, HandleDeleter> Handle;
    };
    // What a scan of every frame header tells about exact positioning. The scan runs once,
    // on a decoder of its own, so that asking never changes what Read delivers.
    enum class Positioning { NotScanned, Exact, Refused };
    struct SeekIndex {
        Positioning Answer = Positioning::NotScanned;
    };

    Mpg123Stream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path,
                 SampleKind kind);
    bool Start();
    // A decoder on the file from its start, its output fixed to the first frame's format;
    // nothing when it cannot be opened. Takes a file, or opens the path anew.
    std::optional<Decoder> OpenDecoder(std::unique_ptr<NativeFile> file) const;
    // A decoder that has read every frame header: a full frame index, and the true length of
    // joined files.
    std::optional<Decoder> ScannedDecoder() const;
    // Whether a scanned decoder's frames allow exact positions.
    static Positioning JudgeScan(const Decoder& scanned);
    // The byte count by decoding the whole stream as Read delivers it.
    bool CountByDecoding();
    // Back to the state of a stream that has delivered nothing.
    void ResetReading();
    // Decodes the next frame into FPending, or ends the stream.
    void DecodeNextFrame();
    // For a frame that does not begin where the one before ended: whether it is audio, and
    // if so, the silence that takes the place of the frames lost before it.
    bool PlaceAfterGap(std::int64_t at, std::int64_t end, const mpg123_frameinfo& info);
    // Silence of this many codec frames before the pending frame.
    void FillGap(std::int64_t frames);
    // For a file whose header announces its frames: each gap and the frames lost there,
    // the lost frames in all shared out among the gaps.
    struct PlannedGap {
        std::int64_t At = 0; // where the frame after the gap begins
        std::int64_t Bytes = 0;
        std::int64_t Frames = 0;
    };
    // Nothing when the frames cannot be told.
    std::optional<std::vector<PlannedGap>> PlanGaps() const;
    // The warning for silence of this many bytes where the stream has got to.
    CoreText SilenceWarning(std::int64_t silenceBytes) const;
    std::int64_t FrameBytes() const { return std::int64_t{FChannels} * SampleBytes(FKind); }

    std::optional<Decoder> FDecoder;
    std::filesystem::path FPath;
    std::string FPathText;
    SampleKind FKind;
    std::int64_t FAudioEnd = -1;  // where the audio ends in the file; -1 at its end
    std::int64_t FAudioStart = 0; // after the ID3v2 tags at the start
    int FChannels = 0;
    int FSampleRate = 0;
    std::int64_t FLengthBytes = 0;
    std::int64_t FFrameFrames = 0;
    std::int64_t FDelivered = 0; // bytes handed out since the start or the last seek
    bool FEnded = false;
    bool FCounting = false;         // decoding only to count the bytes
    bool FWholeByInfo = false;      // the Info header counts every byte of the file
    bool FLengthAnnounced = false;  // the length is the LAME/Info header's, frames unread
    std::int64_t FSilenceBytes = 0; // owed at the end for lost frames no gap accounted for
    // Frames in the file: where the last audio frame ended (-1 before the first), the sizes of
    // the latest audio frames, their count so far, and the last one's header facts.
    std::int64_t FFrameEnd = -1;
    std::array<std::int64_t, 16> FRecentFrameBytes{};
    std::int64_t FFramesSeen = 0;
    std::int64_t FDecodedFrames = 0; // audio or not
    std::int64_t FLeadTrimBytes = 0; // cut from a dropped first frame, owed by the gap after it
    bool FSteadyBitrate = true;
    mpg123_frameinfo FLastFrame{};
    bool FGapsFilled = false;                // silence stands in for lost frames somewhere
    std::int64_t FGapBytes = 0;              // silence owed before the pending frame
    const unsigned char* FPending = nullptr; // decoded, not yet delivered (libmpg123's buffer)
    std::size_t FPendingBytes = 0;
    std::optional<std::vector<PlannedGap>> FGapPlan; // made at the first gap
    bool FGapsPlanned = false;
    std::vector<CoreText> FWarnings;
    std::unique_ptr<SeekIndex> FSeek = std::make_unique<SeekIndex>();
};

} // namespace zent
