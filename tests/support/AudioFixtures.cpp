#include "tests/support/AudioFixtures.h"

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <lame/lame.h>
#include <memory>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <vorbis/vorbisenc.h>

namespace zent::test {

namespace {

constexpr double kBaseFrequency = 220.0;
constexpr double kAmplitude = 0.4 * 32767.0;
constexpr int kOggBlockFrames = 4096;

// Vorbis stores surround channels in its own order; this says which WAV-ordered input channel
// goes into each Vorbis channel, for 3 to 8 channels.
constexpr std::array<std::array<int, 8>, 9> kWavChannelForVorbis = {{
    {},
    {0},
    {0, 1},
    {0, 2, 1},
    {0, 1, 2, 3},
    {0, 2, 1, 3, 4},
    {0, 2, 1, 4, 5, 3},
    {0, 2, 1, 5, 6, 4, 3},
    {0, 2, 1, 6, 7, 4, 5, 3},
}};

int WavChannelForVorbis(int channels, int vorbisChannel) {
    if (channels < 1 || channels > 8) {
        return vorbisChannel;
    }
    return kWavChannelForVorbis[static_cast<std::size_t>(channels)]
                               [static_cast<std::size_t>(vorbisChannel)];
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenForWriting(const std::filesystem::path& file) {
    // Read access too: the Info tag writer reads back the start of the file.
    FilePtr handle(std::fopen(file.c_str(), "w+b"));
    if (!handle) {
        throw std::runtime_error("cannot create " + file.string());
    }
    return handle;
}

void WriteAll(std::FILE* file, const void* data, std::size_t size) {
    if (size > 0 && std::fwrite(data, 1, size, file) != size) {
        throw std::runtime_error("cannot write test audio");
    }
}

struct LameCloser {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

void Fft(std::vector<std::complex<double>>& data) {
    const std::size_t n = data.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(data[i], data[j]);
        }
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(length);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (std::size_t start = 0; start < n; start += length) {
            std::complex<double> w(1.0, 0.0);
            for (std::size_t k = 0; k < length / 2; ++k) {
                const auto even = data[start + k];
                const auto odd = data[start + k + length / 2] * w;
                data[start + k] = even + odd;
                data[start + k + length / 2] = even - odd;
                w *= step;
            }
        }
    }
}

// libvorbisenc's 5.1 set-up leaks a little memory that vorbis_info_clear never frees; keep
// the leak checker from failing the tests over it.
int InitVorbisEncoder(vorbis_info& info, const ToneSpec& tone, float quality) {
#ifdef __SANITIZE_ADDRESS__
    __lsan::ScopedDisabler leaksIgnored;
#endif
    return vorbis_encode_init_vbr(&info, tone.channels, tone.sampleRate, quality);
}

} // namespace

double ToneFrequency(int channel) {
    return kBaseFrequency * (channel + 1);
}

std::int64_t FrameCount(const ToneSpec& tone) {
    return std::llround(tone.seconds * tone.sampleRate);
}

std::vector<std::int16_t> GenerateTones(const ToneSpec& tone) {
    const std::int64_t frames = FrameCount(tone);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames * tone.channels));
    for (int channel = 0; channel < tone.channels; ++channel) {
        const double frequency = tone.frequency > 0.0 ? tone.frequency : ToneFrequency(channel);
        const double phaseStep = 2.0 * std::numbers::pi * frequency / tone.sampleRate;
        for (std::int64_t frame = 0; frame < frames; ++frame) {
            samples[static_cast<std::size_t>(frame * tone.channels + channel)] =
                static_cast<std::int16_t>(
                    std::lround(kAmplitude * std::sin(phaseStep * static_cast<double>(frame))));
        }
    }
    return samples;
}

