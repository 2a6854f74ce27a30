#pragma once

#include "decode/AudioTags.h"

#include <string>
#include <vector>

namespace zent {

// Vorbis and Opus comments ("KEY=value", keys in any letter case) into tags: TITLE, ARTIST,
// ALBUM, TRACKNUMBER, DATE (or YEAR), GENRE, COMMENT (or DESCRIPTION). A key given more than
// once keeps its values in order, joined with "; ". Other keys are left out.
AudioTags ParseCommentTags(const std::vector<std::string>& comments);

} // namespace zent
