#include "decode/Decoder.h"

#include "decode/ChainStream.h"
#include "decode/FlacStream.h"
#include "decode/Id3Tags.h"
#include "decode/Mpg123Stream.h"
#include "decode/NativeFile.h"
#include "decode/OggSupport.h"
#include "decode/OpusStream.h"
#include "decode/VorbisStream.h"
#include "framework/Errors.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mpg123.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace zent {

namespace {

constexpr std::string_view kOggMagic = "OggS";
constexpr std::string_view kFlacMagic = "fLaC";
constexpr int kBitsPerByte = 8;

// Where native FLAC begins: "fLaC" at the file's start, or after ID3v2 tags, which taggers
// put before it; -1 when it is none. The position is back at the start after it.
std::int64_t NativeFlacStart(NativeFile& file) {
    constexpr int kMaxTags = 8;
    constexpr std::size_t kTagHeaderBytes = 10;
    std::int64_t at = 0;
    std::int64_t found = -1;
    for (int tag = 0; tag <= kMaxTags && file.Seek(at, SEEK_SET); ++tag) {
        std::array<std::uint8_t, kTagHeaderBytes> head{};
        const std::size_t got = file.Read(head.data(), head.size());
        if (got >= kFlacMagic.size() &&
            std::equal(kFlacMagic.begin(), kFlacMagic.end(), head.begin())) {
            found = at;
            break;
        }
        const std::int64_t bytes = got == head.size() ? Id3v2TagBytes(head) : 0;
        if (bytes == 0)
            break;
        at += bytes;
    }
    return file.Seek(0, SEEK_SET) ? found : -1;
}

// A native FLAC file; libFLAC is given what follows the tags before it (it skips one tag
// itself, but no more).
std::unique_ptr<DecoderStream> OpenNativeFlac(const std::filesystem::path& path,
                                              std::unique_ptr<NativeFile> file, std::int64_t start,
                                              SampleKind kind) {
    if (start > 0) {
        if (!file->Seek(0, SEEK_END))
            return nullptr;
        const std::int64_t size = file->Tell();
        if (!file->Window(start, size))
            return nullptr;
    }
    return FlacStream::Open(std::move(file), path, kind, false, start > 0);
}

// Whether the file is Ogg: it begins with a page, or with junk before one within its first
// 64 KB. MP3 audio before a page makes it an MP3 file with an Ogg file after it.
bool IsOgg(NativeFile& file) {
    if (file.StartsWith(kOggMagic)) {
        return true;
    }
    const std::int64_t page = FirstOggPage(file);
    return page > 0 && !Mpg123Stream::HoldsFramesBefore(file, page);
}

std::unique_ptr<DecoderStream> OpenOggLinks(const std::filesystem::path& path,
                                            std::unique_ptr<NativeFile> file, SampleKind kind) {
    // Only a lossless source has samples of its own beyond 16 bits.
    const SampleKind lossy = kind == SampleKind::Source ? SampleKind::Int16 : kind;
    switch (FirstOggCodec(*file)) {
    case OggCodec::Flac:
        return FlacStream::Open(std::move(file), path, kind, true);
    case OggCodec::Opus:
        return OpusStream::Open(std::move(file), path, lossy);
    default:
        return VorbisStream::Open(std::move(file), path, lossy);
    }
}

// An Ogg file. A chain whose format or codec changes from one link to another is a stream
// per run of links in one format, played in the first one's.
std::unique_ptr<DecoderStream> OpenOgg(const std::filesystem::path& path,
                                       std::unique_ptr<NativeFile> file, SampleKind kind) {
    const bool flac = FirstOggCodec(*file) == OggCodec::Flac;
    std::unique_ptr<DecoderStream> whole = OpenOggLinks(path, std::move(file), kind);
    // FLAC in Ogg is read by libFLAC, one link only.
    if (flac || (whole && static_cast<const OggStream&>(*whole).PlaysEveryLink())) {
        return whole;
    }
    file = NativeFile::Open(path);
    if (!file || !file->Seek(0, SEEK_END)) {
        return whole;
    }
    const std::int64_t size = file->Tell();
    if (!file->Seek(0, SEEK_SET)) {
        return whole;
    }
    std::vector<OggLink> links = OggLinks(*file);
    // Runs: links of one codec, rate and channel count in a row.
    const auto sameFormat = [](const OggLink& a, const OggLink& b) {
        return a.Codec == b.Codec && a.Channels == b.Channels && a.SampleRate == b.SampleRate;
    };
    links.erase(std::unique(links.begin(), links.end(), sameFormat), links.end());
    std::vector<std::unique_ptr<DecoderStream>> runs;
    for (std::size_t i = 0; i < links.size(); ++i) {
        const OggLink& first = links.front();
        const bool asFirst =
            links[i].Channels == first.Channels && links[i].SampleRate == first.SampleRate;
        // The mixer makes mono or stereo only.
        if (!asFirst && first.Channels > 2) {
            break;
        }
        std::unique_ptr<NativeFile> window = NativeFile::Open(path);
        const std::int64_t end = i + 1 < links.size() ? links[i + 1].Offset : size;
        if (!window || !window->Window(links[i].Offset, end)) {
            break;
        }
        std::unique_ptr<DecoderStream> run =
            OpenOggLinks(path, std::move(window), asFirst ? kind : SampleKind::Float32);
        if (!run || run->LengthBytes() <= 0) {
            break;
        }
        runs.push_back(std::move(run));
    }
    if (runs.size() < 2) {
        return runs.empty() ? std::move(whole) : std::move(runs.front());
    }
    return std::make_unique<ChainStream>(std::move(runs), path);
}

} // namespace

