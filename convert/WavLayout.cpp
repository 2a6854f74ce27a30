#include "convert/WavLayout.h"

#include "decode/Decoder.h"
#include "framework/Errors.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace zent {

namespace {

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagIeeeFloat = 3;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
constexpr std::uint32_t kPcmFmtSize = 16;
constexpr std::uint32_t kFloatFmtSize = 18;      // with an empty extension (cbSize 0)
constexpr std::uint32_t kExtensibleFmtSize = 40; // cbSize 22
constexpr std::uint16_t kExtensionSize = 22;
constexpr std::uint32_t kFactSize = 4;
constexpr std::uint64_t kChunkHeader = 8;
// RIFF, data and frame sizes of 64 bits and an empty table of other chunks' sizes.
constexpr std::uint32_t kDs64Size = 28;
constexpr std::uint64_t kDs64Offset =
    20; // the RIFF size, after "RF64", its size, "WAVE", "ds64", 28
// The largest file size RF64 can be asked to hold: the readers' signed 64-bit offsets.
constexpr std::uint64_t kMax64 =
    static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
// "RIFF", its size, "WAVE".
constexpr std::uint64_t kRiffHeader = 12;
constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();

// The tail of the subformat GUIDs; the first two bytes are the format tag.
constexpr std::array<std::uint8_t, 14> kSubformatTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// Speaker bits of the WAV order: FL FR FC LFE BL BR, back centre, SL SR.
constexpr std::array<std::uint32_t, 9> kChannelMasks = {
    0, 0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x70F, 0x63F,
};

class ByteAppender {
public:
    explicit ByteAppender(std::vector<std::byte>& bytes) : FBytes(bytes) {}
    void Tag(std::string_view four) {
        for (const char c : four.substr(0, 4))
            FBytes.push_back(static_cast<std::byte>(c));
    }
    void U16(std::uint16_t value) {
        FBytes.push_back(static_cast<std::byte>(value & 0xFFu));
        FBytes.push_back(static_cast<std::byte>(value >> 8));
    }
    void U32(std::uint32_t value) { Le(value, 4); }
    void U64(std::uint64_t value) { Le(value, 8); }
    void Le(std::uint64_t value, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i)
            FBytes.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFFu));
    }
    void Raw(std::string_view text) {
        for (const char c : text)
            FBytes.push_back(static_cast<std::byte>(c));
    }

private:
    std::vector<std::byte>& FBytes;
};

std::uint64_t FmtSizeOf(WavCoding coding) {
    switch (coding) {
    case WavCoding::Pcm:
        return kPcmFmtSize;
    case WavCoding::IeeeFloat:
        return kFloatFmtSize;
    default:
        return kExtensibleFmtSize;
    }
}

bool HasFact(WavCoding coding) {
    return coding == WavCoding::IeeeFloat || coding == WavCoding::ExtensibleFloat;
}

} // namespace

std::vector<std::byte> WavPatch::Bytes() const {
    std::vector<std::byte> bytes;
    ByteAppender(bytes).Le(Value, Width);
    return bytes;
}

std::uint32_t WavChannelMask(int channels) {
    return channels >= 0 && channels < static_cast<int>(kChannelMasks.size())
               ? kChannelMasks[static_cast<std::size_t>(channels)]
               : 0;
}

WavLayout::WavLayout(SampleFormat format, int channels, std::uint32_t sampleRate, int validBits,
                     std::uint32_t channelMask, WavContainer container)
    : FFormat(format),
      FValidBits(static_cast<std::uint16_t>(
          validBits > 0 && validBits < BitsPerSample(format) ? validBits : BitsPerSample(format))),
      FChannelMask(channelMask != 0 ? channelMask : WavChannelMask(channels)),
      FCoding(WavCoding::Pcm), FContainer(container), FChannels(0), FSampleRate(sampleRate),
      FBlockAlign(0) {
    const std::int64_t frameBytes = std::int64_t{channels} * BytesPerSample(format);
    if (channels < 1 || frameBytes > std::numeric_limits<std::uint16_t>::max() || sampleRate == 0 ||
        std::uint64_t{sampleRate} * static_cast<std::uint64_t>(frameBytes) > kMax32)
        throw Error("A WAV file cannot hold " + std::to_string(channels) + " channels at " +
                    std::to_string(sampleRate) + " Hz.");
    FChannels = static_cast<std::uint16_t>(channels);
    FBlockAlign = static_cast<std::uint16_t>(frameBytes);
    const bool wide = channels > 2;
    if (IsFloat(format))
        FCoding = wide ? WavCoding::ExtensibleFloat : WavCoding::IeeeFloat;
    else
        FCoding = wide || BitsPerSample(format) > 16 || FValidBits < BitsPerSample(format)
                      ? WavCoding::ExtensiblePcm
                      : WavCoding::Pcm;
}

