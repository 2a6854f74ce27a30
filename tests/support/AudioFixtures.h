#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zent::test {

// A generated test signal: a different sine tone on every channel.
struct ToneSpec {
    int sampleRate = 44100;
    int channels = 2;
    double seconds = 2.0;
    double frequency = 0.0; // when set, every channel carries this tone instead
};

// Interleaved 16-bit samples of the tones; channel c carries 220 * (c + 1) Hz.
std::vector<std::int16_t> GenerateTones(const ToneSpec& tone);
std::int64_t FrameCount(const ToneSpec& tone);

// The frequency that GenerateTones puts on a channel.
double ToneFrequency(int channel);

struct Mp3Options {
    bool vbr = false;
    bool infoTag = true; // LAME/Info header with encoder delay and padding (gapless)
    int bitrateKbps = 128;
};

// Encodes the tones with libmp3lame / libvorbisenc.
void EncodeMp3(const std::filesystem::path& file, const ToneSpec& tone,
               const Mp3Options& options = {});
void EncodeOgg(const std::filesystem::path& file, const ToneSpec& tone, float quality = 0.3f);

// Encodes the tones with the opusenc tool (Ogg Opus, 48000 Hz); options go to the tool as
// they are. Throws when the tool is missing or fails.
void EncodeOpus(const std::filesystem::path& file, const ToneSpec& tone,
                const std::string& options = "");

// A FLAC file of the tones (at half scale, with a little seeded noise in the low bits) at any
// depth, native or in Ogg.
struct FlacParams {
    ToneSpec tone;
    int bits = 16;
    bool ogg = false;
    bool seekTable = true;
    unsigned blockSize = 4096;
    std::vector<std::string> comments; // "KEY=value"
};
// Encodes with libFLAC; returns the source samples, interleaved.
std::vector<std::int32_t> EncodeFlac(const std::filesystem::path& file, const FlacParams& params);

// What the reference decoder `flac -d` writes for a file: a chunk of its WAV output, found by
// its id ("fmt ", "data"). Throws when the tool fails.
std::vector<std::byte> FlacToolChunk(const std::filesystem::path& flacFile, const std::string& id);
// A chunk of any RIFF/WAVE file.
std::vector<std::byte> WavChunk(const std::filesystem::path& wavFile, const std::string& id);

// The offset of the first FLAC audio frame in a native FLAC file.
std::size_t FirstFlacFrameOffset(const std::vector<char>& bytes);

// Writes the tones as a 16-bit PCM WAV file (extensible, with the usual speaker mask, for
// more than two channels).
void WriteWav(const std::filesystem::path& file, const ToneSpec& tone);

// Adds bytes at the end of a file, or keeps only its first bytes.
void AppendBytes(const std::filesystem::path& file, const std::vector<char>& bytes);
void CutFile(const std::filesystem::path& file, std::uintmax_t keptBytes);

// One Ogg page within the bytes of a file, and the granule position it carries.
struct OggPageSpan {
    std::size_t offset = 0;
    std::size_t size = 0;
    std::int64_t granule = 0;
};

// The pages of an Ogg file in file order (stops at the first bytes that are no page).
std::vector<OggPageSpan> OggPages(const std::vector<char>& bytes);

// Writes a new granule position into a page and brings its checksum up to date.
void SetOggGranule(std::vector<char>& bytes, const OggPageSpan& page, std::int64_t granule);

// Dominant frequency of one channel of interleaved samples (for checking channel order).
double DominantFrequency(const std::vector<std::int16_t>& interleaved, int channels, int channel,
                         int sampleRate);

} // namespace zent::test
