#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace zent {

// The longest file name written, in bytes: what the common file systems take.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// "<stem>.wav" for number 1, "<stem> (N).wav" after it. A stem too long for the name to fit
// kMaxFileNameBytes is cut at a character boundary.
std::string NumberedFileName(std::string_view stem, int number);

// The stem and number of a WAV file name: "a (3).wav" gives "a" and 3, "a.wav" "a" and 1.
struct NumberedName {
    std::string Stem;
    int Number = 1;
};
NumberedName SplitNumberedFileName(std::string_view fileName);

// The WAV names handed out in a run. A name is "<stem>.wav" in the target directory; when
// an earlier file of the same run already took it, "<stem> (2).wav", then " (3)" and so on,
// so that no conversion of a run replaces another. A window keeps one object over all its
// runs, so that no run replaces what an earlier one wrote for another source; the same
// source converted again gets its own name back. Files that were there before are not known
// here: they are replaced as usual.
class TargetNames {
public:
    // directory ends with a separator (or is empty); fileName is the source's name without
    // its directory, source its path (empty: none known). Returns the target path and
    // remembers it.
    std::string Claim(const std::string& directory, std::string_view fileName,
                      const std::string& source = {});
    // The names claimed so far belong to earlier runs from now on.
    void BeginRun();

private:
    bool Taken(const std::string& target, const std::string& source) const;

    std::map<std::string, std::string> FClaimed; // this run's: target, source
    std::map<std::string, std::string> FEarlier; // earlier runs'
};

} // namespace zent