WavLayout WavLayout::Plain(SampleFormat format, int channels, std::uint32_t sampleRate) {
    WavLayout layout(format, channels, sampleRate);
    layout.FCoding = WavCoding::Pcm;
    return layout;
}

WavLayout WavLayout::DecoderSamples(int bitsPerSample, int channels, std::uint32_t sampleRate) {
    return Plain(bitsPerSample == 8 ? SampleFormat::U8 : SampleFormat::S16, channels, sampleRate);
}

WavLayout WavLayout::AsRf64() const {
    WavLayout layout = *this;
    layout.FContainer = WavContainer::Rf64;
    return layout;
}

WavLayout WavLayout::For(std::uint64_t dataBytes, std::uint64_t trailerBytes,
                         std::uint64_t limit) const {
    if (FContainer == WavContainer::Rf64 ||
        (dataBytes <= MaxDataBytes(trailerBytes) && dataBytes <= limit))
        return *this;
    return AsRf64();
}

std::size_t WavLayout::HeaderSize() const {
    return static_cast<std::size_t>(
        kRiffHeader + (FContainer == WavContainer::Rf64 ? kChunkHeader + kDs64Size : 0) +
        kChunkHeader + FmtSizeOf(FCoding) + (HasFact(FCoding) ? kChunkHeader + kFactSize : 0) +
        kChunkHeader);
}

std::uint64_t WavLayout::MaxDataBytes(std::uint64_t trailerBytes) const {
    const std::uint64_t limit = FContainer == WavContainer::Rf64 ? kMax64 : kMax32;
    const std::uint64_t overhead = HeaderSize() - kChunkHeader + trailerBytes;
    if (overhead >= limit)
        return 0;
    const std::uint64_t room = limit - overhead;
    return room - room % FBlockAlign;
}

std::vector<std::byte> WavLayout::UnfinishedHeader() const {
    return BuildHeader(0, 0, 0);
}

std::vector<std::byte> WavLayout::Header(std::uint64_t dataBytes,
                                         std::uint64_t trailerBytes) const {
    const std::vector<WavPatch> sizes = Patches(dataBytes, trailerBytes);
    return BuildHeader(sizes[0].Value, sizes[1].Value, sizes.size() > 2 ? sizes[2].Value : 0);
}

std::vector<std::byte> WavLayout::BuildHeader(std::uint64_t riffSize, std::uint64_t dataSize,
                                              std::uint64_t frames) const {
    std::vector<std::byte> bytes;
    bytes.reserve(HeaderSize());
    ByteAppender out(bytes);
    const bool extensible =
        FCoding == WavCoding::ExtensiblePcm || FCoding == WavCoding::ExtensibleFloat;
    const auto bits = static_cast<std::uint16_t>(BitsPerSample(FFormat));
    const std::uint16_t plainTag = IsFloat(FFormat) ? kTagIeeeFloat : kTagPcm;

    const bool rf64 = FContainer == WavContainer::Rf64;
    // In RF64 the 32-bit fields say "see ds64".
    const auto field = [&](std::uint64_t value) {
        return rf64 ? static_cast<std::uint32_t>(kMax32) : static_cast<std::uint32_t>(value);
    };
    out.Tag(rf64 ? "RF64" : "RIFF");
    out.U32(field(riffSize));
    out.Tag("WAVE");
    if (rf64) {
        out.Tag("ds64");
        out.U32(kDs64Size);
        out.U64(riffSize);
        out.U64(dataSize);
        out.U64(frames);
        out.U32(0);
    }
    out.Tag("fmt ");
    out.U32(static_cast<std::uint32_t>(FmtSizeOf(FCoding)));
    out.U16(extensible ? kTagExtensible : plainTag);
    out.U16(FChannels);
    out.U32(FSampleRate);
    out.U32(ByteRate());
    out.U16(FBlockAlign);
    out.U16(bits);
    if (FCoding == WavCoding::IeeeFloat) {
        out.U16(0);
    } else if (extensible) {
        out.U16(kExtensionSize);
        out.U16(FValidBits);
        out.U32(FChannelMask);
        out.U16(plainTag);
        for (const std::uint8_t b : kSubformatTail)
            bytes.push_back(static_cast<std::byte>(b));
    }
    if (HasFact(FCoding)) {
        out.Tag("fact");
        out.U32(kFactSize);
        out.U32(field(frames));
    }
    out.Tag("data");
    out.U32(field(dataSize));
    return bytes;
}

