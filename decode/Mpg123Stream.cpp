#include "decode/Mpg123Stream.h"

#include "decode/Id3Tags.h"
#include "framework/Errors.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zent {

namespace {

constexpr long kMinSampleRate = 8000;
constexpr long kMaxSampleRate = 48000;
// A full frame index, grown in steps of this many frames.
constexpr long kIndexGrowth = 4096;
// Frames decoded ahead of a seek position: more than the bit reservoir reaches back (511 bytes
// over frames of 96 bytes at the lowest MPEG-1 bit rate), plus the overlap.
constexpr long kSeekPreroll = 32;
constexpr std::size_t kCountBufferBytes = 64 * 1024;

mpg123_ssize_t ReadFromFile(void* handle, void* buffer, size_t size) {
    auto* file = static_cast<NativeFile*>(handle);
    const std::size_t got = file->Read(buffer, size);
    if (got == 0 && file->HasError()) {
        return -1;
    }
    return static_cast<mpg123_ssize_t>(got);
}

off_t SeekInFile(void* handle, off_t offset, int whence) {
    auto* file = static_cast<NativeFile*>(handle);
    if (!file->Seek(offset, whence)) {
        return -1;
    }
    return static_cast<off_t>(file->Tell());
}

int Mpg123Encoding(SampleKind kind) {
    return kind == SampleKind::Float32 ? MPG123_ENC_FLOAT_32 : MPG123_ENC_SIGNED_16;
}

// Allows output in the encoding at every rate, mono or stereo, until the first frame tells
// which.
bool AllowAnyRate(mpg123_handle* handle, int encoding) {
    if (mpg123_format_none(handle) != MPG123_OK) {
        return false;
    }
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i) {
        if (mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, encoding) != MPG123_OK) {
            return false;
        }
    }
    return true;
}

std::uint32_t BigEndian32(const unsigned char* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) |
           (std::uint32_t{at[2]} << 8) | std::uint32_t{at[3]};
}

std::uint32_t LittleEndian32(const unsigned char* at) {
    return std::uint32_t{at[0]} | (std::uint32_t{at[1]} << 8) | (std::uint32_t{at[2]} << 16) |
           (std::uint32_t{at[3]} << 24);
}

bool ReadAt(NativeFile& file, std::int64_t offset, unsigned char* buffer, std::size_t size) {
    return offset >= 0 && file.Seek(offset, SEEK_SET) && file.Read(buffer, size) == size;
}

// Where the MPEG data ends by the byte count of a LAME/Xing header in the first frame; -1
// when there is no such count.
std::int64_t EndByInfoHeader(NativeFile& file) {
    constexpr std::size_t kId3HeaderBytes = 10;
    constexpr unsigned char kId3FooterFlag = 0x10;
    std::int64_t at = 0;
    std::array<unsigned char, kId3HeaderBytes> id3{};
    while (ReadAt(file, at, id3.data(), id3.size()) && std::memcmp(id3.data(), "ID3", 3) == 0) {
        const std::int64_t size = (std::int64_t{id3[6] & 0x7f} << 21) |
                                  (std::int64_t{id3[7] & 0x7f} << 14) |
                                  (std::int64_t{id3[8] & 0x7f} << 7) | std::int64_t{id3[9] & 0x7f};
        at += static_cast<std::int64_t>(kId3HeaderBytes) + size +
              ((id3[5] & kId3FooterFlag) != 0 ? static_cast<std::int64_t>(kId3HeaderBytes) : 0);
    }
    // Header, side information (at most 32 bytes), tag name, flags, frame and byte counts.
    std::array<unsigned char, 4 + 32 + 16> frame{};
    if (!ReadAt(file, at, frame.data(), frame.size())) {
        return -1;
    }
    const std::uint32_t header = BigEndian32(frame.data());
    const bool mpeg1 = ((header >> 19) & 3) == 3;
    const bool mono = ((header >> 6) & 3) == 3;
    const bool layer3 = ((header >> 17) & 3) == 1;
    if ((header & 0xffe00000) != 0xffe00000 || !layer3) {
        return -1;
    }
    const std::size_t tagAt = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    const unsigned char* tag = frame.data() + tagAt;
    if (std::memcmp(tag, "Info", 4) != 0 && std::memcmp(tag, "Xing", 4) != 0) {
        return -1;
    }
    const std::uint32_t flags = BigEndian32(tag + 4);
    constexpr std::uint32_t kFramesFlag = 1;
    constexpr std::uint32_t kBytesFlag = 2;
    if ((flags & kBytesFlag) == 0) {
        return -1;
    }
    return at + BigEndian32(tag + ((flags & kFramesFlag) != 0 ? 12 : 8));
}

