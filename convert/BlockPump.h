#pragma once

#include "convert/SampleShaper.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <ostream>
#include <span>

namespace zent {

class DecoderStream;
class OutputFile;

inline constexpr std::int64_t kAnyFrames = std::numeric_limits<std::int64_t>::max();

// Output bytes and the source bytes (in the stream's own sample kind) they were made of.
struct Block {
    std::span<const std::byte> Bytes;
    std::int64_t SourceBytes = 0;
};

// Where a file's data comes from, in whole frames. One thread at a time.
class BlockSource {
public:
    virtual ~BlockSource() = default;
    // The bytes of up to maxFrames source frames; empty at the end of the source. The span
    // holds until the next call.
    virtual Block Next(std::int64_t maxFrames) = 0;
    // What is held back for the end (a resampler's tail); once, after the last Next.
    virtual std::span<const std::byte> Flush() { return {}; }
    // Bytes of one source frame, as SourceBytes counts them.
    virtual std::int64_t FrameBytes() const = 0;
};

// The decoder's own 16-bit samples as they come, through the guarded read into the job's
// buffer.
class PlainBlocks final : public BlockSource {
public:
    PlainBlocks(DecoderStream& stream, std::span<std::byte> buffer,
                std::filesystem::path sourcePath);
    Block Next(std::int64_t maxFrames) override;
    std::int64_t FrameBytes() const override { return FFrameBytes; }

private:
    DecoderStream& FStream;
    std::span<std::byte> FRequest; // whole frames, so that a stop never leaves half a frame
    std::filesystem::path FSource;
    std::int64_t FFrameBytes;
};

// Float frames through a shaper: mixed, resampled and written in the output's format.
class ShapedBlocks final : public BlockSource {
public:
    ShapedBlocks(DecoderStream& stream, SampleShaper& shaper, std::size_t bufferBytes,
                 std::filesystem::path sourcePath);
    Block Next(std::int64_t maxFrames) override;
    std::span<const std::byte> Flush() override { return FShaper.Flush(); }
    std::int64_t FrameBytes() const override { return FReader.SourceFrameBytes(); }

private:
    FloatFrameReader FReader;
    SampleShaper& FShaper;
    std::int64_t FChannels;
};

// Where a file's data goes.
class BlockSink {
public:
    virtual ~BlockSink() = default;
    virtual void Put(std::span<const std::byte> bytes) = 0;
};

// A file: from its start on, after what is written (its header), or from an offset on (a
// slice's place).
class FileSink final : public BlockSink {
public:
    explicit FileSink(OutputFile& file) : FFile(file) {}
    FileSink(OutputFile& file, std::uint64_t offset) : FFile(file), FOffset(offset) {}
    void Put(std::span<const std::byte> bytes) override;

private:
    OutputFile& FFile;
    std::optional<std::uint64_t> FOffset;
};

// Standard output, in order; a failed write (a reader gone, a full disk) throws.
class PipeSink final : public BlockSink {
public:
    explicit PipeSink(std::ostream& out) : FOut(out) {}
    void Put(std::span<const std::byte> bytes) override;
    void Flush();

private:
    void Check() const;
    std::ostream& FOut;
};

struct PumpLimits {
    std::int64_t MaxFrames = kAnyFrames;        // source frames read at most
    std::uint64_t MaxBytes = ~std::uint64_t{0}; // output bytes kept at most
};

struct PumpResult {
    std::uint64_t Written = 0;    // output bytes
    std::int64_t SourceBytes = 0; // source bytes read for them
    bool Interrupted = false;     // the counter ended it
    bool Full = false;            // MaxBytes were reached
};

// Hears of each block's source bytes after it went out; false ends the pump there (a stop).
using BlockCounter = std::function<bool(std::int64_t sourceBytes)>;

// Moves blocks from the source to the sink until the source ends, a limit is reached or the
// counter says stop; then, when neither stopped it, what the source held back.
PumpResult Pump(BlockSource& source, BlockSink& sink, const PumpLimits& limits,
                const BlockCounter& counted);

} // namespace zent
