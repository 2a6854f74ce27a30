#include "framework/TypeInfo.h"

#include "framework/Text.h"

namespace zent {

std::int64_t ValueAsInt(const TValue& value) {
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return *number;
    return 0;
}

double ValueAsFloat(const TValue& value) {
    if (const auto* number = std::get_if<double>(&value))
        return *number;
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return static_cast<double>(*number);
    return 0.0;
}

std::string ValueAsString(const TValue& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    return {};
}

TObject* ValueAsObject(const TValue& value) {
    if (const auto* object = std::get_if<TObject*>(&value))
        return *object;
    return nullptr;
}

const TTypeInfo& IntegerTypeInfo() {
    static const TTypeInfo info{TTypeKind::tkInteger, "Integer", {}, nullptr};
    return info;
}

const TTypeInfo& BooleanTypeInfo() {
    static const TTypeInfo info{TTypeKind::tkEnumeration, "Boolean", {"False", "True"}, nullptr};
    return info;
}

const TTypeInfo& StringTypeInfo() {
    static const TTypeInfo info{TTypeKind::tkLString, "string", {}, nullptr};
    return info;
}

TClassInfo::TClassInfo(std::string name, const TClassInfo* parent,
                       std::vector<TPropInfoPtr> ownProperties)
    : FName(std::move(name)), FParent(parent), FProperties(std::move(ownProperties)) {
    if (FParent == nullptr)
        return;
    for (const TPropInfoPtr& inherited : FParent->Properties()) {
        bool redeclared = false;
        for (const TPropInfoPtr& own : FProperties) {
            if (SameText(own->Name, inherited->Name)) {
                redeclared = true;
                break;
            }
        }
        if (!redeclared)
            FProperties.push_back(inherited);
    }
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* cls = this; cls != nullptr; cls = cls->FParent) {
        if (cls == &other)
            return true;
    }
    return false;
}

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const {
    for (const TPropInfoPtr& property : FProperties) {
        if (SameText(property->Name, name))
            return property.get();
    }
    return nullptr;
}

} // namespace zent
