#pragma once

#include "convert/SampleFormat.h"
#include "decode/AudioTags.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zent {

class DecoderStream;

// How the format chunk describes the samples.
enum class WavCoding {
    Pcm,             // tag 1, the 44-byte header: 8 and 16 bits, one or two channels (or any,
                     // for the decoder's own samples)
    IeeeFloat,       // tag 3 with a "fact" chunk: float, one or two channels
    ExtensiblePcm,   // tag 0xFFFE: integers of more than 16 bits or more than two channels
    ExtensibleFloat, // tag 0xFFFE with a "fact" chunk: float, more than two channels
};

// Which RIFF form the header takes: the classic one of 32-bit sizes, or RF64 for data past
// 4 GiB, whose 64-bit sizes stand in a "ds64" chunk with 0xFFFFFFFF in the 32-bit fields.
enum class WavContainer { Riff, Rf64 };

// A little-endian value of Width bytes (4 or 8) to write at an offset of the file.
struct WavPatch {
    std::uint64_t Offset = 0;
    std::uint64_t Value = 0;
    std::size_t Width = 4;
    std::vector<std::byte> Bytes() const;
    bool operator==(const WavPatch&) const = default;
};

// The WAV speaker mask of 1 to 8 channels in the order the decoders hand them over
// (FL FR FC LFE BL BR SL SR, with a back centre for seven); 0 (unassigned) beyond eight.
std::uint32_t WavChannelMask(int channels);

// The header of a WAV file of one sample format, channel count and rate, and the size fields
// that depend on the length. What follows the data (an INFO list) is the trailer: the RIFF
// size covers it.
class WavLayout {
public:
    // Throws Error for 0 or more than 65535 channels or a rate of 0. validBits, when set
    // below the format's bits, says how many high bits of an integer sample carry the signal
    // (a 20-bit source in 24-bit samples); such a file takes the extensible header.
    // channelMask, when set, is the speaker mask of an extensible header instead of
    // WavChannelMask's.
    WavLayout(SampleFormat format, int channels, std::uint32_t sampleRate, int validBits = 0,
              std::uint32_t channelMask = 0, WavContainer container = WavContainer::Riff);
    // The 44-byte header of 8 or 16-bit samples for any channel count, as the window has
    // always written a lossy source's samples.
    static WavLayout Plain(SampleFormat format, int channels, std::uint32_t sampleRate);
    // The decoder's own 8 or 16-bit samples under the 44-byte header, whatever the channel
    // count: the bytes the window has always written.
    static WavLayout DecoderSamples(int bitsPerSample, int channels, std::uint32_t sampleRate);
    // The layout whose sizes fit dataBytes of samples and a trailer of trailerBytes: this one
    // when they fit its 32-bit fields (and limit), else its RF64 form.
    WavLayout For(std::uint64_t dataBytes, std::uint64_t trailerBytes,
                  std::uint64_t limit = ~std::uint64_t{0}) const;
    WavLayout AsRf64() const;

    SampleFormat Format() const { return FFormat; }
    WavCoding Coding() const { return FCoding; }
    WavContainer Container() const { return FContainer; }
    std::uint16_t BlockAlign() const { return FBlockAlign; }
    std::uint32_t ByteRate() const { return FBlockAlign * FSampleRate; }
    std::size_t HeaderSize() const;
    // The most data bytes, in whole frames, whose sizes still fit the size fields.
    std::uint64_t MaxDataBytes(std::uint64_t trailerBytes = 0) const;

    // The header with every size field 0, to patch once the data is written (the 44 bytes
    // the window has always written, for 8 and 16-bit mono and stereo).
    std::vector<std::byte> UnfinishedHeader() const;
    // The header with the sizes of dataBytes of samples and a trailer of trailerBytes: for an
    // output whose length is known before it is written.
    std::vector<std::byte> Header(std::uint64_t dataBytes, std::uint64_t trailerBytes = 0) const;
    // For an output whose length is not known (a pipe): the largest sizes, as streaming
    // tools write them; readers take the data up to the end of the stream. (For RF64 the
    // largest below 2^63: readers refuse sizes of 0 or past a signed 64-bit offset.)
    std::vector<std::byte> StreamingHeader() const;
    // The size fields (RIFF, data, and the frame count) for the finished file. Throws Error
    // when the sizes do not fit.
    std::vector<WavPatch> Patches(std::uint64_t dataBytes, std::uint64_t trailerBytes = 0) const;

private:
    std::vector<std::byte> BuildHeader(std::uint64_t riffSize, std::uint64_t dataSize,
                                       std::uint64_t frames) const;

    SampleFormat FFormat;
    std::uint16_t FValidBits;
    std::uint32_t FChannelMask;
    WavCoding FCoding;
    WavContainer FContainer;
    std::uint16_t FChannels;
    std::uint32_t FSampleRate;
    std::uint16_t FBlockAlign;
};

// The layout of the samples a stream delivers as they are: a lossless source's own 8 to 32-bit
// integers (extensible beyond 16 bits, two channels or with fewer valid bits), else Plain.
WavLayout StreamLayout(const DecoderStream& stream);

// A "LIST" chunk of type "INFO" with the tags that are set (INAM title, IART artist, IPRD
// album, ITRK track, ICRD date, IGNR genre, ICMT comment): UTF-8, NUL-terminated, each
// padded to an even size. Empty when no tag is set.
std::vector<std::byte> BuildInfoChunk(const AudioTags& tags);

// What goes after dataBytes of samples: the pad byte that keeps the next chunk at an even
// offset (only when there is one), then the chunk.
std::vector<std::byte> TrailerAfterData(std::uint64_t dataBytes,
                                        const std::vector<std::byte>& chunk);

} // namespace zent
