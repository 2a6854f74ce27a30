#pragma once

#include "decode/Decoder.h"

#include <atomic>
#include <memory>

namespace zent::cli {

// A source that asks for a stop once it has handed out its first data: the batch stops in
// the middle of a file, as a Ctrl+C would.
class StopAfterFirstRead final : public DecoderStream {
public:
    StopAfterFirstRead(std::unique_ptr<DecoderStream> stream, std::atomic<bool>& stop)
        : F(std::move(stream)), FStop(stop) {}

    int Channels() const override { return F->Channels(); }
    SampleKind Kind() const override { return F->Kind(); }
    int BitsPerSample() const override { return F->BitsPerSample(); }
    int SampleRate() const override { return F->SampleRate(); }
    AudioTags Tags() const override { return F->Tags(); }
    std::int64_t LengthBytes() const override { return F->LengthBytes(); }
    bool IsActive() const override { return F->IsActive(); }
    std::int64_t CodecFrameFrames() const override { return F->CodecFrameFrames(); }
    std::vector<CoreText> Warnings() const override { return F->Warnings(); }
    bool CanSeekExactly() const override { return F->CanSeekExactly(); }
    void SeekToFrame(std::int64_t frame) override { F->SeekToFrame(frame); }
    ReadResult Read(std::span<std::byte> buffer) override {
        const ReadResult result = F->Read(buffer);
        if (result.Bytes > 0)
            FStop = true;
        return result;
    }

private:
    std::unique_ptr<DecoderStream> F;
    std::atomic<bool>& FStop;
};

} // namespace zent::cli