// Where the file's MPEG data ends: before an ID3v1 tag and an APEv2 tag, if there are any.
std::int64_t EndBeforeTags(NativeFile& file) {
    constexpr std::int64_t kId3v1Bytes = 128;
    constexpr std::int64_t kApeFooterBytes = 32;
    constexpr std::uint32_t kApeHeaderFlag = 0x80000000u;
    // The end of the file in one read: an APE footer, then perhaps an ID3v1 tag.
    std::array<unsigned char, kApeFooterBytes + kId3v1Bytes> tail{};
    if (!file.Seek(-static_cast<std::int64_t>(tail.size()), SEEK_END) && !file.Seek(0, SEEK_SET)) {
        return -1;
    }
    const std::int64_t tailAt = file.Tell();
    const std::size_t got = file.Read(tail.data(), tail.size());
    std::int64_t end = tailAt + static_cast<std::int64_t>(got);
    std::size_t footerAt = got;
    if (got >= kId3v1Bytes && std::memcmp(tail.data() + got - kId3v1Bytes, "TAG", 3) == 0) {
        end -= kId3v1Bytes;
        footerAt -= kId3v1Bytes;
    }
    if (footerAt >= kApeFooterBytes) {
        const unsigned char* footer = tail.data() + footerAt - kApeFooterBytes;
        if (std::memcmp(footer, "APETAGEX", 8) == 0) {
            end -= LittleEndian32(footer + 12) +
                   ((LittleEndian32(footer + 20) & kApeHeaderFlag) != 0 ? kApeFooterBytes : 0);
        }
    }
    return end;
}

// Whether the file holds no more than its Info header accounts for. Joined files hold more
// and need their frames counted. A cut file keeps the length its header announces, so that
// a conversion can tell that it ended early instead of passing a short file off as whole.
bool InfoHeaderCoversTheFile(NativeFile& file) {
    const std::int64_t infoEnd = EndByInfoHeader(file);
    const bool covered = infoEnd > 0 && infoEnd >= EndBeforeTags(file);
    return file.Seek(0, SEEK_SET) && covered;
}

// MPEG version, layer, sampling rate and mono or not: what fixes the decoded format.
std::uint32_t FormatKey(std::uint32_t header) {
    constexpr std::uint32_t kVersionLayerRate = 0x001e0c00;
    constexpr std::uint32_t kMonoMode = 0xc0;
    return (header & kVersionLayerRate) | ((header & kMonoMode) == kMonoMode ? 1 : 0);
}

// The length of an MPEG-1 layer III frame by its header; 0 for any other frame, and for
// free-format or invalid bit rates.
std::int64_t Mpeg1Layer3FrameBytes(std::uint32_t header) {
    constexpr std::array<std::int64_t, 16> kKilobits = {0,   32,  40,  48,  56,  64,  80,  96,
                                                        112, 128, 160, 192, 224, 256, 320, 0};
    constexpr std::array<std::int64_t, 4> kRates = {44100, 48000, 32000, 0};
    const bool mpeg1Layer3 = ((header >> 19) & 3) == 3 && ((header >> 17) & 3) == 1;
    const std::int64_t kilobits = kKilobits[(header >> 12) & 15];
    const std::int64_t rate = kRates[(header >> 10) & 3];
    if (!mpeg1Layer3 || kilobits == 0 || rate == 0) {
        return 0;
    }
    return 144000 * kilobits / rate + ((header >> 9) & 1);
}

} // namespace

Mpg123Stream::Mpg123Stream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path,
                           SampleKind kind)
    : FFile(std::move(file)), FPath(path), FPathText(path.string()), FKind(kind) {}

std::unique_ptr<DecoderStream> Mpg123Stream::Open(std::unique_ptr<NativeFile> file,
                                                  const std::filesystem::path& path,
                                                  SampleKind kind) {
    std::unique_ptr<Mpg123Stream> stream(new Mpg123Stream(std::move(file), path, kind));
    if (!stream->Start()) {
        return nullptr;
    }
    return stream;
}

