#pragma once

#include <cstdint>
#include <vector>

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

// One link of a chained Ogg file: where its first page lies, and its format by the first
// packet of its first stream.
struct OggLink {
    std::int64_t Offset = 0;
    OggCodec Codec = OggCodec::Other;
    int Channels = 0;
    int SampleRate = 0;
};

// Every link of the file, in order. Reads the whole file; the position is back at the start.
std::vector<OggLink> OggLinks(NativeFile& file);

// Whether the last whole page of the file lacks the end-of-stream mark: the file was cut
// short, or is a capture of a live stream. The position is back where it was.
bool LastPageLacksEndMark(NativeFile& file);

} // namespace zent
