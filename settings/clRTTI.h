#pragma once

#include "framework/ObjectList.h"
#include "framework/Strings.h"
#include "framework/TypeInfo.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zent {

inline constexpr std::string_view kInvalidPropertyElement = "Invalid property element: %s";
inline constexpr std::string_view kNoInstance =
    "This method cannot be called without an object instance.  Construct the RTTI object by "
    "passing an object instance to the constructor.";
inline constexpr std::string_view kNotClassProperty =
    "PropClassType property is only valid for tkClass properties";

// One published property of an object (or, without an object, of a class): its description
// and, with an object, its value.
class TrtProperty : public TObject {
public:
    explicit TrtProperty(const TPropInfo& propInfo);
    // The name is looked up without regard to case and must exist in the class.
    TrtProperty(TObject& instance, std::string_view propName);
    TrtProperty(const TClassInfo& ownerClass, std::string_view propName);

    TObject* Instance() const { return FInstance; }
    const TClassInfo* OwnerClass() const { return FOwnerClass; }
    const TPropInfo& PropInfo() const { return *FPropInfo; }
    const TTypeInfo& PropType() const { return FPropInfo->Type; }

    const std::string& PropName() const { return FPropInfo->Name; }
    TTypeKind PropKind() const { return FPropInfo->Type.Kind; }
    bool IsReadOnly() const { return !FPropInfo->Set; }
    const TClassInfo& PropClassType() const;
    // The property's class descends from TPersistent but not from TComponent.
    bool IsPersistentClass() const;

    // Ordinal kinds: integers, characters, enumeration ordinals, set bit masks.
    std::int64_t AsInteger() const;
    void SetAsInteger(std::int64_t value);
    double AsFloat() const;
    void SetAsFloat(double value);
    // Enumerations by value name, sets as "[a,c]", texts as they are; other kinds read empty.
    std::string AsString() const;
    void SetAsString(const std::string& value);
    TObject* AsObject() const;
    // Stores only null or an object of the property's class; others are ignored.
    void SetAsObject(TObject* value);

private:
    TValue Get() const;
    void Set(const TValue& value);

    TObject* FInstance = nullptr;
    const TClassInfo* FOwnerClass = nullptr;
    const TPropInfo* FPropInfo;
};

// The property objects of a wrapper, owned; an entry stays empty until first asked for.
class TrtPropertyList : public TObjectList {
public:
    TrtProperty* Items(int index) const {
        return static_cast<TrtProperty*>(TObjectList::Items(index));
    }
};

// The published properties of an object or a class in name order, filtered by kind and by an
// exclusion list of names.
class TrtWrapper : public TObject {
public:
    explicit TrtWrapper(TObject& object, TTypeKinds kinds = 0);
    explicit TrtWrapper(const TClassInfo& ownerClass, TTypeKinds kinds = 0);
    TrtWrapper(TObject& object, TTypeKinds kinds, const std::vector<std::string>& excluded);
    TrtWrapper(const TClassInfo& ownerClass, TTypeKinds kinds,
               const std::vector<std::string>& excluded);

    TObject* Instance() const { return FInstance; }
    const TClassInfo& OwnerClass() const { return *FOwnerClass; }
    TTypeKinds TypeKinds() const { return FTypeKinds; }

    int Count() const { return static_cast<int>(FVisible.size()); }
    // The same object on every call until the next Refresh; owned by the wrapper.
    TrtProperty& Properties(int index);

    // Names compared without regard to case; every change lowers them and refreshes the list.
    TStrings& Excluded() { return FExcluded; }
    const TStrings& Excluded() const { return FExcluded; }
    void SetExcluded(const std::vector<std::string>& names);

    void Refresh();
    // Position in the sorted list of the first visible property after position after, or -1.
    int NextIndex(int after) const;

private:
    TrtWrapper(TObject* instance, const TClassInfo& ownerClass, TTypeKinds kinds,
               const std::vector<std::string>& excluded);
    void ExcludedChange();

    TObject* FInstance = nullptr;
    const TClassInfo* FOwnerClass;
    TTypeKinds FTypeKinds;
    TStrings FExcluded;
    std::vector<const TPropInfo*> FSorted;
    std::vector<const TPropInfo*> FVisible;
    TrtPropertyList FProperties;
    bool FExcludedChanging = false;
};

// Property names in the order the wrapper lists them: bytes compared with bit 5 cleared.
bool PropertyNameLess(std::string_view a, std::string_view b);

} // namespace zent
