#pragma once

#include <set>
#include <string>
#include <string_view>

namespace zent {

// The WAV names handed out in one run. A name is "<stem>.wav" in the target directory; when
// an earlier file of the same run already took it, "<stem> (2).wav", then " (3)" and so on,
// so that no conversion of a run replaces another. Files that were there before the run are
// not known here: they are replaced as usual.
class TargetNames {
public:
    // directory ends with a separator (or is empty); fileName is the source's name without
    // its directory. Returns the target path and remembers it.
    std::string Claim(const std::string& directory, std::string_view fileName);

private:
    std::set<std::string> FClaimed;
};

} // namespace zent
