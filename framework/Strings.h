#pragma once

#include "framework/Object.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zent {

// A list of text lines. OnChange runs after every change, or once at the end of a batch
// bracketed by BeginUpdate/EndUpdate; the closing EndUpdate always notifies.
class TStrings : public TPersistent {
public:
    using ChangeHandler = std::function<void()>;

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    int Count() const { return static_cast<int>(FLines.size()); }
    const std::string& Strings(int index) const;
    void SetStrings(int index, const std::string& text);
    const std::vector<std::string>& Lines() const { return FLines; }

    int Add(const std::string& text);
    void Insert(int index, const std::string& text);
    void Delete(int index);
    void Clear();
    // Replaces the whole list with one notification.
    void Assign(const std::vector<std::string>& lines);
    // Position of the first line equal to text without regard to case, or -1.
    int IndexOf(std::string_view text) const;

    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return FUpdateCount > 0; }

    void SetOnChange(ChangeHandler handler) { FOnChange = std::move(handler); }

private:
    void Changed();

    std::vector<std::string> FLines;
    int FUpdateCount = 0;
    ChangeHandler FOnChange;
};

} // namespace zent