void EncodeMp3(const std::filesystem::path& file, const ToneSpec& tone, const Mp3Options& options) {
    if (tone.channels < 1 || tone.channels > 2) {
        throw std::invalid_argument("MP3 holds one or two channels");
    }
    std::unique_ptr<lame_global_flags, LameCloser> lame(lame_init());
    if (!lame) {
        throw std::runtime_error("lame_init failed");
    }
    lame_global_flags* flags = lame.get();
    lame_set_num_channels(flags, tone.channels);
    lame_set_in_samplerate(flags, tone.sampleRate);
    lame_set_out_samplerate(flags, tone.sampleRate);
    lame_set_mode(flags, tone.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_quality(flags, 7);
    lame_set_bWriteVbrTag(flags, options.infoTag ? 1 : 0);
    if (options.vbr) {
        lame_set_VBR(flags, vbr_default);
        lame_set_VBR_quality(flags, 5.0f);
    } else {
        lame_set_VBR(flags, vbr_off);
        lame_set_brate(flags, options.bitrateKbps);
    }
    if (lame_init_params(flags) < 0) {
        throw std::runtime_error("lame_init_params failed");
    }

    auto samples = GenerateTones(tone);
    const auto frames = static_cast<int>(FrameCount(tone));
    std::vector<unsigned char> mp3(static_cast<std::size_t>(frames) * 5 / 4 + 7200);
    int encoded = 0;
    if (tone.channels == 2) {
        encoded = lame_encode_buffer_interleaved(flags, samples.data(), frames, mp3.data(),
                                                 static_cast<int>(mp3.size()));
    } else {
        encoded = lame_encode_buffer(flags, samples.data(), samples.data(), frames, mp3.data(),
                                     static_cast<int>(mp3.size()));
    }
    if (encoded < 0) {
        throw std::runtime_error("lame_encode_buffer failed");
    }
    FilePtr out = OpenForWriting(file);
    WriteAll(out.get(), mp3.data(), static_cast<std::size_t>(encoded));
    encoded = lame_encode_flush(flags, mp3.data(), static_cast<int>(mp3.size()));
    if (encoded < 0) {
        throw std::runtime_error("lame_encode_flush failed");
    }
    WriteAll(out.get(), mp3.data(), static_cast<std::size_t>(encoded));
    if (options.infoTag) {
        lame_mp3_tags_fid(flags, out.get());
    }
    if (std::fflush(out.get()) != 0) {
        throw std::runtime_error("cannot write test audio");
    }
}

void EncodeOgg(const std::filesystem::path& file, const ToneSpec& tone, float quality) {
    vorbis_info info;
    vorbis_info_init(&info);
    // libvorbis's clean-up calls, in reverse order of set-up, on every path.
    struct Encoder {
        vorbis_info* info;
        vorbis_comment comment{};
        vorbis_dsp_state dsp{};
        vorbis_block block{};
        ogg_stream_state stream{};
        bool hasComment = false, hasDsp = false, hasBlock = false, hasStream = false;
        ~Encoder() {
            if (hasStream)
                ogg_stream_clear(&stream);
            if (hasBlock)
                vorbis_block_clear(&block);
            if (hasDsp)
                vorbis_dsp_clear(&dsp);
            if (hasComment)
                vorbis_comment_clear(&comment);
            vorbis_info_clear(info);
        }
    } encoder{&info};

    if (InitVorbisEncoder(info, tone, quality) != 0) {
        throw std::runtime_error("vorbis_encode_init_vbr failed");
    }
    vorbis_comment_init(&encoder.comment);
    encoder.hasComment = true;
    if (vorbis_analysis_init(&encoder.dsp, &info) != 0) {
        throw std::runtime_error("vorbis_analysis_init failed");
    }
    encoder.hasDsp = true;
    vorbis_block_init(&encoder.dsp, &encoder.block);
    encoder.hasBlock = true;
    // Distinct serial numbers, so that files joined into a chain stay distinct links.
    std::random_device random;
    ogg_stream_init(&encoder.stream, static_cast<int>(random() & 0x7fffffff));
    encoder.hasStream = true;

    FilePtr out = OpenForWriting(file);
    ogg_page page;
    auto writePage = [&] {
        WriteAll(out.get(), page.header, static_cast<std::size_t>(page.header_len));
        WriteAll(out.get(), page.body, static_cast<std::size_t>(page.body_len));
    };

    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&encoder.dsp, &encoder.comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&encoder.stream, &header);
    ogg_stream_packetin(&encoder.stream, &commentHeader);
    ogg_stream_packetin(&encoder.stream, &codeHeader);
    while (ogg_stream_flush(&encoder.stream, &page) != 0) {
        writePage();
    }

    const auto samples = GenerateTones(tone);
    const std::int64_t frames = FrameCount(tone);
    std::int64_t done = 0;
    bool finished = false;
    while (!finished) {
        const int count = static_cast<int>(std::min<std::int64_t>(kOggBlockFrames, frames - done));
        if (count > 0) {
            float** planes = vorbis_analysis_buffer(&encoder.dsp, count);
            for (int v = 0; v < tone.channels; ++v) {
                const int source = WavChannelForVorbis(tone.channels, v);
                for (int i = 0; i < count; ++i) {
                    planes[v][i] =
                        samples[static_cast<std::size_t>((done + i) * tone.channels + source)] /
                        32768.0f;
                }
            }
            vorbis_analysis_wrote(&encoder.dsp, count);
            done += count;
        } else {
            vorbis_analysis_wrote(&encoder.dsp, 0);
        }
        while (vorbis_analysis_blockout(&encoder.dsp, &encoder.block) == 1) {
            vorbis_analysis(&encoder.block, nullptr);
            vorbis_bitrate_addblock(&encoder.block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&encoder.dsp, &packet) == 1) {
                ogg_stream_packetin(&encoder.stream, &packet);
                while (ogg_stream_pageout(&encoder.stream, &page) != 0) {
                    writePage();
                    if (ogg_page_eos(&page)) {
                        finished = true;
                    }
                }
            }
        }
    }
    if (std::fflush(out.get()) != 0) {
        throw std::runtime_error("cannot write test audio");
    }
}

