#pragma once

#include <cstddef>

namespace zent {

// Float samples of a decoder into 16-bit little-endian WAV frames: scaled, rounded to the
// nearest (halves to even), clamped, with no dither, so that every run and every slice gives
// the same bytes. Three to eight channels go from Vorbis order (which Opus shares) into WAV
// order; more stay as they come. The target may be at any byte.

// One plane of samples per channel.
void PlanarToWav(float** planes, std::size_t frames, int channels, std::byte* target);
// The channels' samples one frame after another.
void InterleavedToWav(const float* samples, std::size_t frames, int channels, std::byte* target);

// The same frames as little-endian 32-bit floats, as they come: no scaling, rounding or
// clamping.
void PlanarToWavFloat(float** planes, std::size_t frames, int channels, std::byte* target);
void InterleavedToWavFloat(const float* samples, std::size_t frames, int channels,
                           std::byte* target);

} // namespace zent
