#pragma once

#include "framework/Object.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zent {

// A named object in an ownership tree: the owner deletes the components it owns, and names are
// unique among the components of one owner (compared without regard to case).
// Published: Name (text), Tag (32-bit integer).
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    ~TComponent() override;

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const;
    // The owned component of that name, compared without regard to case; null if none.
    TComponent* FindComponent(std::string_view name) const;

    const std::string& Name() const { return FName; }
    // Empty, or an identifier not used by another component of the same owner.
    void SetName(const std::string& name);

    std::int32_t Tag() const { return FTag; }
    void SetTag(std::int32_t tag) { FTag = tag; }

private:
    void ValidateRename(const TComponent* component, const std::string& newName) const;

    TComponent* FOwner;
    std::vector<TComponent*> FComponents;
    std::string FName;
    std::int32_t FTag = 0;
};

} // namespace zent