std::vector<OggPageSpan> OggPages(const std::vector<char>& bytes) {
    constexpr std::size_t kHeaderBytes = 27;
    constexpr std::size_t kGranuleAt = 6;
    constexpr std::size_t kSegmentCountAt = 26;
    std::vector<OggPageSpan> pages;
    std::size_t at = 0;
    while (at + kHeaderBytes <= bytes.size() &&
           std::equal(bytes.begin() + at, bytes.begin() + at + 4, "OggS")) {
        const auto segments = static_cast<unsigned char>(bytes[at + kSegmentCountAt]);
        std::size_t size = kHeaderBytes + segments;
        if (at + size > bytes.size()) {
            break;
        }
        for (std::size_t i = 0; i < segments; ++i) {
            size += static_cast<unsigned char>(bytes[at + kHeaderBytes + i]);
        }
        std::uint64_t granule = 0;
        for (std::size_t i = 0; i < 8; ++i) {
            granule |= std::uint64_t{static_cast<unsigned char>(bytes[at + kGranuleAt + i])}
                       << (8 * i);
        }
        pages.push_back({at, size, static_cast<std::int64_t>(granule)});
        at += size;
    }
    return pages;
}

void SetOggGranule(std::vector<char>& bytes, const OggPageSpan& page, std::int64_t granule) {
    constexpr std::size_t kGranuleAt = 6;
    constexpr std::size_t kHeaderBytes = 27;
    const auto value = static_cast<std::uint64_t>(granule);
    for (std::size_t i = 0; i < 8; ++i) {
        bytes[page.offset + kGranuleAt + i] = static_cast<char>((value >> (8 * i)) & 0xff);
    }
    const auto segments = static_cast<unsigned char>(bytes[page.offset + kHeaderBytes - 1]);
    auto* start = reinterpret_cast<unsigned char*>(bytes.data() + page.offset);
    ogg_page view{};
    view.header = start;
    view.header_len = static_cast<long>(kHeaderBytes + segments);
    view.body = start + view.header_len;
    view.body_len = static_cast<long>(page.size) - view.header_len;
    ogg_page_checksum_set(&view);
}

double DominantFrequency(const std::vector<std::int16_t>& interleaved, int channels, int channel,
                         int sampleRate) {
    const std::size_t frames = interleaved.size() / static_cast<std::size_t>(channels);
    std::size_t n = 1;
    while (n * 2 <= frames && n * 2 <= 65536) {
        n *= 2;
    }
    if (n < 64) {
        return 0.0;
    }
    // The middle of the signal, away from encoder start-up and fade.
    const std::size_t start = (frames - n) / 2;
    std::vector<std::complex<double>> data(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                                   static_cast<double>(n - 1));
        data[i] = window * interleaved[(start + i) * static_cast<std::size_t>(channels) +
                                       static_cast<std::size_t>(channel)];
    }
    Fft(data);
    std::size_t peak = 1;
    for (std::size_t k = 2; k < n / 2; ++k) {
        if (std::abs(data[k]) > std::abs(data[peak])) {
            peak = k;
        }
    }
    double offset = 0.0;
    if (peak + 1 < n / 2) {
        const double a = std::log(std::abs(data[peak - 1]) + 1e-9);
        const double b = std::log(std::abs(data[peak]) + 1e-9);
        const double c = std::log(std::abs(data[peak + 1]) + 1e-9);
        const double denominator = a - 2.0 * b + c;
        if (denominator != 0.0) {
            offset = 0.5 * (a - c) / denominator;
        }
    }
    return (static_cast<double>(peak) + offset) * sampleRate / static_cast<double>(n);
}