bool Mpg123Stream::OpenHandle() {
    int error = MPG123_OK;
    FHandle.reset(mpg123_new(nullptr, &error));
    mpg123_handle* handle = FHandle.get();
    if (handle == nullptr || !FFile->Seek(0, SEEK_SET)) {
        return false;
    }
    // A call of its own: a library built without gapless support refuses it, and then the
    // file still decodes, only with the encoder's delay and padding.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS, 0);
    // Joined files decode to their end, past the end that the first part's Info header
    // announces.
    if (mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0) != MPG123_OK ||
        mpg123_param(handle, MPG123_INDEX_SIZE, -kIndexGrowth, 0) != MPG123_OK) {
        return false;
    }
    if constexpr (std::endian::native == std::endian::big) {
        if (mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_FORCE_ENDIAN, 0) != MPG123_OK) {
            return false;
        }
    }
    // The output encoding is fixed before the first frame is decoded: libmpg123 synthesises
    // floats directly, with no trip through 16 bits.
    const int wanted = Mpg123Encoding(FKind);
    if (!AllowAnyRate(handle, wanted) ||
        mpg123_replace_reader_handle(handle, ReadFromFile, SeekInFile, nullptr) != MPG123_OK ||
        mpg123_open_handle(handle, FFile.get()) != MPG123_OK) {
        return false;
    }

    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK ||
        rate < kMinSampleRate || rate > kMaxSampleRate || channels < 1 || channels > 2 ||
        encoding != wanted) {
        return false;
    }
    // Should a later frame bring another format, it is converted to the first one: the data
    // must stay what a WAV header describes.
    if (mpg123_format_none(handle) != MPG123_OK ||
        mpg123_format(handle, rate, channels == 1 ? MPG123_MONO : MPG123_STEREO, wanted) !=
            MPG123_OK) {
        return false;
    }
    FSampleRate = static_cast<int>(rate);
    FChannels = channels;
    return true;
}

bool Mpg123Stream::Start() {
    const bool infoCoversTheFile = InfoHeaderCoversTheFile(*FFile);
    if (!OpenHandle()) {
        return false;
    }
    mpg123_handle* handle = FHandle.get();
    FFrameFrames = mpg123_spf(handle);

    // The LAME/Info header, known by the encoder delay it carries, gives the exact length
    // without reading the file, as long as the file holds just what it counts; otherwise
    // count the frames. (MPG123_ACCURATE cannot tell the two apart: it describes seek
    // positions and reads 1 for estimated lengths too.)
    if (mpg123_getstate(handle, MPG123_ENC_DELAY, &FEncoderDelay, nullptr) != MPG123_OK) {
        FEncoderDelay = -1;
    }
    if (FEncoderDelay < 0 || !infoCoversTheFile) {
        if (!Scan()) {
            return false;
        }
        // libmpg123 converts frames of another format to the first one, and counts them in
        // the first format's terms: only decoding tells how many samples they give.
        if (FFormatChanges) {
            return CountByDecoding();
        }
    }
    const off_t samples = mpg123_length(handle);
    if (samples <= 0) {
        return false;
    }
    FLengthBytes = static_cast<std::int64_t>(samples) * FrameBytes();
    return true;
}

bool Mpg123Stream::Restart() {
    FPristine = OpenHandle() && (!FScanned || mpg123_scan(FHandle.get()) == MPG123_OK);
    return FPristine;
}

bool Mpg123Stream::Scan() {
    mpg123_handle* handle = FHandle.get();
    if (mpg123_scan(handle) != MPG123_OK) {
        return false;
    }
    FScanned = true;
    const FrameRun frames = InspectFrames();
    FFormatChanges = frames.FormatChanges;
    // Exact positions rest on a full index, and on stereo MPEG-1 layer III: in mono and at
    // the lower rates of MPEG-2, libmpg123's synthesis filter rounds a sample differently now
    // and then after a seek than in a decode from the start (its state depends on where
    // decoding began), and no preroll was found that always avoids it.
    // Frames that do not follow on from each other mean bytes that decoding skipped or
    // resynchronised over, and a decode from elsewhere may find other frames there.
    mpg123_frameinfo info{};
    long joined = 0;
    FExactSeeking = mpg123_info(handle, &info) == MPG123_OK && info.version == MPG123_1_0 &&
                    info.layer == 3 && info.mode != MPG123_M_MONO && frames.FollowOn &&
                    !frames.FormatChanges;
    // Positions in joined files are another matter: libmpg123 warns that its seeks may
    // miss there.
    if (mpg123_getstate(handle, MPG123_FRANKENSTEIN, &joined, nullptr) != MPG123_OK ||
        joined != 0) {
        FExactSeeking = false;
    }
    return true;
}

