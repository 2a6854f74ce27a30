#include "decode/OggStream.h"

#include "decode/OggSupport.h"

#include <algorithm>
#include <cstring>

namespace zent {

namespace {

constexpr std::size_t kCarryFrames = 256;
// Frames decoded after a hole are held back at most this long for a granule position.
constexpr std::int64_t kMaxHeldSeconds = 4;

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

void OggStream::ClearCarry(std::int64_t frame) {
    FCarryBegin = 0;
    FCarryEnd = 0;
    FSilenceBytes = 0;
    FHole = false;
    FFrame = frame;
}

std::vector<CoreText> OggStream::Warnings() const {
    std::vector<CoreText> warnings = DecoderStream::Warnings();
    warnings.insert(warnings.end(), FWarnings.begin(), FWarnings.end());
    return warnings;
}

std::int64_t OggStream::PlaceAfterHole(std::vector<std::byte>& held) {
    const auto frameBytes = static_cast<std::int64_t>(FrameBytes());
    const std::int64_t maxHeld = kMaxHeldSeconds * SampleRate() * frameBytes;
    std::vector<std::byte> more(kCarryFrames * FrameBytes());
    for (;;) {
        const std::int64_t expected = FFrame + static_cast<std::int64_t>(held.size()) / frameBytes;
        // No more silence than the stream's length leaves room for.
        const std::int64_t room = std::max<std::int64_t>(FLengthBytes / frameBytes - expected, 0);
        const std::int64_t position = GranulePosition();
        if (position > expected) {
            return std::min(position - expected, room);
        }
        // The last page's granule, the stream's length, places the frames at its end.
        if (FEnded) {
            return room;
        }
        if (static_cast<std::int64_t>(held.size()) >= maxHeld) {
            return 0;
        }
        const std::size_t got = Decode(more.data(), more.size());
        held.insert(held.end(), more.begin(), more.begin() + static_cast<std::ptrdiff_t>(got));
    }
}

std::size_t OggStream::DecodePlaced(std::byte* target, std::size_t size) {
    const std::size_t got = Decode(target, size);
    const std::size_t frameBytes = FrameBytes();
    if (!FHole) {
        FFrame += static_cast<std::int64_t>(got / frameBytes);
        return got;
    }
    FHole = false;
    std::vector<std::byte> held(target, target + got);
    const std::int64_t silence = PlaceAfterHole(held);
    if (silence > 0) {
        FWarnings.push_back(LostDataWarning(FFrame, silence, SampleRate()));
    }
    FSilenceBytes = silence * static_cast<std::int64_t>(frameBytes);
    FFrame += silence + static_cast<std::int64_t>(held.size() / frameBytes);
    const std::size_t heldBytes = held.size();
    held.resize(std::max(heldBytes, kCarryFrames * frameBytes));
    FCarry = std::move(held);
    FCarryBegin = 0;
    FCarryEnd = heldBytes;
    return 0;
}

std::size_t OggStream::TakeCarry(std::span<std::byte> buffer) {
    const std::size_t count = std::min(buffer.size(), FCarryEnd - FCarryBegin);
    std::memcpy(buffer.data(), FCarry.data() + FCarryBegin, count);
    FCarryBegin += count;
    return count;
}

ReadResult OggStream::Read(std::span<std::byte> buffer) {
    const std::size_t frameBytes = FrameBytes();
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        const std::size_t space = buffer.size() - filled;
        if (FSilenceBytes > 0) {
            const auto count = static_cast<std::size_t>(
                std::min<std::int64_t>(FSilenceBytes, static_cast<std::int64_t>(space)));
            std::memset(buffer.data() + filled, 0, count);
            filled += count;
            FSilenceBytes -= static_cast<std::int64_t>(count);
        } else if (FCarryBegin < FCarryEnd) {
            filled += TakeCarry(buffer.subspan(filled));
        } else if (FEnded) {
            break;
        } else if (space < frameBytes) {
            // Too little room for a whole frame: decode aside and hand over what fits.
            FCarry.resize(std::max(FCarry.size(), kCarryFrames * frameBytes));
            const std::size_t got = DecodePlaced(FCarry.data(), kCarryFrames * frameBytes);
            if (got > 0) {
                FCarryBegin = 0;
                FCarryEnd = got;
            }
        } else {
            filled += DecodePlaced(buffer.data() + filled, space - space % frameBytes);
        }
    }
    return ReadResult::Of(filled, !IsActive());
}

} // namespace zent
