#include "convert/WavWriter.h"

#include "convert/ConversionView.h"
#include "convert/OutputFile.h"
#include "convert/Progress.h"
#include "decode/Decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace zent {

namespace {

void PatchSizes(OutputFile& file, std::uint64_t dataBytes) {
    const auto data = static_cast<std::uint32_t>(dataBytes);
    file.WriteAt(kWavRiffSizeOffset, LittleEndian32(data + kWavRiffOverhead));
    file.WriteAt(kWavDataSizeOffset, LittleEndian32(data));
}

std::uint64_t WholeFrames(std::uint64_t bytes, std::uint16_t blockAlign) {
    return blockAlign == 0 ? bytes : bytes - bytes % blockAlign;
}

std::string DoneText(int percent) {
    return kDonePrefix + std::to_string(percent) + kDoneSuffix;
}

// Minutes and seconds, two digits each, as the list shows lengths.
std::string MinutesSeconds(double seconds) {
    const auto whole = static_cast<long long>(std::max(seconds, 0.0));
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld", whole / 60, whole % 60);
    return text;
}

// A stream may end up to one codec frame short of its length; more is a damaged source.
void CheckFullLength(const WavEnding& ending, const std::filesystem::path& sourcePath) {
    const std::int64_t allowed = ending.CodecFrameFrames * ending.Format.BlockAlign();
    const auto data =
        ending.Layout ? ending.SourceBytes : static_cast<std::int64_t>(ending.DataBytes);
    if (data + allowed >= ending.LengthBytes)
        return;
    const double byteRate = ending.Format.ByteRate();
    throw EDecoderError(SourceEndsEarlyMessage(
        sourcePath, byteRate > 0 ? static_cast<double>(data) / byteRate : 0.0,
        byteRate > 0 ? static_cast<double>(ending.LengthBytes) / byteRate : 0.0));
}

} // namespace

void FinishWavFile(OutputFile& file, const WavEnding& ending,
                   const std::filesystem::path& sourcePath) {
    if (!ending.Stopped && !ending.Cut)
        CheckFullLength(ending, sourcePath);
    if (ending.Layout) {
        const std::uint64_t end = ending.Layout->HeaderSize() + ending.DataBytes;
        if (ending.TrimTail)
            file.Truncate(end);
        const std::vector<std::byte> trailer = TrailerAfterData(ending.DataBytes, ending.InfoChunk);
        if (!trailer.empty())
            file.WriteAt(end, trailer);
        for (const WavPatch& patch : ending.Layout->Patches(ending.DataBytes, trailer.size()))
            file.WriteAt(patch.Offset, LittleEndian32(patch.Value));
    } else {
        if (ending.TrimTail)
            file.Truncate(kWavHeaderSize + ending.DataBytes);
        PatchSizes(file, ending.DataBytes);
    }
    file.Commit();
    if (ending.Cut)
        throw EWavSizeLimitError(WavSizeLimitMessage(file.Target()));
}

std::string WavSizeLimitMessage(const std::filesystem::path& targetPath) {
    return "The file \"" + targetPath.string() +
           "\" was cut at the WAV size limit: a WAV file cannot hold more than 4 GB.";
}

std::string SourceEndsEarlyMessage(const std::filesystem::path& sourcePath, double decodedSeconds,
                                   double lengthSeconds) {
    // Decoded time rounded down and length up, so that the two never read the same.
    return "The file \"" + sourcePath.string() + "\" ends early: only " +
           MinutesSeconds(std::floor(decodedSeconds)) + " of " +
           MinutesSeconds(std::ceil(lengthSeconds)) + " could be decoded.";
}

bool WriteWavFile(DecoderStream& stream, const std::filesystem::path& sourcePath,
                  const std::filesystem::path& targetPath, std::span<std::byte> buffer,
                  ConversionView& view, const WavWriterOptions& options) {
    if (buffer.empty())
        throw std::invalid_argument("WriteWavFile needs a decode buffer");
    view.SetStatusText(kOpeningFileText);

    WavFormat format;
    format.Channels = static_cast<std::uint16_t>(stream.Channels());
    format.BitsPerSample = static_cast<std::uint16_t>(stream.BitsPerSample());
    format.SampleRate = static_cast<std::uint32_t>(stream.SampleRate());
    const std::uint16_t blockAlign = format.BlockAlign();

    // Whole frames per block, so that a stop never leaves half a frame behind.
    const std::size_t requestSize =
        buffer.size() >= blockAlign ? WholeFrames(buffer.size(), blockAlign) : buffer.size();
    const std::span<std::byte> request = buffer.first(requestSize);
    // The 44-byte header for 8 and 16 bits in one or two channels, the extensible one else.
    const WavLayout layout = StreamLayout(stream);
    const std::uint64_t maxData =
        WholeFrames(std::min(options.MaxDataBytes, layout.MaxDataBytes()), blockAlign);

    RefuseSourceAsTarget(sourcePath, targetPath);
    OutputFile file(targetPath, options.Existing);
    file.Write(layout.UnfinishedHeader());
    const std::int64_t length = stream.LengthBytes();
    std::uint64_t written = 0;
    bool cut = false;
    bool stopped = false;
    for (;;) {
        const std::size_t received = ReadGuarded(stream, request, sourcePath);
        if (received == 0)
            break;
        const std::uint64_t room = maxData - written;
        const std::size_t kept = received > room ? static_cast<std::size_t>(room) : received;
        file.Write(request.first(kept));
        written += kept;
        if (kept > 0)
            view.AddTotalProgress(static_cast<std::int64_t>(kept));
        if (kept < received) {
            cut = true;
            break;
        }
        view.ProcessEvents();
        if (view.StopRequested()) {
            stopped = true;
            break;
        }
        const int percent = ProgressPercent(static_cast<std::int64_t>(written), length);
        view.SetFileProgress(percent);
        view.SetStatusText(DoneText(percent));
    }
    const WavEnding ending{format, written, length,  stream.CodecFrameFrames(),          stopped,
                           cut,    false,   &layout, static_cast<std::int64_t>(written), {}};
    // The hidden file goes with the OutputFile.
    if (stopped && !options.KeepStoppedFile)
        return false;
    if (!stopped && !cut)
        CheckFullLength(ending, sourcePath);
    view.SetStatusText(kClosingFileText);
    try {
        FinishWavFile(file, ending, sourcePath);
    } catch (const EWavSizeLimitError&) {
        if (options.TakenTarget)
            *options.TakenTarget = file.Target();
        throw;
    }
    if (options.TakenTarget)
        *options.TakenTarget = file.Target();
    return !stopped;
}

bool ConvertFile(const std::filesystem::path& targetPath, const std::filesystem::path& sourcePath,
                 std::span<std::byte> buffer, ConversionView& view,
                 const WavWriterOptions& options) {
    const std::unique_ptr<DecoderStream> stream = OpenDecoderStream(sourcePath);
    if (!stream)
        throw EDecoderError(kSampleNotLoaded);
    return WriteWavFile(*stream, sourcePath, targetPath, buffer, view, options);
}

} // namespace zent
