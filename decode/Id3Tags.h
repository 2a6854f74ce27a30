#pragma once

#include "decode/AudioTags.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace zent {

// The tags of an MP3 file: an ID3v2 tag (versions 2.2, 2.3 and 2.4) at the start, and an
// ID3v1 tag in the last 128 bytes that fills what the ID3v2 tag leaves empty.

// bytes starting with "ID3"; empty tags when they hold no ID3v2 tag. A tag cut short gives
// the frames that are whole.
AudioTags ParseId3v2(std::span<const std::uint8_t> bytes);
// The last 128 bytes of a file, starting with "TAG".
AudioTags ParseId3v1(std::span<const std::uint8_t> bytes);
// The bytes an ID3v2 tag takes (header, body and footer) by its 10-byte header; 0 when the
// bytes are no ID3v2 header.
std::int64_t Id3v2TagBytes(std::span<const std::uint8_t, 10> header);
// Reads both from a file; empty tags when it has none or cannot be read.
AudioTags ReadId3Tags(const std::filesystem::path& path);

} // namespace zent
