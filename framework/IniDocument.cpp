#include "framework/IniDocument.h"

#include "framework/Text.h"

#include <algorithm>

namespace zent {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A carriage return left over from mixed line breaks is a blank too: written back with the
// file's own line break it would vanish, and the line would read differently.
constexpr std::string_view kBlanks = " \t\r";
constexpr char kQuote = '"';

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// "[name]" gives name; other lines give nothing.
std::optional<std::string> SectionName(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[')
        return std::nullopt;
    std::string_view name = trimmed.substr(1);
    const auto close = name.find(']');
    if (close != std::string_view::npos)
        name = name.substr(0, close);
    return std::string(Trim(name));
}

std::string KeyOf(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return {};
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return {};
    return std::string(Trim(trimmed.substr(0, equals)));
}

bool IsQuoted(std::string_view value) {
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
           value.back() == value.front();
}

// Blanks around a value are not part of it, and one pair of enclosing quotes is taken off as
// other INI readers do; a value that would lose either is therefore written inside quotes.
// A carriage return ends the value as SetValue ends it there, so what is read saves unchanged.
std::string ValueOf(std::string_view line) {
    std::string_view value = line.substr(line.find('=') + 1);
    value = Trim(value.substr(0, value.find('\r')));
    if (IsQuoted(value))
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::string ValueText(std::string_view value) {
    const bool needsQuotes =
        !value.empty() && (kBlanks.find(value.front()) != std::string_view::npos ||
                           kBlanks.find(value.back()) != std::string_view::npos || IsQuoted(value));
    if (!needsQuotes)
        return std::string(value);
    return kQuote + std::string(value) + kQuote;
}

bool IsBlank(std::string_view line) {
    return Trim(line).empty();
}

} // namespace

TIniDocument TIniDocument::Parse(std::string_view text) {
    TIniDocument document;
    if (text.starts_with(kByteOrderMark)) {
        document.FByteOrderMark = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    if (const auto end = text.find('\n');
        end != std::string_view::npos && end > 0 && text[end - 1] == '\r')
        document.FLineBreak = "\r\n";
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        // Every carriage return at the end: a lone one written back before the line break
        // would turn it into a CRLF, and the next read would take the file for another
        // line-break style.
        while (line.ends_with('\r'))
            line.remove_suffix(1);
        if (auto name = SectionName(line)) {
            document.FSections.push_back(Section{std::string(line), std::move(*name), {}});
            continue;
        }
        Line entry{std::string(line), KeyOf(line)};
        if (document.FSections.empty())
            document.FPreamble.push_back(std::move(entry));
        else
            document.FSections.back().Lines.push_back(std::move(entry));
    }
    return document;
}

std::string TIniDocument::Text() const {
    std::string text;
    if (FByteOrderMark)
        text += kByteOrderMark;
    const auto append = [&](const std::string& line) {
        text += line;
        text += FLineBreak;
    };
    for (const Line& line : FPreamble)
        append(line.Text);
    for (const Section& section : FSections) {
        append(section.Header);
        for (const Line& line : section.Lines)
            append(line.Text);
    }
    return text;
}

TIniDocument::Section* TIniDocument::Find(std::string_view section) {
    for (Section& candidate : FSections) {
        if (SameText(candidate.Name, section))
            return &candidate;
    }
    return nullptr;
}

const TIniDocument::Section* TIniDocument::Find(std::string_view section) const {
    return const_cast<TIniDocument*>(this)->Find(section);
}

std::optional<std::string> TIniDocument::Value(std::string_view section,
                                               std::string_view key) const {
    const Section* found = Find(section);
    if (found == nullptr)
        return std::nullopt;
    for (const Line& line : found->Lines) {
        if (!line.Key.empty() && SameText(line.Key, key))
            return ValueOf(line.Text);
    }
    return std::nullopt;
}

std::vector<std::string> TIniDocument::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    if (const Section* found = Find(section)) {
        for (const Line& line : found->Lines) {
            if (!line.Key.empty())
                keys.push_back(line.Key);
        }
    }
    return keys;
}

void TIniDocument::SetValue(std::string_view section, std::string_view key,
                            std::string_view value) {
    const std::string text = ValueText(value.substr(0, value.find_first_of("\r\n")));
    Section* found = Find(section);
    if (found == nullptr) {
        // A blank line keeps a new section apart from what stands before it.
        std::vector<Line>& last = FSections.empty() ? FPreamble : FSections.back().Lines;
        const bool documentEmpty = FSections.empty() && FPreamble.empty();
        if (!documentEmpty && (last.empty() || !IsBlank(last.back().Text)))
            last.push_back(Line{});
        FSections.push_back(
            Section{std::string("[").append(section).append("]"), std::string(section), {}});
        found = &FSections.back();
    }
    std::size_t insertAt = 0;
    for (std::size_t i = 0; i < found->Lines.size(); ++i) {
        Line& line = found->Lines[i];
        if (line.Key.empty())
            continue;
        if (SameText(line.Key, key)) {
            line.Text.erase(line.Text.find('=') + 1);
            line.Text += text;
            return;
        }
        insertAt = i + 1;
    }
    found->Lines.insert(found->Lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                        Line{std::string(key) + "=" + text, std::string(key)});
}

void TIniDocument::EraseSection(std::string_view section) {
    std::erase_if(FSections, [section](const Section& candidate) {
        return SameText(candidate.Name, section);
    });
}

} // namespace zent
