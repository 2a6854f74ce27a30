#pragma once

#include "decode/NativeFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

// MPEG audio frames as they stand in a file, read without the decoder: where the audio
// begins and ends, how long a frame is, and what lies between two frames.

namespace zent {

// Four bytes as one number, most significant first: an MPEG frame header.
std::uint32_t BigEndian32(const unsigned char* at);

// size bytes at offset; false when the file does not hold them.
bool ReadAt(NativeFile& file, std::int64_t offset, unsigned char* buffer, std::size_t size);

// Reads elsewhere in a file that libmpg123 reads on from where it left it.
class PositionKept {
public:
    explicit PositionKept(NativeFile& file) : FFile(file), FAt(file.Tell()) {}
    ~PositionKept() { Restore(); }
    PositionKept(const PositionKept&) = delete;
    PositionKept& operator=(const PositionKept&) = delete;
    bool Restore() { return FFile.Seek(FAt, SEEK_SET); }

private:
    NativeFile& FFile;
    std::int64_t FAt;
};

// Where the MPEG data ends by the byte count of a LAME/Xing header in the first frame; -1
// when there is no such count.
std::int64_t EndByInfoHeader(NativeFile& file);

// Where the file's MPEG data ends: before an ID3v1 tag and an APEv2 tag, if there are any.
std::int64_t EndBeforeTags(NativeFile& file);

// Whether the file holds no more than its Info header accounts for. Joined files hold more
// and need their frames counted. A cut file keeps the length its header announces, so that
// a conversion can tell that it ended early instead of passing a short file off as whole.
bool InfoHeaderCoversTheFile(NativeFile& file);

// MPEG version, layer, sampling rate and mono or not: what fixes the decoded format.
std::uint32_t FormatKey(std::uint32_t header);

// The length in bytes of an MPEG audio frame by its header; 0 for bytes that are no frame
// header, and for free-format frames, whose length the header does not tell.
std::int64_t FrameBytesByHeader(std::uint32_t header);

// Bytes from..to between two frames of audio, less what held no audio to lose: the tags and
// the Info frame that each part of joined files brings along.
std::int64_t LostBytes(NativeFile& file, std::int64_t from, std::int64_t to);

// Whether the frame at..end is audio after a gap. Damage decodes now and then as a frame of its
// own: bytes that pass for a frame header, with no frame of the same format following on. The
// last frame has none.
bool FollowedOn(NativeFile& file, std::int64_t at, std::int64_t end);

// Past ID3v2 tags at at (joined files keep the tag of each part).
std::int64_t SkipId3v2Tags(NativeFile& file, std::int64_t at, std::int64_t end);

// Where the first run of frames long enough to be audio (eight following on) begins at or after at;
// -1 when none does.
std::int64_t NextRunStart(NativeFile& file, std::int64_t at, std::int64_t end);

// Where the audio of the file ends: after the last run of frames that is long enough to be
// audio. Whatever follows it (a junk tail: a pre-allocated download, a stray tag, another
// file's bytes) holds at most stray frames, which would decode to noise, or make a format
// change that is none. Runs broken by damage or by the tags of joined files go on where
// the next long run begins. -1 when no run is long enough to tell.
std::int64_t AudioEnd(NativeFile& file, std::int64_t end);

} // namespace zent
