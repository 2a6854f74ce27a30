#include "decode/OggStream.h"

#include "decode/OggSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zent {

namespace {

constexpr std::size_t kCarryFrames = 256;

} // namespace

OggStream::OggStream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path,
                     SampleKind kind)
    : FFile(std::move(file)), FPathText(path.string()), FKind(kind) {}

bool OggStream::Rewind() {
    FNoEndMark = LastPageLacksEndMark(*FFile);
    return FFile->Seek(0, SEEK_SET);
}

void OggStream::PrepareCarry() {
    FCarry.resize(kCarryFrames * FrameBytes());
}

void OggStream::ClearCarry() {
    FCarryBegin = 0;
    FCarryEnd = 0;
}

std::size_t OggStream::TakeCarry(std::span<std::byte> buffer) {
    const std::size_t count = std::min(buffer.size(), FCarryEnd - FCarryBegin);
    std::memcpy(buffer.data(), FCarry.data() + FCarryBegin, count);
    FCarryBegin += count;
    return count;
}

ReadResult OggStream::Read(std::span<std::byte> buffer) {
    const std::size_t frameBytes = FrameBytes();
    std::size_t filled = TakeCarry(buffer);
    while (filled < buffer.size() && !FEnded) {
        const std::size_t space = buffer.size() - filled;
        if (space < frameBytes) {
            // Too little room for a whole frame: decode aside and hand over what fits.
            FCarryBegin = 0;
            FCarryEnd = Decode(FCarry.data(), FCarry.size());
            filled += TakeCarry(buffer.subspan(filled));
            break;
        }
        filled += Decode(buffer.data() + filled, space - space % frameBytes);
    }
    return ReadResult::Of(filled, !IsActive());
}

} // namespace zent
