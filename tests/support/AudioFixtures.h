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
