#pragma once

#include <string>

namespace zent {

// The tags of a source that a WAV file can carry, as UTF-8; empty where the source has none.
struct AudioTags {
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Track;
    std::string Date;
    std::string Genre;
    std::string Comment;

    bool Empty() const {
        return Title.empty() && Artist.empty() && Album.empty() && Track.empty() && Date.empty() &&
               Genre.empty() && Comment.empty();
    }
    bool operator==(const AudioTags&) const = default;
};

} // namespace zent
