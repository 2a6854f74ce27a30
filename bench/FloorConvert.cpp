// The floor for converting one file: libmpg123, libvorbisfile, libopusfile or libFLAC (with its
// check of the samples' MD5, as the flac tool and zent-cli make it) straight into a WAV file,
// with the same 800,000-byte blocks and nothing else. What zent-cli -j1 is measured against.
//   zent_floor SOURCE TARGET
#include <FLAC/stream_decoder.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mpg123.h>
#include <opus/opusfile.h>
#include <vector>
#include <vorbis/vorbisfile.h>

namespace {

constexpr std::size_t kBlock = 800000;

void Put32(unsigned char* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

void Put16(unsigned char* at, std::uint16_t value) {
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void WriteHeader(std::FILE* out, int channels, long rate, std::uint32_t dataBytes,
                 int bytesPerSample = 2) {
    unsigned char header[44];
    std::memcpy(header, "RIFF\0\0\0\0WAVEfmt ", 16);
    Put32(header + 4, dataBytes + 36);
    Put32(header + 16, 16);
    Put16(header + 20, 1);
    Put16(header + 22, static_cast<std::uint16_t>(channels));
    Put32(header + 24, static_cast<std::uint32_t>(rate));
    Put32(header + 28, static_cast<std::uint32_t>(rate * channels * bytesPerSample));
    Put16(header + 32, static_cast<std::uint16_t>(channels * bytesPerSample));
    Put16(header + 34, static_cast<std::uint16_t>(8 * bytesPerSample));
    std::memcpy(header + 36, "data", 4);
    Put32(header + 40, dataBytes);
    std::fwrite(header, 1, sizeof header, out);
}

bool IsOgg(const char* path) {
    std::FILE* in = std::fopen(path, "rb");
    char magic[4] = {};
    const bool ogg = in && std::fread(magic, 1, 4, in) == 4 && std::memcmp(magic, "OggS", 4) == 0;
    if (in)
        std::fclose(in);
    return ogg;
}

int ConvertMp3(const char* source, std::FILE* out, std::vector<unsigned char>& buffer) {
    mpg123_init();
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    if (!handle || mpg123_open(handle, source) != MPG123_OK)
        return 1;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    mpg123_getformat(handle, &rate, &channels, &encoding);
    mpg123_format_none(handle);
    mpg123_format(handle, rate, channels, MPG123_ENC_SIGNED_16);
    WriteHeader(out, channels, rate, 0);
    std::uint64_t total = 0;
    for (;;) {
        std::size_t done = 0;
        const int status = mpg123_read(handle, buffer.data(), buffer.size(), &done);
        std::fwrite(buffer.data(), 1, done, out);
        total += done;
        if (status == MPG123_DONE || (status != MPG123_OK && status != MPG123_NEW_FORMAT))
            break;
    }
    std::fseek(out, 0, SEEK_SET);
    WriteHeader(out, channels, rate, static_cast<std::uint32_t>(total));
    mpg123_delete(handle);
    return 0;
}

int ConvertOgg(const char* source, std::FILE* out, std::vector<unsigned char>& buffer) {
    OggVorbis_File file;
    if (ov_fopen(source, &file) != 0)
        return 1;
    const vorbis_info* info = ov_info(&file, -1);
    WriteHeader(out, info->channels, info->rate, 0);
    std::uint64_t total = 0;
    int section = 0;
    bool more = true;
    while (more) {
        std::size_t filled = 0;
        while (filled < buffer.size()) {
            const long got = ov_read(&file, reinterpret_cast<char*>(buffer.data() + filled),
                                     static_cast<int>(buffer.size() - filled), 0, 2, 1, &section);
            if (got <= 0) {
                more = got == OV_HOLE;
                if (!more)
                    break;
                continue;
            }
            filled += static_cast<std::size_t>(got);
        }
        std::fwrite(buffer.data(), 1, filled, out);
        total += filled;
    }
    std::fseek(out, 0, SEEK_SET);
    WriteHeader(out, info->channels, info->rate, static_cast<std::uint32_t>(total));
    ov_clear(&file);
    return 0;
}

// Opus at 48000 Hz through the library's own 16-bit conversion.
int ConvertOpus(OggOpusFile* file, std::FILE* out, std::vector<unsigned char>& buffer) {
    const int channels = op_channel_count(file, -1);
    WriteHeader(out, channels, 48000, 0);
    std::uint64_t total = 0;
    auto* samples = reinterpret_cast<opus_int16*>(buffer.data());
    const int capacity = static_cast<int>(buffer.size() / 2);
    bool more = true;
    while (more) {
        int filled = 0;
        while (filled < capacity) {
            const int got = op_read(file, samples + filled, capacity - filled, nullptr);
            if (got <= 0) {
                more = got == OP_HOLE;
                if (!more)
                    break;
                continue;
            }
            filled += got * channels;
        }
        std::fwrite(samples, 2, static_cast<std::size_t>(filled), out);
        total += static_cast<std::uint64_t>(filled) * 2;
    }
    std::fseek(out, 0, SEEK_SET);
    WriteHeader(out, channels, 48000, static_cast<std::uint32_t>(total));
    op_free(file);
    return 0;
}

struct FlacFloor {
    std::FILE* Out = nullptr;
    std::vector<unsigned char>* Buffer = nullptr;
    std::size_t Filled = 0;
    std::uint64_t Total = 0;
    int Channels = 0;
    int Bytes = 2;
    long Rate = 0;
};

FLAC__StreamDecoderWriteStatus WriteFlacFrame(const FLAC__StreamDecoder* /*decoder*/,
                                              const FLAC__Frame* frame,
                                              const FLAC__int32* const planes[], void* client) {
    auto& floor = *static_cast<FlacFloor*>(client);
    const std::size_t frameBytes = static_cast<std::size_t>(floor.Channels * floor.Bytes);
    const std::size_t needed = frame->header.blocksize * frameBytes;
    if (floor.Filled + needed > floor.Buffer->size()) {
        std::fwrite(floor.Buffer->data(), 1, floor.Filled, floor.Out);
        floor.Total += floor.Filled;
        floor.Filled = 0;
        if (needed > floor.Buffer->size())
            floor.Buffer->resize(needed);
    }
    unsigned char* at = floor.Buffer->data() + floor.Filled;
    for (unsigned i = 0; i < frame->header.blocksize; ++i)
        for (int c = 0; c < floor.Channels; ++c) {
            const auto value = static_cast<std::uint32_t>(planes[c][i]);
            for (int b = 0; b < floor.Bytes; ++b)
                *at++ = static_cast<unsigned char>(value >> (8 * b));
        }
    floor.Filled += needed;
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void TakeFlacInfo(const FLAC__StreamDecoder* /*decoder*/, const FLAC__StreamMetadata* metadata,
                  void* client) {
    auto& floor = *static_cast<FlacFloor*>(client);
    if (metadata->type == FLAC__METADATA_TYPE_STREAMINFO) {
        floor.Channels = static_cast<int>(metadata->data.stream_info.channels);
        floor.Bytes = static_cast<int>((metadata->data.stream_info.bits_per_sample + 7) / 8);
        floor.Rate = static_cast<long>(metadata->data.stream_info.sample_rate);
    }
}

void IgnoreFlacError(const FLAC__StreamDecoder* /*decoder*/, FLAC__StreamDecoderErrorStatus,
                     void* /*client*/) {}

int ConvertFlac(const char* source, std::FILE* out, std::vector<unsigned char>& buffer) {
    FLAC__StreamDecoder* decoder = FLAC__stream_decoder_new();
    FlacFloor floor{out, &buffer};
    FLAC__stream_decoder_set_md5_checking(decoder, true);
    if (FLAC__stream_decoder_init_file(decoder, source, WriteFlacFrame, TakeFlacInfo,
                                       IgnoreFlacError,
                                       &floor) != FLAC__STREAM_DECODER_INIT_STATUS_OK ||
        !FLAC__stream_decoder_process_until_end_of_metadata(decoder))
        return 1;
    WriteHeader(out, floor.Channels, floor.Rate, 0, floor.Bytes);
    FLAC__stream_decoder_process_until_end_of_stream(decoder);
    std::fwrite(buffer.data(), 1, floor.Filled, out);
    floor.Total += floor.Filled;
    const bool intact = FLAC__stream_decoder_finish(decoder) != 0;
    FLAC__stream_decoder_delete(decoder);
    std::fseek(out, 0, SEEK_SET);
    WriteHeader(out, floor.Channels, floor.Rate, static_cast<std::uint32_t>(floor.Total),
                floor.Bytes);
    return intact ? 0 : 1;
}

bool IsFlac(const char* path) {
    std::FILE* in = std::fopen(path, "rb");
    char magic[4] = {};
    const bool flac = in && std::fread(magic, 1, 4, in) == 4 && std::memcmp(magic, "fLaC", 4) == 0;
    if (in)
        std::fclose(in);
    return flac;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zent_floor SOURCE TARGET\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out)
        return 1;
    std::vector<unsigned char> buffer(kBlock);
    if (IsFlac(argv[1])) {
        const int status = ConvertFlac(argv[1], out, buffer);
        return std::fclose(out) == 0 ? status : 1;
    }
    OggOpusFile* opus = IsOgg(argv[1]) ? op_open_file(argv[1], nullptr) : nullptr;
    const int status = opus != nullptr  ? ConvertOpus(opus, out, buffer)
                       : IsOgg(argv[1]) ? ConvertOgg(argv[1], out, buffer)
                                        : ConvertMp3(argv[1], out, buffer);
    return std::fclose(out) == 0 ? status : 1;
}
