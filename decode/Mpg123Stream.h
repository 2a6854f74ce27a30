#pragma once

#include "decode/Decoder.h"
#include "decode/NativeFile.h"

#include <memory>
#include <mpg123.h>
#include <string>

namespace zent {

// MPEG audio through libmpg123: gapless, exact length, one output format for the whole file.
class Mpg123Stream final : public DecoderStream {
public:
    // Null when the file holds no decodable MPEG audio.
    static std::unique_ptr<DecoderStream> Open(std::unique_ptr<NativeFile> file,
                                               const std::filesystem::path& path, SampleKind kind);

    SampleKind Kind() const override { return FKind; }
    AudioTags Tags() const override;
    int Channels() const override { return FChannels; }
    int SampleRate() const override { return FSampleRate; }
    std::int64_t LengthBytes() const override { return FLengthBytes; }
    std::int64_t CodecFrameFrames() const override { return FFrameFrames; }
    bool IsActive() const override { return !FEnded; }
    bool CanSeekExactly() const override;
    void SeekToFrame(std::int64_t frame) override;
    ReadResult Read(std::span<std::byte> buffer) override;

private:
    struct HandleDeleter {
        void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
    };

    Mpg123Stream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path,
                 SampleKind kind);
    // The decoder on the file from its start, with the output format fixed to the first
    // frame's.
    bool OpenHandle();
    bool Start();
    // The decoder again as Start left it, on a new handle.
    bool Restart();
    // Reads every frame header once: a full frame index, and the true length of joined files.
    bool Scan();
    // What the frame headers at the index's offsets tell.
    struct FrameRun {
        // Some frame differs in MPEG version, layer, rate or channel mode from the first.
        bool FormatChanges = true;
        // Each frame begins where the one before ends (known for MPEG-1 layer III only).
        bool FollowOn = false;
    };
    FrameRun InspectFrames();
    // The byte count by decoding the whole stream, then back to the start.
    bool CountByDecoding();
    std::int64_t FrameBytes() const { return std::int64_t{FChannels} * SampleBytes(FKind); }

    // The handle reads through the file, so it goes first.
    std::unique_ptr<NativeFile> FFile;
    std::unique_ptr<mpg123_handle, HandleDeleter> FHandle;
    std::filesystem::path FPath;
    std::string FPathText;
    SampleKind FKind;
    int FChannels = 0;
    int FSampleRate = 0;
    std::int64_t FLengthBytes = 0;
    std::int64_t FFrameFrames = 0;
    long FEncoderDelay = -1;     // from the Info header, -1 without one
    std::int64_t FDelivered = 0; // bytes handed out since the start or the last seek
    bool FEnded = false;
    // Exact positioning needs every frame in the index; a scan brings it, on first demand
    // for files that open without one.
    mutable bool FScanned = false;
    mutable bool FExactSeeking = false;
    bool FFormatChanges = false; // known once scanned
    // Nothing decoded or sought since the handle was opened (and scanned, where it was).
    bool FPristine = true;
};

} // namespace zent
