#include "settings/clRTTI.h"

#include "framework/Assert.h"
#include "framework/Component.h"
#include "framework/Errors.h"
#include "framework/Object.h"
#include "framework/Text.h"

#include <algorithm>

namespace zent {

namespace {

constexpr std::string_view kUnit = "clRTTI";
constexpr std::string_view kUnknownProperty = "Property %s does not exist";
constexpr std::string_view kReadOnlyProperty = "Property %s is read-only";
constexpr std::size_t kMaxShortStringLength = 255;

const TPropInfo& LookUp(const TClassInfo& cls, std::string_view propName) {
    const TPropInfo* info = cls.FindProperty(propName);
    ZENT_ASSERT(info != nullptr, FormatMessage(kUnknownProperty, propName), kUnit);
    return *info;
}

bool IsOrdinalKind(TTypeKind kind) {
    return kind == TTypeKind::tkInteger || kind == TTypeKind::tkChar ||
           kind == TTypeKind::tkWChar || kind == TTypeKind::tkEnumeration ||
           kind == TTypeKind::tkSet;
}

bool IsTextKind(TTypeKind kind) {
    return kind == TTypeKind::tkString || kind == TTypeKind::tkLString ||
           kind == TTypeKind::tkWString;
}

int EnumValue(const TTypeInfo& type, std::string_view name) {
    for (std::size_t i = 0; i < type.EnumNames.size(); ++i) {
        if (SameText(type.EnumNames[i], name))
            return static_cast<int>(i);
    }
    return -1;
}

bool IsSetDelimiter(char c) {
    return c == ',' || c == ' ' || c == ']';
}

// Takes the next member name and the delimiters after it.
std::string_view NextWord(std::string_view& text) {
    std::size_t end = 0;
    while (end < text.size() && !IsSetDelimiter(text[end]))
        ++end;
    const std::string_view word = text.substr(0, end);
    while (end < text.size() && IsSetDelimiter(text[end]))
        ++end;
    text.remove_prefix(end);
    return word;
}

std::uint32_t TextToSet(const TTypeInfo& type, std::string_view text) {
    while (!text.empty() && (text.front() == '[' || text.front() == ' '))
        text.remove_prefix(1);
    std::uint32_t members = 0;
    for (std::string_view word = NextWord(text); !word.empty(); word = NextWord(text)) {
        const int ordinal = EnumValue(type, word);
        if (ordinal < 0 || ordinal >= 32)
            throw EConvertError(FormatMessage(kInvalidPropertyElement, word));
        members |= std::uint32_t{1} << ordinal;
    }
    return members;
}

std::string SetToText(const TTypeInfo& type, std::uint32_t members) {
    std::string text = "[";
    bool first = true;
    for (std::size_t i = 0; i < type.EnumNames.size() && i < 32; ++i) {
        if ((members & (std::uint32_t{1} << i)) == 0)
            continue;
        if (!first)
            text += ',';
        text += type.EnumNames[i];
        first = false;
    }
    return text + "]";
}

} // namespace

bool PropertyNameLess(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]) & ~0x20u;
        const auto cb = static_cast<unsigned char>(b[i]) & ~0x20u;
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

// TrtProperty

TrtProperty::TrtProperty(const TPropInfo& propInfo) : FPropInfo(&propInfo) {}

TrtProperty::TrtProperty(TObject& instance, std::string_view propName)
    : FInstance(&instance), FOwnerClass(&instance.ClassInfo()),
      FPropInfo(&LookUp(instance.ClassInfo(), propName)) {}

TrtProperty::TrtProperty(const TClassInfo& ownerClass, std::string_view propName)
    : FOwnerClass(&ownerClass), FPropInfo(&LookUp(ownerClass, propName)) {}

const TClassInfo& TrtProperty::PropClassType() const {
    ZENT_ASSERT(PropKind() == TTypeKind::tkClass && PropType().ClassType != nullptr,
                kNotClassProperty, kUnit);
    return *PropType().ClassType;
}

bool TrtProperty::IsPersistentClass() const {
    const TClassInfo& cls = PropClassType();
    return cls.InheritsFrom(TPersistent::StaticClassInfo()) &&
           !cls.InheritsFrom(TComponent::StaticClassInfo());
}

TValue TrtProperty::Get() const {
    return FPropInfo->Get(*FInstance);
}

void TrtProperty::Set(const TValue& value) {
    ZENT_ASSERT(!IsReadOnly(), FormatMessage(kReadOnlyProperty, PropName()), kUnit);
    FPropInfo->Set(*FInstance, value);
}

std::int64_t TrtProperty::AsInteger() const {
    ZENT_ASSERT(FInstance != nullptr, kNoInstance, kUnit);
    if (!IsOrdinalKind(PropKind()))
        return 0;
    return ValueAsInt(Get());
}

void TrtProperty::SetAsInteger(std::int64_t value) {
    ZENT_ASSERT(FInstance != nullptr, kNoInstance, kUnit);
    if (!IsOrdinalKind(PropKind()))
        return;
    if (PropKind() == TTypeKind::tkEnumeration) {
        const auto& names = PropType().EnumNames;
        if (names == BooleanTypeInfo().EnumNames)
            value = value != 0 ? 1 : 0;
        else if (value < 0 || value >= static_cast<std::int64_t>(names.size()))
            throw EConvertError(FormatMessage(kInvalidPropertyElement, std::to_string(value)));
    }
    Set(value);
}

double TrtProperty::AsFloat() const {
    ZENT_ASSERT(FInstance != nullptr, kNoInstance, kUnit);
    if (PropKind() != TTypeKind::tkFloat)
        return 0.0;
    return ValueAsFloat(Get());
}

