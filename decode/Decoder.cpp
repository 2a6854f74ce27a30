#include "decode/Decoder.h"

#include "decode/Mpg123Stream.h"
#include "decode/NativeFile.h"
#include "decode/VorbisStream.h"
#include "framework/Errors.h"

#include <mpg123.h>
#include <mutex>

namespace zent {

namespace {

constexpr std::string_view kOggMagic = "OggS";
constexpr int kBitsPerByte = 8;

} // namespace

double DecoderStream::LengthSeconds() const {
    const std::int64_t bytesPerSecond =
        static_cast<std::int64_t>(SampleRate()) * Channels() * (BitsPerSample() / kBitsPerByte);
    if (bytesPerSecond <= 0) {
        return 0.0;
    }
    return static_cast<double>(LengthBytes()) / static_cast<double>(bytesPerSecond);
}

void DecoderStream::SeekToFrame(std::int64_t /*frame*/) {
    throw EDecoderError("This stream cannot be positioned exactly at that frame.");
}

std::string StreamStuckMessage(const std::filesystem::path& sourcePath) {
    return "Cannot decode \"" + sourcePath.string() + "\": the decoder stopped delivering data.";
}

std::size_t ReadGuarded(DecoderStream& stream, std::span<std::byte> buffer,
                        const std::filesystem::path& sourcePath) {
    // An intact stream gives at most one empty read before it ends.
    for (int empty = 0; empty < kMaxEmptyReads; ++empty) {
        const ReadResult result = stream.Read(buffer);
        if (result.Status != ReadStatus::Nothing) {
            return result.Bytes;
        }
    }
    throw EDecoderError(StreamStuckMessage(sourcePath));
}

void InitDecoders() {
    static std::once_flag once;
    // Needed by older libmpg123 releases, harmless in newer ones; libvorbisfile needs nothing.
    std::call_once(once, [] { mpg123_init(); });
}

std::unique_ptr<DecoderStream> OpenDecoderStream(const std::filesystem::path& path) {
    InitDecoders();
    std::unique_ptr<NativeFile> file = NativeFile::Open(path);
    if (!file) {
        return nullptr;
    }
    // By content, not by name: an Ogg file named .mp3 still opens, and MPEG sync search never
    // runs over Ogg pages, where it could find a false frame.
    if (file->StartsWith(kOggMagic)) {
        return VorbisStream::Open(std::move(file), path);
    }
    return Mpg123Stream::Open(std::move(file), path);
}

} // namespace zent
