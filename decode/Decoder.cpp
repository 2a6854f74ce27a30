#include "decode/Decoder.h"

#include "decode/Mpg123Stream.h"
#include "decode/NativeFile.h"
#include "decode/OggSupport.h"
#include "decode/OpusStream.h"
#include "decode/VorbisStream.h"
#include "framework/Errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mpg123.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

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

std::vector<std::string> DecoderStream::Warnings() const {
    if (EndsWithoutEndMark())
        return {kNoEndMarkWarning};
    return {};
}

void DecoderStream::SeekToFrame(std::int64_t /*frame*/) {
    throw EDecoderError("This stream cannot be positioned exactly at that frame.");
}

std::string StreamStuckMessage(const std::filesystem::path& sourcePath) {
    return CoreText{CoreTextId::DecoderStuck, {sourcePath.string()}}.English();
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
    throw EDecoderError(CoreText{CoreTextId::DecoderStuck, {sourcePath.string()}});
}

void InitDecoders() {
    static std::once_flag once;
    // Needed by older libmpg123 releases, harmless in newer ones; libvorbisfile needs nothing.
    std::call_once(once, [] { mpg123_init(); });
}

std::unique_ptr<DecoderStream> OpenDecoderStream(const std::filesystem::path& path,
                                                 SampleKind kind) {
    InitDecoders();
    std::unique_ptr<NativeFile> file = NativeFile::Open(path);
    if (!file) {
        return nullptr;
    }
    // By content, not by name: an Ogg file named .mp3 still opens, and MPEG sync search never
    // runs over Ogg pages, where it could find a false frame.
    if (file->StartsWith(kOggMagic)) {
        const auto open = [&path, kind](std::unique_ptr<NativeFile> ogg) {
            return FirstOggCodec(*ogg) == OggCodec::Opus
                       ? OpusStream::Open(std::move(ogg), path, kind)
                       : VorbisStream::Open(std::move(ogg), path, kind);
        };
        if (std::unique_ptr<DecoderStream> stream = open(std::move(file))) {
            return stream;
        }
        // The libraries refuse a chain with a link in another codec: the stream is the links
        // before it, as it ends before a link of another format.
        file = NativeFile::Open(path);
        const std::int64_t foreign = file ? ForeignLinkStart(*file) : -1;
        if (foreign <= 0 || !file->EndAt(foreign)) {
            return nullptr;
        }
        return open(std::move(file));
    }
    return Mpg123Stream::Open(std::move(file), path, kind);
}

namespace {

// Why the file at path gives no stream.
std::string RefusalReason(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::strerror(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return "not a regular file";
    }
    const int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (handle < 0) {
        return std::strerror(errno);
    }
    ::close(handle);
    std::unique_ptr<NativeFile> file = NativeFile::Open(path);
    if (file && file->StartsWith(kOggMagic)) {
        switch (FirstOggCodec(*file)) {
        case OggCodec::Flac:
            return "Ogg FLAC is not supported";
        case OggCodec::Speex:
            return "Ogg Speex is not supported";
        case OggCodec::Vorbis:
        case OggCodec::Opus:
            return "the Ogg headers are incomplete or damaged: the file may be cut short";
        case OggCodec::Other:
            break;
        }
    }
    return "not an MP3, Ogg Vorbis or Opus file";
}

} // namespace

std::unique_ptr<DecoderStream> OpenDecoderStreamOrThrow(const std::filesystem::path& path,
                                                        SampleKind kind) {
    std::unique_ptr<DecoderStream> stream = OpenDecoderStream(path, kind);
    if (!stream) {
        throw EDecoderError(RefusalReason(path));
    }
    // Headers and no audio: nothing to convert, whatever the headers promise.
    if (stream->LengthBytes() <= 0) {
        throw EDecoderError(stream->EndsWithoutEndMark()
                                ? "the file holds no audio: it ends within its headers"
                                : "the file holds no audio");
    }
    return stream;
}

} // namespace zent