void TrtProperty::SetAsFloat(double value) {
    ZENT_ASSERT(FInstance != nullptr, kNoInstance, kUnit);
    if (PropKind() == TTypeKind::tkFloat)
        Set(value);
}

std::string TrtProperty::AsString() const {
    ZENT_ASSERT(FInstance != nullptr, kNoInstance, kUnit);
    const TTypeKind kind = PropKind();
    if (kind == TTypeKind::tkEnumeration) {
        const std::int64_t ordinal = ValueAsInt(Get());
        const auto& names = PropType().EnumNames;
        if (ordinal < 0 || ordinal >= static_cast<std::int64_t>(names.size()))
            return {};
        return names[static_cast<std::size_t>(ordinal)];
    }
    if (kind == TTypeKind::tkSet)
        return SetToText(PropType(), static_cast<std::uint32_t>(ValueAsInt(Get())));
    if (IsTextKind(kind))
        return ValueAsString(Get());
    return {};
}

void TrtProperty::SetAsString(const std::string& value) {
    ZENT_ASSERT(FInstance != nullptr, kNoInstance, kUnit);
    const TTypeKind kind = PropKind();
    if (kind == TTypeKind::tkEnumeration) {
        const int ordinal = EnumValue(PropType(), value);
        if (ordinal < 0)
            throw EConvertError(FormatMessage(kInvalidPropertyElement, value));
        Set(std::int64_t{ordinal});
    } else if (kind == TTypeKind::tkSet) {
        Set(std::int64_t{TextToSet(PropType(), value)});
    } else if (kind == TTypeKind::tkString) {
        Set(CutUtf8(value, kMaxShortStringLength));
    } else if (IsTextKind(kind)) {
        Set(value);
    }
}

TObject* TrtProperty::AsObject() const {
    ZENT_ASSERT(FInstance != nullptr, kNoInstance, kUnit);
    if (PropKind() != TTypeKind::tkClass)
        return nullptr;
    return ValueAsObject(Get());
}

void TrtProperty::SetAsObject(TObject* value) {
    ZENT_ASSERT(FInstance != nullptr, kNoInstance, kUnit);
    if (PropKind() != TTypeKind::tkClass)
        return;
    if (value != nullptr && !value->InheritsFrom(PropClassType()))
        return;
    Set(value);
}

// TrtWrapper

TrtWrapper::TrtWrapper(TObject& object, TTypeKinds kinds) : TrtWrapper(object, kinds, {}) {}

TrtWrapper::TrtWrapper(const TClassInfo& ownerClass, TTypeKinds kinds)
    : TrtWrapper(ownerClass, kinds, {}) {}

TrtWrapper::TrtWrapper(TObject& object, TTypeKinds kinds, const std::vector<std::string>& excluded)
    : TrtWrapper(&object, object.ClassInfo(), kinds, excluded) {}

TrtWrapper::TrtWrapper(const TClassInfo& ownerClass, TTypeKinds kinds,
                       const std::vector<std::string>& excluded)
    : TrtWrapper(nullptr, ownerClass, kinds, excluded) {}

TrtWrapper::TrtWrapper(TObject* instance, const TClassInfo& ownerClass, TTypeKinds kinds,
                       const std::vector<std::string>& excluded)
    : FInstance(instance), FOwnerClass(&ownerClass), FTypeKinds(kinds) {
    // Names given here stay as given until the list's next change.
    FExcluded.Assign(excluded);
    FExcluded.SetOnChange([this] { ExcludedChange(); });
    Refresh();
}

TrtProperty& TrtWrapper::Properties(int index) {
    TrtProperty* property = FProperties.Items(index);
    if (property != nullptr)
        return *property;
    const TPropInfo& info = *FVisible[static_cast<std::size_t>(index)];
    std::unique_ptr<TrtProperty> created;
    if (FInstance != nullptr)
        created = std::make_unique<TrtProperty>(*FInstance, info.Name);
    else
        created = std::make_unique<TrtProperty>(*FOwnerClass, info.Name);
    property = created.get();
    FProperties.SetItems(index, std::move(created));
    return *property;
}

void TrtWrapper::SetExcluded(const std::vector<std::string>& names) {
    // The change handler lowers the names and refreshes the list.
    FExcluded.Assign(names);
}

void TrtWrapper::ExcludedChange() {
    if (FExcludedChanging) {
        FExcludedChanging = false;
        return;
    }
    FExcludedChanging = true;
    FExcluded.BeginUpdate();
    for (int i = 0; i < FExcluded.Count(); ++i)
        FExcluded.SetStrings(i, LowerCase(FExcluded.Strings(i)));
    // Notifies once more; that call only clears the guard.
    FExcluded.EndUpdate();
    Refresh();
}

void TrtWrapper::Refresh() {
    FProperties.Clear();
    FSorted.clear();
    FVisible.clear();
    for (const TPropInfoPtr& info : FOwnerClass->Properties())
        FSorted.push_back(info.get());
    std::sort(FSorted.begin(), FSorted.end(), [](const TPropInfo* a, const TPropInfo* b) {
        return PropertyNameLess(a->Name, b->Name);
    });
    for (int p = NextIndex(-1); p != -1; p = NextIndex(p)) {
        FVisible.push_back(FSorted[static_cast<std::size_t>(p)]);
        FProperties.Add(nullptr);
    }
}

int TrtWrapper::NextIndex(int after) const {
    for (std::size_t p = static_cast<std::size_t>(after + 1); p < FSorted.size(); ++p) {
        const TPropInfo& info = *FSorted[p];
        if (FExcluded.IndexOf(info.Name) >= 0)
            continue;
        if (FTypeKinds != 0 && (FTypeKinds & KindBit(info.Type.Kind)) == 0)
            continue;
        return static_cast<int>(p);
    }
    return -1;
}

} // namespace zent
