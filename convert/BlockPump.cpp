#include "convert/BlockPump.h"

#include "convert/OutputFile.h"
#include "decode/Decoder.h"

#include <algorithm>
#include <cerrno>

namespace zent {

namespace {

// How the output names standard output in messages.
constexpr const char* kStandardOutputName = "standard output";

} // namespace

PlainBlocks::PlainBlocks(DecoderStream& stream, std::span<std::byte> buffer,
                         std::filesystem::path sourcePath)
    : FStream(stream), FSource(std::move(sourcePath)),
      FFrameBytes(std::max<std::int64_t>(1, static_cast<std::int64_t>(stream.Channels()) *
                                                (stream.BitsPerSample() / 8))) {
    const auto frame = static_cast<std::size_t>(FFrameBytes);
    FRequest =
        buffer.size() >= frame ? buffer.first(buffer.size() - buffer.size() % frame) : buffer;
}

Block PlainBlocks::Next(std::int64_t maxFrames) {
    std::span<std::byte> request = FRequest;
    if (maxFrames < static_cast<std::int64_t>(request.size()) / FFrameBytes)
        request = request.first(static_cast<std::size_t>(maxFrames * FFrameBytes));
    const std::size_t received = ReadGuarded(FStream, request, FSource);
    return {request.first(received), static_cast<std::int64_t>(received)};
}

ShapedBlocks::ShapedBlocks(DecoderStream& stream, SampleShaper& shaper, std::size_t bufferBytes,
                           std::filesystem::path sourcePath)
    : FReader(stream, bufferBytes, std::move(sourcePath)), FShaper(shaper),
      FChannels(stream.Channels()) {}

Block ShapedBlocks::Next(std::int64_t maxFrames) {
    const std::span<const float> frames = FReader.Next(maxFrames);
    if (frames.empty())
        return {};
    const std::int64_t sourceBytes =
        static_cast<std::int64_t>(frames.size()) / FChannels * FReader.SourceFrameBytes();
    return {FShaper.Process(frames), sourceBytes};
}

void FileSink::Put(std::span<const std::byte> bytes) {
    if (!FOffset) {
        FFile.Write(bytes);
        return;
    }
    FFile.WriteAt(*FOffset, bytes);
    *FOffset += bytes.size();
}

void PipeSink::Put(std::span<const std::byte> bytes) {
    errno = 0;
    FOut.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    Check();
}

void PipeSink::Flush() {
    FOut.flush();
    Check();
}

void PipeSink::Check() const {
    if (!FOut)
        throw EStreamError(StreamWriteErrorText(kStandardOutputName, errno != 0 ? errno : EIO));
}

PumpResult Pump(BlockSource& source, BlockSink& sink, const PumpLimits& limits,
                const BlockCounter& counted) {
    PumpResult result;
    // False once the limit cut the bytes.
    const auto put = [&](std::span<const std::byte> bytes) {
        const std::uint64_t kept =
            std::min<std::uint64_t>(bytes.size(), limits.MaxBytes - result.Written);
        if (kept > 0)
            sink.Put(bytes.first(static_cast<std::size_t>(kept)));
        result.Written += kept;
        return kept == bytes.size();
    };
    std::int64_t framesLeft = limits.MaxFrames;
    while (framesLeft > 0) {
        const Block block = source.Next(framesLeft);
        if (block.SourceBytes == 0 && block.Bytes.empty())
            break;
        result.SourceBytes += block.SourceBytes;
        if (limits.MaxFrames != kAnyFrames)
            framesLeft = limits.MaxFrames - result.SourceBytes / source.FrameBytes();
        result.Full = !put(block.Bytes);
        if (!counted(block.SourceBytes)) {
            result.Interrupted = true;
            return result;
        }
        if (result.Full)
            return result;
    }
    result.Full = !put(source.Flush());
    return result;
}

} // namespace zent
