#include "convert/WavFinish.h"

#include "convert/OutputFile.h"
#include "decode/Decoder.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <vector>

namespace zent {

namespace {

// Data moves in pieces of this size when its header grows.
constexpr std::uint64_t kMoveBlock = 1 << 20;

// Minutes and seconds, two digits each, as the list shows lengths.
std::string MinutesSeconds(double seconds) {
    const auto whole = static_cast<long long>(std::max(seconds, 0.0));
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld", whole / 60, whole % 60);
    return text;
}

// Moves bytes [from, from + count) of the file to start at to (> from), last piece first.
void MoveUp(OutputFile& file, std::uint64_t from, std::uint64_t to, std::uint64_t count) {
    std::vector<std::byte> piece(static_cast<std::size_t>(std::min(count, kMoveBlock)));
    std::uint64_t left = count;
    while (left > 0) {
        const std::uint64_t size = std::min<std::uint64_t>(left, piece.size());
        left -= size;
        const std::span<std::byte> bytes(piece.data(), static_cast<std::size_t>(size));
        if (file.ReadAt(from + left, bytes) != bytes.size())
            throw EStreamError(StreamWriteErrorText(file.Target(), EIO));
        file.WriteAt(to + left, bytes);
    }
}

} // namespace

CoreText SourceEndsEarlyText(const std::filesystem::path& sourcePath, double decodedSeconds,
                             double lengthSeconds) {
    // Decoded time rounded down and length up, so that the two never read the same.
    return {CoreTextId::EndsEarly,
            {sourcePath.string(), MinutesSeconds(std::floor(decodedSeconds)),
             MinutesSeconds(std::ceil(lengthSeconds))}};
}

std::string SourceEndsEarlyMessage(const std::filesystem::path& sourcePath, double decodedSeconds,
                                   double lengthSeconds) {
    return SourceEndsEarlyText(sourcePath, decodedSeconds, lengthSeconds).English();
}

void CheckFullLength(const std::filesystem::path& sourcePath, std::int64_t decodedBytes,
                     std::int64_t lengthBytes, std::int64_t allowedShortBytes,
                     std::int64_t bytesPerSecond) {
    if (decodedBytes + allowedShortBytes >= lengthBytes)
        return;
    const auto rate = static_cast<double>(bytesPerSecond);
    throw EDecoderError(
        SourceEndsEarlyText(sourcePath, rate > 0 ? static_cast<double>(decodedBytes) / rate : 0.0,
                            rate > 0 ? static_cast<double>(lengthBytes) / rate : 0.0));
}

void FinishWavFile(OutputFile& file, const WavFinish& finish,
                   const std::filesystem::path& sourcePath) {
    if (!finish.Stopped)
        CheckFullLength(sourcePath, finish.SourceBytes, finish.LengthBytes,
                        finish.AllowedShortBytes, finish.SourceBytesPerSecond);
    const std::vector<std::byte> trailer(
        TrailerAfterData(finish.DataBytes,
                         std::vector<std::byte>(finish.InfoChunk.begin(), finish.InfoChunk.end())));
    if (finish.TrimTail)
        file.Truncate(finish.Layout.HeaderSize() + finish.DataBytes);
    const WavLayout layout =
        finish.Layout.For(finish.DataBytes, trailer.size(), finish.MaxRiffDataBytes);
    if (layout.HeaderSize() != finish.Layout.HeaderSize()) {
        MoveUp(file, finish.Layout.HeaderSize(), layout.HeaderSize(), finish.DataBytes);
        file.WriteAt(0, layout.UnfinishedHeader());
    }
    const std::uint64_t end = layout.HeaderSize() + finish.DataBytes;
    if (!trailer.empty())
        file.WriteAt(end, trailer);
    for (const WavPatch& patch : layout.Patches(finish.DataBytes, trailer.size()))
        file.WriteAt(patch.Offset, patch.Bytes());
    file.Commit();
}

} // namespace zent
