#include "convert/TargetNames.h"

#include "filelist/FileList.h"
#include "filelist/Paths.h"
#include "framework/Text.h"

#include <cctype>

namespace zent {

std::string NumberedFileName(std::string_view stem, int number) {
    const std::string suffix = (number > 1 ? " (" + std::to_string(number) + ")" : std::string()) +
                               std::string(kWavExtension);
    return CutUtf8(stem, kMaxFileNameBytes - suffix.size()) + suffix;
}

NumberedName SplitNumberedFileName(std::string_view fileName) {
    std::string_view stem = fileName;
    if (stem.ends_with(kWavExtension))
        stem.remove_suffix(kWavExtension.size());
    const std::size_t open = stem.rfind(" (");
    if (open == std::string_view::npos || !stem.ends_with(')'))
        return {std::string(stem), 1};
    const std::string_view digits = stem.substr(open + 2, stem.size() - open - 3);
    if (digits.empty() || digits.size() > 6 || digits.front() == '0')
        return {std::string(stem), 1};
    for (const char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return {std::string(stem), 1};
    }
    return {std::string(stem.substr(0, open)), std::stoi(std::string(digits))};
}

std::string TargetNames::Claim(const std::string& directory, std::string_view fileName,
                               const std::string& source) {
    // Only the name counts: nothing in it may lead out of the target directory.
    const std::string stem = ChangeFileExt(ExtractFileName(fileName), "");
    std::string target = directory + NumberedFileName(stem, 1);
    for (int number = 2; Taken(target, source); ++number)
        target = directory + NumberedFileName(stem, number);
    FClaimed.emplace(target, source);
    return target;
}

void TargetNames::BeginRun() {
    FEarlier.merge(FClaimed);
    FClaimed.clear();
}

bool TargetNames::Taken(const std::string& target, const std::string& source) const {
    if (FClaimed.contains(target))
        return true;
    const auto earlier = FEarlier.find(target);
    return earlier != FEarlier.end() && (source.empty() || earlier->second != source);
}

} // namespace zent
