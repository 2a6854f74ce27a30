#pragma once

#include "framework/Component.h"

#include <cstdint>
#include <string>

namespace zent {

// The user's preferences as stored in the configuration file: the default target directory,
// the default sort column (0 by file name, 1 by length) and direction. Published: Ascending,
// DefaultDir, Ordering, and the inherited Name and Tag.
class TOptionsItem : public TComponent {
public:
    explicit TOptionsItem(TComponent* owner = nullptr) : TComponent(owner) {}

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    bool Ascending() const { return FAscending; }
    void SetAscending(bool value) { FAscending = value; }
    const std::string& DefaultDir() const { return FDefaultDir; }
    void SetDefaultDir(const std::string& value) { FDefaultDir = value; }
    std::int32_t Ordering() const { return FOrdering; }
    void SetOrdering(std::int32_t value) { FOrdering = value; }

private:
    bool FAscending = false;
    std::string FDefaultDir;
    std::int32_t FOrdering = 0;
};

} // namespace zent
