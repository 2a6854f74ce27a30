// How far the samples of an Ogg Opus file decoded from a seek point (with a pre-roll decoded
// and thrown away) are from a decode from the start, at 16 bits and in float.
//   zent_opus_preroll FILE [SLICES]
// For each pre-roll and each slice start (SLICES even slices, 2 by default), prints the
// largest difference in 16-bit steps, the count of 16-bit samples that differ, and the largest
// float difference, over the slice.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <opus/opusfile.h>
#include <vector>

namespace {

constexpr int kRate = 48000;

std::int32_t To16(float value) {
    const double scaled = static_cast<double>(value) * 32768.0;
    if (!(scaled >= -32768.0))
        return -32768;
    if (scaled > 32767.0)
        return 32767;
    return static_cast<std::int32_t>(std::lrint(scaled));
}

// Frames from the current position into samples, up to frames (or the end).
void Decode(OggOpusFile* file, int channels, std::int64_t frames, std::vector<float>& samples) {
    std::vector<float> block(5760 * static_cast<std::size_t>(channels));
    std::int64_t done = 0;
    while (frames < 0 || done < frames) {
        // Never more than wanted: the rest of a packet stays for the next read.
        const std::size_t room =
            frames < 0 ? block.size()
                       : std::min<std::size_t>(block.size(),
                                               static_cast<std::size_t>(frames - done) * channels);
        const int got = op_read_float(file, block.data(), static_cast<int>(room), nullptr);
        if (got == OP_HOLE)
            continue;
        if (got <= 0)
            break;
        const std::int64_t keep = got;
        samples.insert(samples.end(), block.begin(), block.begin() + keep * channels);
        done += keep;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zent_opus_preroll FILE [SLICES]\n");
        return 2;
    }
    const int slices = argc > 2 ? std::atoi(argv[2]) : 2;
    int error = 0;
    OggOpusFile* whole = op_open_file(argv[1], &error);
    if (whole == nullptr)
        return 1;
    const int channels = op_channel_count(whole, -1);
    const std::int64_t total = op_pcm_total(whole, -1);
    std::vector<float> reference;
    Decode(whole, channels, -1, reference);
    op_free(whole);
    std::printf("%s: %d channels, %.1f s\n", argv[1], channels, static_cast<double>(total) / kRate);
    for (const double preroll : {0.08, 0.25, 0.5, 1.0, 2.0, 4.0}) {
        for (int slice = 1; slice < slices; ++slice) {
            const std::int64_t first = total * slice / slices;
            const std::int64_t end = total * (slice + 1) / slices;
            const std::int64_t back =
                std::min<std::int64_t>(first, static_cast<std::int64_t>(preroll * kRate));
            OggOpusFile* file = op_open_file(argv[1], &error);
            if (file == nullptr || op_pcm_seek(file, first - back) != 0)
                return 1;
            std::vector<float> thrown;
            Decode(file, channels, back, thrown);
            std::vector<float> samples;
            Decode(file, channels, end - first, samples);
            op_free(file);
            std::int32_t worst16 = 0;
            std::int64_t differing = 0;
            double worstFloat = 0;
            const std::size_t offset = static_cast<std::size_t>(first) * channels;
            for (std::size_t i = 0; i < samples.size() && offset + i < reference.size(); ++i) {
                const std::int32_t step = std::abs(To16(samples[i]) - To16(reference[offset + i]));
                worst16 = std::max(worst16, step);
                differing += step != 0;
                worstFloat = std::max(
                    worstFloat, std::fabs(static_cast<double>(samples[i] - reference[offset + i])));
            }
            std::printf(
                "pre-roll %.2f s, slice at %.1f s: %lld samples, largest 16-bit "
                "difference %d steps, %lld samples differ, largest float difference "
                "%.3g%s\n",
                preroll, static_cast<double>(first) / kRate, static_cast<long long>(samples.size()),
                worst16, static_cast<long long>(differing), worstFloat,
                samples.size() + offset == reference.size() ||
                        static_cast<std::int64_t>(samples.size()) == (end - first) * channels
                    ? ""
                    : " (short)");
        }
    }
    return 0;
}
