#include "convert/WavWriter.h"

#include "convert/ConversionView.h"
#include "convert/OutputFile.h"
#include "convert/Progress.h"
#include "decode/Decoder.h"

#include <algorithm>
#include <stdexcept>

namespace zent {

namespace {

void PatchSizes(OutputFile& file, std::uint64_t dataBytes) {
    const auto data = static_cast<std::uint32_t>(dataBytes);
    file.WriteAt(kWavRiffSizeOffset, LittleEndian32(data + kWavRiffOverhead));
    file.WriteAt(kWavDataSizeOffset, LittleEndian32(data));
}

// After an error: leave a file that describes what it holds, without raising a second error
// over the first. A partly stored block is dropped.
void FinishAfterError(OutputFile& file, bool headerWritten, std::uint64_t dataBytes) noexcept {
    try {
        if (headerWritten && file.IsOpen()) {
            file.Truncate(kWavHeaderSize + dataBytes);
            PatchSizes(file, dataBytes);
        }
    } catch (...) {
    }
    try {
        file.Close();
    } catch (...) {
    }
}

std::uint64_t WholeFrames(std::uint64_t bytes, std::uint16_t blockAlign) {
    return blockAlign == 0 ? bytes : bytes - bytes % blockAlign;
}

std::string DoneText(int percent) {
    return kDonePrefix + std::to_string(percent) + kDoneSuffix;
}

} // namespace

std::string WavSizeLimitMessage(const std::filesystem::path& targetPath) {
    return "The file \"" + targetPath.string() +
           "\" was cut at the WAV size limit: a WAV file cannot hold more than 4 GB.";
}

void WriteWavFile(DecoderStream& stream, const std::filesystem::path& targetPath,
                  std::span<std::byte> buffer, ConversionView& view,
                  const WavWriterLimits& limits) {
    if (buffer.empty())
        throw std::invalid_argument("WriteWavFile needs a decode buffer");
    view.SetStatusText(kOpeningFileText);

    WavFormat format;
    format.Channels = static_cast<std::uint16_t>(stream.Channels());
    format.BitsPerSample = static_cast<std::uint16_t>(stream.BitsPerSample());
    format.SampleRate = static_cast<std::uint32_t>(stream.SampleRate());
    const std::uint16_t blockAlign = format.BlockAlign();

    // Whole frames per block, so that a stop or an error never leaves half a frame behind.
    const std::size_t requestSize =
        buffer.size() >= blockAlign ? WholeFrames(buffer.size(), blockAlign) : buffer.size();
    const std::span<std::byte> request = buffer.first(requestSize);
    const std::uint64_t maxData =
        WholeFrames(std::min(limits.MaxDataBytes, kWavMaxDataBytes), blockAlign);

    OutputFile file(targetPath);
    bool headerWritten = false;
    std::uint64_t written = 0;
    bool cut = false;
    try {
        file.Write(BuildWavHeader(format));
        headerWritten = true;
        const std::int64_t length = stream.LengthBytes();
        while (stream.IsActive()) {
            const std::size_t received = stream.Read(request);
            if (received == 0)
                continue;
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
            if (view.StopRequested())
                break;
            const int percent = ProgressPercent(static_cast<std::int64_t>(written), length);
            view.SetFileProgress(percent);
            view.SetStatusText(DoneText(percent));
        }
        view.SetStatusText(kClosingFileText);
        PatchSizes(file, written);
        file.Close();
    } catch (...) {
        FinishAfterError(file, headerWritten, written);
        throw;
    }
    if (cut)
        throw EWavSizeLimitError(WavSizeLimitMessage(targetPath));
}

void ConvertFile(const std::filesystem::path& targetPath, const std::filesystem::path& sourcePath,
                 std::span<std::byte> buffer, ConversionView& view, const WavWriterLimits& limits) {
    const std::unique_ptr<DecoderStream> stream = OpenDecoderStream(sourcePath);
    if (!stream)
        throw EDecoderError(kSampleNotLoaded);
    WriteWavFile(*stream, targetPath, buffer, view, limits);
}

} // namespace zent
