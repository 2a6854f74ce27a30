#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace zent {

// Turns interleaved frames of 1 to 8 channels (in the decoders' WAV order: FL FR FC LFE BL BR
// SL SR, with a back centre for seven) into mono or stereo. Mono to stereo copies; stereo to
// mono averages; a surround layout goes to stereo with the ITU coefficients: front left and
// right at full level, centre and surrounds at -3 dB (0.7071) to their side, the centre and a
// back centre to both sides, LFE dropped; mono is the average of that stereo mix. When the
// coefficients of an output channel add up to more than 1 they are all divided by that sum,
// so that a full-scale input never clips.
class ChannelMixer {
public:
    // Throws Error for layouts it cannot mix.
    ChannelMixer(int sourceChannels, int targetChannels);

    int SourceChannels() const { return FSource; }
    int TargetChannels() const { return FTarget; }
    // The share of a source channel in a target channel.
    float Coefficient(int target, int source) const {
        return FMatrix[static_cast<std::size_t>(target * FSource + source)];
    }
    // Mixes the whole frames of source into target, which holds room for as many frames of the
    // target channel count; returns the number of target samples written.
    std::size_t Mix(std::span<const float> source, std::span<float> target) const;

private:
    int FSource;
    int FTarget;
    std::vector<float> FMatrix; // target-major
};

} // namespace zent