std::string ClockTime(double seconds) {
    const auto tenths = static_cast<long long>(seconds * 10.0 + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", tenths / 600, tenths / 10 % 60,
                  tenths % 10);
    return text;
}

CoreText LostDataWarning(std::int64_t atFrame, std::int64_t silenceFrames, int rate) {
    const double perSecond = rate > 0 ? rate : 1;
    return {CoreTextId::LostData,
            {ClockTime(static_cast<double>(atFrame) / perSecond),
             ClockTime(static_cast<double>(silenceFrames) / perSecond)}};
}

double DecoderStream::LengthSeconds() const {
    const std::int64_t bytesPerSecond =
        static_cast<std::int64_t>(SampleRate()) * Channels() * (BitsPerSample() / kBitsPerByte);
    if (bytesPerSecond <= 0) {
        return 0.0;
    }
    return static_cast<double>(LengthBytes()) / static_cast<double>(bytesPerSecond);
}

std::vector<CoreText> DecoderStream::Warnings() const {
    if (EndsWithoutEndMark())
        return {CoreText{CoreTextId::NoEndMark}};
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
    if (const std::int64_t flac = NativeFlacStart(*file); flac >= 0)
        return OpenNativeFlac(path, std::move(file), flac, kind);
    // Only a lossless source has samples of its own beyond 16 bits.
    const SampleKind lossy = kind == SampleKind::Source ? SampleKind::Int16 : kind;
    // By content, not by name: an Ogg file named .mp3 still opens, and MPEG sync search never
    // runs over Ogg pages, where it could find a false frame. Junk before the first page
    // (a broken download, a wrapper) is skipped, as it is before the first MPEG frame.
    if (IsOgg(*file)) {
        return OpenOgg(path, std::move(file), kind);
    }
    return Mpg123Stream::Open(std::move(file), path, lossy);
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
    if (file && IsOgg(*file)) {
        switch (FirstOggCodec(*file)) {
        case OggCodec::Speex:
            return "Ogg Speex is not supported";
        case OggCodec::Vorbis:
        case OggCodec::Opus:
        case OggCodec::Flac:
            return "the Ogg headers are incomplete or damaged: the file may be cut short";
        case OggCodec::Other:
            break;
        }
    }
    if (file && NativeFlacStart(*file) >= 0)
        return "the FLAC headers are incomplete or damaged: the file may be cut short";
    return "not an MP3, Ogg Vorbis, Opus or FLAC file";
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