std::vector<std::byte> WavLayout::StreamingHeader() const {
    return Header(MaxDataBytes());
}

std::vector<WavPatch> WavLayout::Patches(std::uint64_t dataBytes,
                                         std::uint64_t trailerBytes) const {
    const std::uint64_t riff = HeaderSize() - kChunkHeader + dataBytes + trailerBytes;
    if (riff > (FContainer == WavContainer::Rf64 ? kMax64 : kMax32) || riff < dataBytes)
        throw Error("A WAV file cannot hold more than 4 GB.");
    const std::uint64_t frames = dataBytes / FBlockAlign;
    if (FContainer == WavContainer::Rf64)
        return {
            {kDs64Offset, riff, 8}, {kDs64Offset + 8, dataBytes, 8}, {kDs64Offset + 16, frames, 8}};
    const std::uint64_t header = HeaderSize();
    std::vector<WavPatch> patches = {
        {4, static_cast<std::uint32_t>(riff)},
        {header - 4, static_cast<std::uint32_t>(dataBytes)},
    };
    if (HasFact(FCoding)) {
        // The fact chunk's frame count is the last field before the data chunk's header.
        patches.push_back({header - kChunkHeader - kFactSize, frames});
    }
    return patches;
}

WavLayout StreamLayout(const DecoderStream& stream) {
    if (stream.Kind() == SampleKind::Int16)
        return WavLayout::Plain(stream.BitsPerSample() == 8 ? SampleFormat::U8 : SampleFormat::S16,
                                stream.Channels(), static_cast<std::uint32_t>(stream.SampleRate()));
    SampleFormat format = SampleFormat::S16;
    switch (stream.Kind() == SampleKind::Float32 ? 0 : stream.BitsPerSample()) {
    case 0:
        format = SampleFormat::F32;
        break;
    case 8:
        format = SampleFormat::U8;
        break;
    case 24:
        format = SampleFormat::S24;
        break;
    case 32:
        format = SampleFormat::S32;
        break;
    default:
        break;
    }
    return {format, stream.Channels(), static_cast<std::uint32_t>(stream.SampleRate()),
            stream.ValidBits(), stream.ChannelMask()};
}

std::vector<std::byte> BuildInfoChunk(const AudioTags& tags) {
    const std::array<std::pair<std::string_view, const std::string*>, 7> fields = {{
        {"INAM", &tags.Title},
        {"IART", &tags.Artist},
        {"IPRD", &tags.Album},
        {"ITRK", &tags.Track},
        {"ICRD", &tags.Date},
        {"IGNR", &tags.Genre},
        {"ICMT", &tags.Comment},
    }};
    std::vector<std::byte> bytes;
    if (tags.Empty())
        return bytes;
    ByteAppender out(bytes);
    out.Tag("LIST");
    out.U32(0); // set below
    out.Tag("INFO");
    for (const auto& [id, value] : fields) {
        // A NUL inside a value would end it early for every reader.
        const std::string text = value->substr(0, value->find('\0'));
        if (text.empty())
            continue;
        const std::uint64_t size = text.size() + 1;
        if (bytes.size() + kChunkHeader + size + 1 > kMax32 / 2)
            break; // absurdly long tags: the rest are left out
        out.Tag(id);
        out.U32(static_cast<std::uint32_t>(size));
        out.Raw(text);
        bytes.push_back(std::byte{0});
        if (size % 2 != 0)
            bytes.push_back(std::byte{0});
    }
    if (bytes.size() == kRiffHeader)
        return {};
    const auto listSize = static_cast<std::uint32_t>(bytes.size() - kChunkHeader);
    for (int i = 0; i < 4; ++i)
        bytes[4 + static_cast<std::size_t>(i)] =
            static_cast<std::byte>((listSize >> (8 * i)) & 0xFFu);
    return bytes;
}

std::vector<std::byte> TrailerAfterData(std::uint64_t dataBytes,
                                        const std::vector<std::byte>& chunk) {
    if (chunk.empty())
        return {};
    // The pad byte, when there is one, is the zero the vector starts with.
    const std::size_t pad = dataBytes % 2;
    std::vector<std::byte> trailer(pad + chunk.size());
    std::copy(chunk.begin(), chunk.end(), trailer.begin() + static_cast<std::ptrdiff_t>(pad));
    return trailer;
}

} // namespace zent