Mpg123Stream::FrameRun Mpg123Stream::InspectFrames() {
    off_t* offsets = nullptr;
    off_t step = 0;
    std::size_t fill = 0;
    // Every frame in the index, or nothing can be told: take the careful way.
    if (mpg123_index(FHandle.get(), &offsets, &step, &fill) != MPG123_OK || step != 1 ||
        fill == 0 || mpg123_framelength(FHandle.get()) != static_cast<off_t>(fill)) {
        return {};
    }
    const std::int64_t resumeAt = FFile->Tell();
    FrameRun run{false, true};
    std::uint32_t first = 0;
    for (std::size_t i = 0; i < fill && !run.FormatChanges; ++i) {
        std::array<unsigned char, 4> bytes{};
        if (!ReadAt(*FFile, offsets[i], bytes.data(), bytes.size())) {
            run = {};
            break;
        }
        const std::uint32_t header = BigEndian32(bytes.data());
        const std::uint32_t key = FormatKey(header);
        if (i == 0) {
            first = key;
        }
        run.FormatChanges = key != first;
        if (i + 1 < fill) {
            run.FollowOn =
                run.FollowOn && offsets[i] + Mpeg1Layer3FrameBytes(header) == offsets[i + 1];
        }
    }
    // libmpg123 reads on from where it left the file.
    if (!FFile->Seek(resumeAt, SEEK_SET)) {
        run = {};
    }
    return run;
}

bool Mpg123Stream::CountByDecoding() {
    mpg123_handle* handle = FHandle.get();
    FPristine = false;
    std::vector<unsigned char> buffer(kCountBufferBytes);
    std::int64_t total = 0;
    for (;;) {
        std::size_t done = 0;
        const int result = mpg123_read(handle, buffer.data(), buffer.size(), &done);
        total += static_cast<std::int64_t>(done);
        // A decoding error ends the data where Read will end it too.
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            break;
        }
    }
    FLengthBytes = total - total % FrameBytes();
    return total > 0 && mpg123_seek(handle, 0, SEEK_SET) == 0;
}

AudioTags Mpg123Stream::Tags() const {
    return ReadId3Tags(FPath);
}

bool Mpg123Stream::CanSeekExactly() const {
    if (!FScanned) {
        // The frame index is read on first demand. Asked only after decoding began, the
        // answer is no: a scan would move a decoder that has state, and no seek could put
        // it back exactly where it was.
        FScanned = true;
        FExactSeeking = FPristine && const_cast<Mpg123Stream*>(this)->Scan() && FExactSeeking;
    }
    return FExactSeeking;
}

void Mpg123Stream::SeekToFrame(std::int64_t frame) {
    if (!CanSeekExactly() || frame < 0 || frame > FLengthBytes / FrameBytes()) {
        DecoderStream::SeekToFrame(frame);
    }
    // A decoder that has decoded keeps state past a seek (damaged frames show it), so the
    // seek starts from one as it was when the stream was opened.
    const bool ready = FPristine || Restart();
    mpg123_handle* handle = FHandle.get();
    FPristine = false;
    if (!ready || mpg123_param(handle, MPG123_PREFRAMES, kSeekPreroll, 0) != MPG123_OK ||
        mpg123_seek(handle, static_cast<off_t>(frame), SEEK_SET) != static_cast<off_t>(frame)) {
        FEnded = true;
        throw EDecoderError("Cannot decode \"" + FPathText + "\": " + mpg123_strerror(handle));
    }
    FDelivered = frame * FrameBytes();
    FEnded = false;
}

ReadResult Mpg123Stream::Read(std::span<std::byte> buffer) {
    FPristine = false;
    auto* out = reinterpret_cast<unsigned char*>(buffer.data());
    std::size_t filled = 0;
    while (!FEnded && filled < buffer.size()) {
        std::size_t done = 0;
        const int result = mpg123_read(FHandle.get(), out + filled, buffer.size() - filled, &done);
        // Bytes may come with any status, a format change included.
        filled += done;
        FDelivered += static_cast<std::int64_t>(done);
        switch (result) {
        case MPG123_OK:
        case MPG123_NEW_FORMAT:
            break;
        case MPG123_DONE:
            FEnded = true;
            break;
        default:
            FEnded = true;
            // Junk after the last frame (a pre-allocated download, a stray tag, another
            // file appended) ends the audio where the mpg123 tool ends it too.
            if (FDelivered >= FLengthBytes) {
                break;
            }
            throw EDecoderError("Cannot decode \"" + FPathText +
                                "\": " + mpg123_strerror(FHandle.get()));
        }
    }
    return ReadResult::Of(filled, FEnded);
}

} // namespace zent
