#pragma once

#include <cstdint>

namespace zent {

class NativeFile;

// What the first logical stream of an Ogg file holds, by its first packet.
enum class OggCodec { Vorbis, Opus, Flac, Speex, Other };

// Reads the start of the file; the position is back at the start after it.
OggCodec FirstOggCodec(NativeFile& file);

// Where the first link of another codec than the file's first begins; -1 when there is none.
// Reads the file up to there; the position is back at the start after it.
std::int64_t ForeignLinkStart(NativeFile& file);

// Whether the last whole page of the file lacks the end-of-stream mark: the file was cut
// short, or is a capture of a live stream. The position is back where it was.
bool LastPageLacksEndMark(NativeFile& file);

} // namespace zent