void WriteWav(const std::filesystem::path& file, const ToneSpec& tone) {
    const std::vector<std::int16_t> samples = GenerateTones(tone);
    const bool extensible = tone.channels > 2;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    const std::uint32_t formatBytes = extensible ? 40 : 16;
    std::vector<unsigned char> header;
    const auto put = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            header.push_back(static_cast<unsigned char>(value >> (8 * i)));
    };
    const auto tag = [&](const char* text) {
        header.insert(header.end(), text, text + 4);
    };
    const auto channels = static_cast<std::uint32_t>(tone.channels);
    const auto rate = static_cast<std::uint32_t>(tone.sampleRate);
    tag("RIFF");
    put(4 + 8 + formatBytes + 8 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(formatBytes, 4);
    put(extensible ? 0xfffe : 1, 2);
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * 2, 4);
    put(channels * 2, 2);
    put(16, 2);
    if (extensible) {
        constexpr std::array<std::uint32_t, 9> kMasks = {0,    0,    0,     0x7,  0x33,
                                                         0x37, 0x3f, 0x70f, 0x63f};
        put(22, 2);
        put(16, 2);
        put(kMasks[std::min<std::size_t>(channels, 8)], 4);
        // The PCM sub-format's GUID.
        const std::array<unsigned char, 16> pcm = {1,    0, 0, 0,    0, 0,    0x10, 0,
                                                   0x80, 0, 0, 0xaa, 0, 0x38, 0x9b, 0x71};
        header.insert(header.end(), pcm.begin(), pcm.end());
    }
    tag("data");
    put(dataBytes, 4);
    FilePtr out = OpenForWriting(file);
    WriteAll(out.get(), header.data(), header.size());
    WriteAll(out.get(), samples.data(), dataBytes);
    if (std::fflush(out.get()) != 0) {
        throw std::runtime_error("cannot write test audio");
    }
}

void EncodeOpus(const std::filesystem::path& file, const ToneSpec& tone,
                const std::string& options) {
    const std::filesystem::path wav = file.string() + ".source.wav";
    WriteWav(wav, tone);
    const std::string command = "opusenc --quiet " + options + " '" + wav.string() + "' '" +
                                file.string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    std::filesystem::remove(wav);
    if (status != 0) {
        throw std::runtime_error("opusenc failed: " + command);
    }
}

namespace {

struct FlacEncoderFree {
    void operator()(FLAC__StreamEncoder* encoder) const { FLAC__stream_encoder_delete(encoder); }
};
struct FlacMetadataFree {
    void operator()(FLAC__StreamMetadata* block) const { FLAC__metadata_object_delete(block); }
};

} // namespace

