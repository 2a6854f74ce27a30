#include "framework/Component.h"

#include "framework/Assert.h"
#include "framework/Errors.h"
#include "framework/Messages.h"
#include "framework/Text.h"

#include <algorithm>

namespace zent {

TComponent::TComponent(TComponent* owner) : FOwner(owner) {
    if (FOwner != nullptr)
        FOwner->FComponents.push_back(this);
}

TComponent::~TComponent() {
    // Each owned component takes itself off this list as it goes.
    while (!FComponents.empty())
        delete FComponents.back();
    if (FOwner != nullptr) {
        auto& siblings = FOwner->FComponents;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

const TClassInfo& TComponent::StaticClassInfo() {
    static const TClassInfo info =
        TClassBuilder<TComponent>("TComponent", &TPersistent::StaticClassInfo())
            .String("Name", &TComponent::Name, &TComponent::SetName)
            .Integer("Tag", &TComponent::Tag, &TComponent::SetTag)
            .Build();
    return info;
}

TComponent* TComponent::Components(int index) const {
    CheckListIndex(index, ComponentCount());
    return FComponents[static_cast<std::size_t>(index)];
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty())
        return nullptr;
    for (TComponent* component : FComponents) {
        if (SameText(component->FName, name))
            return component;
    }
    return nullptr;
}

void TComponent::SetName(const std::string& name) {
    if (name == FName)
        return;
    if (!name.empty() && !IsValidIdent(name))
        throw EComponentError(FormatMessage(kInvalidComponentName, name));
    if (FOwner != nullptr)
        FOwner->ValidateRename(this, name);
    FName = name;
}

void TComponent::ValidateRename(const TComponent* component, const std::string& newName) const {
    // A change of letter case alone keeps the component's own name.
    if (SameText(component->FName, newName))
        return;
    if (FindComponent(newName) != nullptr)
        throw EComponentError(FormatMessage(kDuplicateComponentName, newName));
}

} // namespace zent
