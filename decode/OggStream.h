#pragma once

#include "decode/Decoder.h"
#include "decode/NativeFile.h"

#include <memory>
#include <string>
#include <vector>

namespace zent {

// What the Ogg streams share: a file read through by the library, whole frames decoded
// straight into the caller's buffer, and the part of a frame that did not fit kept for the
// next read.
class OggStream : public DecoderStream {
public:
    SampleKind Kind() const override { return FKind; }
    int Channels() const override { return FChannels; }
    std::int64_t LengthBytes() const override { return FLengthBytes; }
    bool IsActive() const override {
        return !FEnded || FCarryBegin < FCarryEnd || FSilenceBytes > 0;
    }
    bool EndsWithoutEndMark() const override { return FNoEndMark; }
    std::vector<CoreText> Warnings() const override;
    ReadResult Read(std::span<std::byte> buffer) final;
    // False when the stream ends before a link of another format.
    bool PlaysEveryLink() const { return FEveryLink; }

protected:
    OggStream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path, SampleKind kind);

    // Notes whether the file lacks its end mark and goes back to its start; false when the
    // file cannot be read.
    bool Rewind();
    // Once the channel count is known.
    void PrepareCarry();
    // Drops what is left of a frame, after a seek to frame.
    void ClearCarry(std::int64_t frame = 0);
    std::size_t FrameBytes() const {
        return static_cast<std::size_t>(FChannels) * static_cast<std::size_t>(SampleBytes(FKind));
    }
    // Whole frames into target (at least one frame long); 0 at the end of the data. Calls
    // NoteHole when pages were lost or damaged before the frames it gives.
    virtual std::size_t Decode(std::byte* target, std::size_t size) = 0;
    // The frame that follows those decoded so far, by the granule positions; -1 when unknown.
    virtual std::int64_t GranulePosition() const = 0;
    void NoteHole() { FHole = true; }
    void AddWarning(CoreText warning) { FWarnings.push_back(std::move(warning)); }

    // The library reads through the file: a derived stream's handle goes before it.
    std::unique_ptr<NativeFile> FFile;
    std::string FPathText;
    SampleKind FKind;
    int FChannels = 0;
    std::int64_t FLengthBytes = 0;
    bool FEnded = false;
    bool FEveryLink = true;

private:
    std::size_t TakeCarry(std::span<std::byte> buffer);
    // Decodes into target; after a hole, the frames go to the carry behind the silence that
    // the granule positions call for, and nothing goes to target.
    std::size_t DecodePlaced(std::byte* target, std::size_t size);
    // Frames decoded after a hole are held back until a granule position tells where they
    // belong; returns the frames of silence that go before them.
    std::int64_t PlaceAfterHole(std::vector<std::byte>& held);

    bool FNoEndMark = false;
    bool FHole = false;
    std::int64_t FFrame = 0; // frames given so far, silence included
    std::int64_t FSilenceBytes = 0;
    std::vector<CoreText> FWarnings;
    std::vector<std::byte> FCarry;
    std::size_t FCarryBegin = 0;
    std::size_t FCarryEnd = 0;
};

} // namespace zent
