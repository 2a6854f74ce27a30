#pragma once

#include "decode/Decoder.h"
#include "decode/NativeFile.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zent {

struct FlacDecoderHandle;
struct FlacStreamState;

// What a FLAC file's STREAMINFO block says.
struct FlacStreamInfo {
    std::int64_t TotalFrames = 0; // 0: not known
    int Rate = 0;
    int Channels = 0;
    int Bits = 0;
    unsigned MaxBlockSize = 0;
    bool HasChecksum = false;
    std::array<std::uint8_t, 16> Checksum{};
};

// FLAC, native or in Ogg, through libFLAC. Every depth from 4 to 32 bits and 1 to 8 channels
// in FLAC's channel order, which is WAV's. Source samples are the ones `flac -d` writes; 16-bit
// samples of a deeper source are rounded to the nearest, as the float path rounds them. A frame
// that fails its checksum, or is lost, keeps its time as silence and is warned of; a file read
// from its start to its end is checked against the checksum of its samples.
class FlacStream final : public DecoderStream {
public:
    // Null when the file holds no decodable FLAC audio. id3Tagged: file is the part after
    // ID3v2 tags at path's start, whose fields fill what the FLAC comments lack.
    static std::unique_ptr<DecoderStream> Open(std::unique_ptr<NativeFile> file,
                                               const std::filesystem::path& path, SampleKind kind,
                                               bool ogg, bool id3Tagged = false);
    ~FlacStream() override;

    int Channels() const override { return FChannels; }
    SampleKind Kind() const override { return FKind; }
    int BitsPerSample() const override { return FContainerBytes * 8; }
    int ValidBits() const override;
    int SourceBits() const override { return FBits; }
    std::uint32_t ChannelMask() const override;
    int SampleRate() const override { return FRate; }
    AudioTags Tags() const override { return FTags; }
    std::int64_t LengthBytes() const override { return FTotalFrames * FrameBytes(); }
    bool IsActive() const override {
        return !FEnded || FSilenceBytes > 0 || FCarryBegin < FCarryEnd;
    }
    std::int64_t CodecFrameFrames() const override { return FMaxBlockSize; }
    std::vector<CoreText> Warnings() const override;
    std::unique_ptr<DataCheck> NewDataCheck() const override;
    bool ChecksWholeReads() const override { return FHasChecksum && FSelfCheck; }
    void LeaveCheckToCaller() override;
    bool CanSeekExactly() const override;
    void SeekToFrame(std::int64_t frame) override;
    ReadResult Read(std::span<std::byte> buffer) override;

    // Called by libFLAC's callbacks.
    void TakeFrame(const std::int32_t* const planes[], std::int64_t first, std::size_t frames,
                   int channels, int bits);
    void TakeStreamInfo(const FlacStreamInfo& info);
    void TakeComments(std::vector<std::string> comments);
    void NoteDamage();

private:
    FlacStream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path, SampleKind kind,
               bool ogg);
    bool Start(bool id3Tagged);
    // libFLAC on the file from its start, up to its first frame.
    bool Init();
    // Back at the start with the metadata read, as just opened.
    bool Restart();
    std::int64_t CountFrames();
    std::int64_t FrameBytes() const { return std::int64_t{FChannels} * FContainerBytes; }
    // frames of planes from index from into target, in the stream's kind.
    void Pack(const std::int32_t* const planes[], std::size_t from, std::size_t frames,
              std::byte* target) const;
    void PutSilence(std::int64_t frames);
    void Put(const std::int32_t* const planes[], std::size_t from, std::size_t frames);
    void Finish();

    std::unique_ptr<NativeFile> FFile; // read by the decoder: goes after it
    std::unique_ptr<FlacDecoderHandle> FDecoder;
    std::unique_ptr<FlacStreamState> FState; // what the callbacks reach
    std::filesystem::path FPath;
    std::string FPathText;
    SampleKind FKind;
    bool FOgg;
    bool FSelfCheck = true; // libFLAC checks the samples it decodes from the start
    int FChannels = 0;
    int FRate = 0;
    int FBits = 0;
    int FContainerBytes = 2;
    int FShift = 0;
    std::int64_t FTotalFrames = 0;
    std::int64_t FMaxBlockSize = 0;
    bool FHasChecksum = false;
    AudioTags FTags;
    std::uint32_t FTaggedMask = 0; // the speaker mask the file's comments name

    std::int64_t FNextFrame = 0; // the source frame the next decoded sample belongs to
    bool FFromStart = true;      // no seek yet: the checksum can be checked
    bool FEnded = false;
    bool FCounting = false;
    bool FSeeking = false; // a seek's search meets damage that is none
    std::int64_t FCounted = 0;
    mutable int FSeekable = -1; // -1: not tried yet

    int FDamagedFrames = 0;
    std::int64_t FFirstDamage = -1; // source frame
    bool FPendingDamage = false;
    bool FChecksumBad = false;

    // Where the frames being decoded go: the caller's buffer while a Read runs, then the carry.
    // The silence of a lost stretch is only counted, and given out ahead of the carry: a
    // damaged file can claim any length.
    std::byte* FTarget = nullptr;
    std::size_t FTargetRoom = 0;
    std::size_t FTargetUsed = 0;
    std::int64_t FSilenceBytes = 0;
    std::vector<std::byte> FCarry;
    std::size_t FCarryBegin = 0;
    std::size_t FCarryEnd = 0;
};

} // namespace zent
