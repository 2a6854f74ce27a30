#pragma once

#include <cstdint>

namespace zent {

class NativeFile;

// What the first logical stream of an Ogg file holds, by its first packet.
enum class OggCodec { Vorbis, Opus, Flac, Speex, Other };

// Where the first page of a logical stream begins within the first 64 KB of the file; -1
// when there is none. The position is back at the start after it.
std::int64_t FirstOggPage(NativeFile& file);

// The codec of the file's first logical stream, by its first page (after junk at the start,
// if any); Other without one. The position is back at the start after it.
OggCodec FirstOggCodec(NativeFile& file);

// Whether the granule position of the file's last page cannot be true: smaller than the one
// before it, or further on than the page's bytes could hold frames. The position is back
// where it was.
bool LastGranuleIsWrong(NativeFile& file, std::int64_t maxFramesPerByte);

// Where the first link of another codec than the file's first begins; -1 when there is none.
// Reads the file up to there; the position is back at the start after it.
std::int64_t ForeignLinkStart(NativeFile& file);

// Whether the last whole page of the file lacks the end-of-stream mark: the file was cut
// short, or is a capture of a live stream. The position is back where it was.
bool LastPageLacksEndMark(NativeFile& file);

} // namespace zent
