#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zent {

// The text of an INI file held in memory. Sections and keys are matched without regard to
// case; everything that is not touched (other sections, key order, comments, blank lines, line
// breaks) keeps its text.
class TIniDocument {
public:
    static TIniDocument Parse(std::string_view text);
    std::string Text() const;

    // The key's value without surrounding blanks and enclosing quotes; nothing if the key is
    // absent.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // Key names of the section in file order; empty for an absent section.
    std::vector<std::string> Keys(std::string_view section) const;
    // Replaces the value in place, or appends the key after the section's last key, creating
    // the section at the end of the document if needed. A value is cut at its first line
    // break so that it cannot add lines of its own, and quoted where Value would otherwise
    // not give it back.
    void SetValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes the section's header and all its lines.
    void EraseSection(std::string_view section);

private:
    struct Line {
        std::string Text;
        std::string Key; // empty for comments, blank lines and other lines without a key
    };
    struct Section {
        std::string Header;
        std::string Name;
        std::vector<Line> Lines;
    };

    Section* Find(std::string_view section);
    const Section* Find(std::string_view section) const;

    bool FByteOrderMark = false;
    std::string FLineBreak = "\n";
    std::vector<Line> FPreamble;
    std::vector<Section> FSections;
};

} // namespace zent
