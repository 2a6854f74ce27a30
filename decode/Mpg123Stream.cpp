#include "decode/Mpg123Stream.h"

#include "framework/Errors.h"

#include <bit>
#include <cstdio>

namespace zent {

namespace {

constexpr int kBytesPerSample = 2;
constexpr long kMinSampleRate = 8000;
constexpr long kMaxSampleRate = 48000;

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

// Allows 16-bit output at every rate, mono or stereo, until the first frame tells which.
bool AllowAnyRate(mpg123_handle* handle) {
    if (mpg123_format_none(handle) != MPG123_OK) {
        return false;
    }
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i) {
        if (mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) !=
            MPG123_OK) {
            return false;
        }
    }
    return true;
}

} // namespace

Mpg123Stream::Mpg123Stream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path)
    : FFile(std::move(file)), FPathText(path.string()) {}

std::unique_ptr<DecoderStream> Mpg123Stream::Open(std::unique_ptr<NativeFile> file,
                                                  const std::filesystem::path& path) {
    std::unique_ptr<Mpg123Stream> stream(new Mpg123Stream(std::move(file), path));
    if (!stream->Start()) {
        return nullptr;
    }
    return stream;
}

bool Mpg123Stream::Start() {
    int error = MPG123_OK;
    FHandle.reset(mpg123_new(nullptr, &error));
    mpg123_handle* handle = FHandle.get();
    if (handle == nullptr) {
        return false;
    }
    // A call of its own: a library built without gapless support refuses it, and then the
    // file still decodes, only with the encoder's delay and padding.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS, 0);
    // Stitched-together files end where the first one does (a change of format, or the end
    // its Info header announces), so that the length agrees with the data.
    if (mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_NO_FRANKENSTEIN, 0) !=
        MPG123_OK) {
        return false;
    }
    if constexpr (std::endian::native == std::endian::big) {
        if (mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_FORCE_ENDIAN, 0) != MPG123_OK) {
            return false;
        }
    }
    if (!AllowAnyRate(handle) ||
        mpg123_replace_reader_handle(handle, ReadFromFile, SeekInFile, nullptr) != MPG123_OK ||
        mpg123_open_handle(handle, FFile.get()) != MPG123_OK) {
        return false;
    }

    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK ||
        rate < kMinSampleRate || rate > kMaxSampleRate || channels < 1 || channels > 2 ||
        encoding != MPG123_ENC_SIGNED_16) {
        return false;
    }
    // Should a later frame still bring another format, it is converted to the first one:
    // the data must stay what a WAV header describes.
    if (mpg123_format_none(handle) != MPG123_OK ||
        mpg123_format(handle, rate, channels == 1 ? MPG123_MONO : MPG123_STEREO,
                      MPG123_ENC_SIGNED_16) != MPG123_OK) {
        return false;
    }

    // The LAME/Info header, known by the encoder delay it carries, gives the exact length
    // without reading the file; without it, count the frames. (MPG123_ACCURATE cannot tell
    // the two apart: it describes seek positions and reads 1 for estimated lengths too.)
    long encoderDelay = -1;
    if (mpg123_getstate(handle, MPG123_ENC_DELAY, &encoderDelay, nullptr) != MPG123_OK ||
        encoderDelay < 0) {
        if (mpg123_scan(handle) != MPG123_OK) {
            return false;
        }
    }
    const off_t samples = mpg123_length(handle);
    if (samples <= 0) {
        return false;
    }
    FSampleRate = static_cast<int>(rate);
    FChannels = channels;
    FFrameFrames = mpg123_spf(handle);
    FLengthBytes = static_cast<std::int64_t>(samples) * channels * kBytesPerSample;
    return true;
}

std::size_t Mpg123Stream::Read(std::span<std::byte> buffer) {
    auto* out = reinterpret_cast<unsigned char*>(buffer.data());
    std::size_t filled = 0;
    while (!FEnded && filled < buffer.size()) {
        std::size_t done = 0;
        const int result = mpg123_read(FHandle.get(), out + filled, buffer.size() - filled, &done);
        // Bytes may come with any status, a format change included.
        filled += done;
        switch (result) {
        case MPG123_OK:
        case MPG123_NEW_FORMAT:
            break;
        case MPG123_DONE:
            FEnded = true;
            break;
        default:
            FEnded = true;
            throw EDecoderError("Cannot decode \"" + FPathText +
                                "\": " + mpg123_strerror(FHandle.get()));
        }
    }
    return filled;
}

} // namespace zent