std::vector<std::int32_t> EncodeFlac(const std::filesystem::path& file, const FlacParams& params) {
    const ToneSpec& tone = params.tone;
    const std::int64_t frames = FrameCount(tone);
    const double scale = std::ldexp(0.5, params.bits - 1);
    std::vector<std::int32_t> samples(static_cast<std::size_t>(frames * tone.channels));
    std::uint32_t noise = 12345;
    for (std::int64_t i = 0; i < frames; ++i) {
        for (int c = 0; c < tone.channels; ++c) {
            const double frequency = tone.frequency > 0 ? tone.frequency : ToneFrequency(c);
            noise = noise * 1664525u + 1013904223u;
            const double value = std::sin(2.0 * std::numbers::pi * frequency *
                                          static_cast<double>(i) / tone.sampleRate) *
                                     scale +
                                 static_cast<double>(noise >> 29) - 4.0;
            samples[static_cast<std::size_t>(i * tone.channels + c)] =
                static_cast<std::int32_t>(std::lround(value));
        }
    }
    std::unique_ptr<FLAC__StreamEncoder, FlacEncoderFree> encoder(FLAC__stream_encoder_new());
    FLAC__StreamEncoder* e = encoder.get();
    FLAC__stream_encoder_set_channels(e, static_cast<unsigned>(tone.channels));
    FLAC__stream_encoder_set_bits_per_sample(e, static_cast<unsigned>(params.bits));
    FLAC__stream_encoder_set_sample_rate(e, static_cast<unsigned>(tone.sampleRate));
    FLAC__stream_encoder_set_compression_level(e, 5);
    // Depths outside the subset's need the full format.
    FLAC__stream_encoder_set_streamable_subset(e, params.bits % 4 == 0 && params.bits >= 8);
    FLAC__stream_encoder_set_blocksize(e, params.blockSize);
    FLAC__stream_encoder_set_total_samples_estimate(e, static_cast<FLAC__uint64>(frames));
    std::vector<FLAC__StreamMetadata*> blocks;
    std::unique_ptr<FLAC__StreamMetadata, FlacMetadataFree> seekTable;
    std::unique_ptr<FLAC__StreamMetadata, FlacMetadataFree> comments;
    if (params.seekTable && !params.ogg) {
        seekTable.reset(FLAC__metadata_object_new(FLAC__METADATA_TYPE_SEEKTABLE));
        FLAC__metadata_object_seektable_template_append_spaced_points_by_samples(
            seekTable.get(), static_cast<unsigned>(tone.sampleRate),
            static_cast<FLAC__uint64>(frames));
        blocks.push_back(seekTable.get());
    }
    if (!params.comments.empty()) {
        comments.reset(FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT));
        for (const std::string& text : params.comments) {
            FLAC__StreamMetadata_VorbisComment_Entry entry{
                static_cast<FLAC__uint32>(text.size()),
                reinterpret_cast<FLAC__byte*>(const_cast<char*>(text.data()))};
            FLAC__metadata_object_vorbiscomment_append_comment(comments.get(), entry, true);
        }
        blocks.push_back(comments.get());
    }
    if (!blocks.empty())
        FLAC__stream_encoder_set_metadata(e, blocks.data(), static_cast<unsigned>(blocks.size()));
    const FLAC__StreamEncoderInitStatus status =
        params.ogg ? FLAC__stream_encoder_init_ogg_file(e, file.c_str(), nullptr, nullptr)
                   : FLAC__stream_encoder_init_file(e, file.c_str(), nullptr, nullptr);
    if (status != FLAC__STREAM_ENCODER_INIT_STATUS_OK)
        throw std::runtime_error("cannot start the FLAC encoder for " + file.string());
    if (!FLAC__stream_encoder_process_interleaved(e, samples.data(),
                                                  static_cast<unsigned>(frames)) ||
        !FLAC__stream_encoder_finish(e))
        throw std::runtime_error("the FLAC encoder failed for " + file.string());
    return samples;
}

std::vector<std::byte> WavChunk(const std::filesystem::path& wavFile, const std::string& id) {
    std::ifstream in(wavFile, std::ios::binary);
    const std::vector<char> raw((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
    const auto u32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | static_cast<std::uint8_t>(raw[at + static_cast<std::size_t>(i)]);
        return value;
    };
    std::size_t offset = 12;
    while (offset + 8 <= raw.size()) {
        const std::uint32_t size = u32(offset + 4);
        if (std::string(raw.data() + offset, 4) == id) {
            const std::size_t end = std::min<std::size_t>(raw.size(), offset + 8 + size);
            std::vector<std::byte> chunk(end - offset - 8);
            std::memcpy(chunk.data(), raw.data() + offset + 8, chunk.size());
            return chunk;
        }
        offset += 8 + size + (size & 1u);
    }
    throw std::runtime_error("no " + id + " chunk in " + wavFile.string());
}

std::vector<std::byte> FlacToolChunk(const std::filesystem::path& flacFile, const std::string& id) {
    const std::filesystem::path wav = flacFile.string() + ".reference.wav";
    const std::string command =
        "flac -d -s -f -o '" + wav.string() + "' '" + flacFile.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("flac failed: " + command);
    std::vector<std::byte> chunk = WavChunk(wav, id);
    std::filesystem::remove(wav);
    return chunk;
}

std::size_t FirstFlacFrameOffset(const std::vector<char>& bytes) {
    std::size_t offset = 4;
    for (;;) {
        const auto header = static_cast<std::uint8_t>(bytes.at(offset));
        const std::size_t size =
            (static_cast<std::size_t>(static_cast<std::uint8_t>(bytes.at(offset + 1))) << 16) |
            (static_cast<std::size_t>(static_cast<std::uint8_t>(bytes.at(offset + 2))) << 8) |
            static_cast<std::uint8_t>(bytes.at(offset + 3));
        offset += 4 + size;
        if ((header & 0x80u) != 0)
            return offset;
    }
}

void AppendBytes(const std::filesystem::path& file, const std::vector<char>& bytes) {
    FilePtr out(std::fopen(file.c_str(), "ab"));
    if (!out) {
        throw std::runtime_error("cannot open " + file.string());
    }
    WriteAll(out.get(), bytes.data(), bytes.size());
}

void CutFile(const std::filesystem::path& file, std::uintmax_t keptBytes) {
    std::filesystem::resize_file(file, keptBytes);
}

} // namespace zent::test
