#include "framework/Strings.h"

#include "framework/Assert.h"
#include "framework/Text.h"

namespace zent {

const TClassInfo& TStrings::StaticClassInfo() {
    static const TClassInfo info("TStrings", &TPersistent::StaticClassInfo(), {});
    return info;
}

const std::string& TStrings::Strings(int index) const {
    CheckListIndex(index, Count());
    return FLines[static_cast<std::size_t>(index)];
}

void TStrings::SetStrings(int index, const std::string& text) {
    CheckListIndex(index, Count());
    FLines[static_cast<std::size_t>(index)] = text;
    Changed();
}

int TStrings::Add(const std::string& text) {
    FLines.push_back(text);
    Changed();
    return Count() - 1;
}

void TStrings::Insert(int index, const std::string& text) {
    CheckListIndex(index, Count() + 1);
    FLines.insert(FLines.begin() + index, text);
    Changed();
}

void TStrings::Delete(int index) {
    CheckListIndex(index, Count());
    FLines.erase(FLines.begin() + index);
    Changed();
}

void TStrings::Clear() {
    if (FLines.empty())
        return;
    FLines.clear();
    Changed();
}

void TStrings::Assign(const std::vector<std::string>& lines) {
    BeginUpdate();
    FLines = lines;
    EndUpdate();
}

int TStrings::IndexOf(std::string_view text) const {
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        if (SameText(FLines[i], text))
            return static_cast<int>(i);
    }
    return -1;
}

void TStrings::BeginUpdate() {
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount == 0)
        return;
    --FUpdateCount;
    if (FUpdateCount == 0)
        Changed();
}

void TStrings::Changed() {
    if (FUpdateCount == 0 && FOnChange)
        FOnChange();
}

} // namespace zent
