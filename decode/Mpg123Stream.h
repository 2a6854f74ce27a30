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
                                               const std::filesystem::path& path);

    int Channels() const override { return FChannels; }
    int SampleRate() const override { return FSampleRate; }
    std::int64_t LengthBytes() const override { return FLengthBytes; }
    std::int64_t CodecFrameFrames() const override { return FFrameFrames; }
    bool IsActive() const override { return !FEnded; }
    std::size_t Read(std::span<std::byte> buffer) override;

private:
    struct HandleDeleter {
        void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
    };

    Mpg123Stream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path);
    bool Start();

    // The handle reads through the file, so it goes first.
    std::unique_ptr<NativeFile> FFile;
    std::unique_ptr<mpg123_handle, HandleDeleter> FHandle;
    std::string FPathText;
    int FChannels = 0;
    int FSampleRate = 0;
    std::int64_t FLengthBytes = 0;
    std::int64_t FFrameFrames = 0;
    bool FEnded = false;
};

} // namespace zent
