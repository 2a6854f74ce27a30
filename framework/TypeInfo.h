#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace zent {

class TObject;
class TClassInfo;

// Kinds of published properties; the numbers are bit positions in a TTypeKinds filter.
enum class TTypeKind : int {
    tkUnknown = 0,
    tkInteger = 1,
    tkChar = 2,
    tkEnumeration = 3,
    tkFloat = 4,
    tkString = 5,
    tkSet = 6,
    tkClass = 7,
    tkMethod = 8,
    tkWChar = 9,
    tkLString = 10,
    tkWString = 11,
    tkVariant = 12,
    tkArray = 13,
    tkRecord = 14,
    tkInterface = 15,
    tkInt64 = 16,
    tkDynArray = 17,
};

// A set of kinds, bit n for kind n; empty means every kind.
using TTypeKinds = std::uint32_t;

constexpr TTypeKinds KindBit(TTypeKind kind) {
    return TTypeKinds{1} << static_cast<int>(kind);
}

template <class... Kinds> constexpr TTypeKinds KindSet(Kinds... kinds) {
    return (TTypeKinds{0} | ... | KindBit(kinds));
}

// A property value on its way through a descriptor: ordinals (integers, characters, enumeration
// ordinals, set masks), floating values, texts and object references.
using TValue = std::variant<std::monostate, std::int64_t, double, std::string, TObject*>;

std::int64_t ValueAsInt(const TValue& value);
double ValueAsFloat(const TValue& value);
std::string ValueAsString(const TValue& value);
TObject* ValueAsObject(const TValue& value);

struct TTypeInfo {
    TTypeKind Kind = TTypeKind::tkUnknown;
    std::string Name;
    // Value names of an enumeration; for a set, the names of its element enumeration.
    std::vector<std::string> EnumNames;
    // The class of a tkClass property.
    const TClassInfo* ClassType = nullptr;
};

const TTypeInfo& IntegerTypeInfo();
const TTypeInfo& BooleanTypeInfo();
const TTypeInfo& StringTypeInfo();

struct TPropInfo {
    using Getter = std::function<TValue(const TObject&)>;
    using Setter = std::function<void(TObject&, const TValue&)>;

    std::string Name;
    TTypeInfo Type;
    Getter Get;
    Setter Set; // empty for a read-only property
};

using TPropInfoPtr = std::shared_ptr<const TPropInfo>;

// The descriptor of a class: its name, its parent and its published properties.
class TClassInfo {
public:
    TClassInfo(std::string name, const TClassInfo* parent, std::vector<TPropInfoPtr> ownProperties);

    const std::string& Name() const { return FName; }
    const TClassInfo* Parent() const { return FParent; }
    // This class or one of its ancestors is other.
    bool InheritsFrom(const TClassInfo& other) const;
    // Own and inherited properties; a redeclared name appears once, as its most derived
    // declaration. Order: own declarations first, then the parent's.
    const std::vector<TPropInfoPtr>& Properties() const { return FProperties; }
    // Looked up without regard to case; null when the class has no such property.
    const TPropInfo* FindProperty(std::string_view name) const;

private:
    std::string FName;
    const TClassInfo* FParent;
    std::vector<TPropInfoPtr> FProperties;
};

namespace detail {

template <class V> TValue ToValue(V&& raw) {
    using D = std::decay_t<V>;
    if constexpr (std::is_same_v<D, TValue>)
        return raw;
    else if constexpr (std::is_same_v<D, char>)
        return static_cast<std::int64_t>(static_cast<unsigned char>(raw)); // a code, 0..255
    else if constexpr (std::is_integral_v<D> || std::is_enum_v<D>)
        return static_cast<std::int64_t>(raw);
    else if constexpr (std::is_floating_point_v<D>)
        return static_cast<double>(raw);
    else if constexpr (std::is_convertible_v<D, std::string>)
        return std::string(std::forward<V>(raw));
    else {
        static_assert(std::is_pointer_v<D>, "unsupported property type");
        return static_cast<TObject*>(
            const_cast<std::remove_const_t<std::remove_pointer_t<D>>*>(raw));
    }
}

} // namespace detail

// Builds the descriptor of class T from a few lines: getters are member functions or callables
// taking const T&; setters are member functions or callables taking T& and the value. A property
// registered without a setter is read-only.
template <class T> class TClassBuilder {
public:
    TClassBuilder(std::string name, const TClassInfo* parent)
        : FName(std::move(name)), FParent(parent) {}

    // Any kind, with getters and setters on TValue; for kinds without a typed helper below.
    TClassBuilder& Add(std::string name, TTypeInfo type, TPropInfo::Getter get,
                       TPropInfo::Setter set = {}) {
        FProperties.push_back(std::make_shared<const TPropInfo>(
            TPropInfo{std::move(name), std::move(type), std::move(get), std::move(set)}));
        return *this;
    }

    template <class G, class S = std::nullptr_t>
    TClassBuilder& Integer(std::string name, G get, S set = nullptr) {
        return Typed<std::int32_t>(std::move(name), IntegerTypeInfo(), get, set);
    }

    template <class G, class S = std::nullptr_t>
    TClassBuilder& Char(std::string name, G get, S set = nullptr) {
        return Typed<char>(std::move(name), TTypeInfo{TTypeKind::tkChar, "Char", {}, nullptr}, get,
                           set);
    }

    template <class G, class S = std::nullptr_t>
    TClassBuilder& Boolean(std::string name, G get, S set = nullptr) {
        return Typed<bool>(std::move(name), BooleanTypeInfo(), get, set);
    }

    // E is the enumeration's C++ type (or an integer type); its ordinals are positions in names.
    template <class E, class G, class S = std::nullptr_t>
    TClassBuilder& Enumeration(std::string name, std::string typeName,
                               std::vector<std::string> names, G get, S set = nullptr) {
        return Typed<E>(
            std::move(name),
            TTypeInfo{TTypeKind::tkEnumeration, std::move(typeName), std::move(names), nullptr},
            get, set);
    }

    // A set as a bit mask, bit n for the element named names[n].
    template <class G, class S = std::nullptr_t>
    TClassBuilder& Set(std::string name, std::string typeName, std::vector<std::string> names,
                       G get, S set = nullptr) {
        return Typed<std::uint32_t>(
            std::move(name),
            TTypeInfo{TTypeKind::tkSet, std::move(typeName), std::move(names), nullptr}, get, set);
    }

    // typeName "TDateTime", "TDate" or "TTime" marks a date or time held as days since
    // 1899-12-30.
    template <class G, class S = std::nullptr_t>
    TClassBuilder& Float(std::string name, std::string typeName, G get, S set = nullptr) {
        return Typed<double>(std::move(name),
                             TTypeInfo{TTypeKind::tkFloat, std::move(typeName), {}, nullptr}, get,
                             set);
    }

    // Text of any length.
    template <class G, class S = std::nullptr_t>
    TClassBuilder& String(std::string name, G get, S set = nullptr) {
        return Typed<std::string>(std::move(name), StringTypeInfo(), get, set);
    }

    // Text of at most 255 bytes.
    template <class G, class S = std::nullptr_t>
    TClassBuilder& ShortString(std::string name, G get, S set = nullptr) {
        return Typed<std::string>(
            std::move(name), TTypeInfo{TTypeKind::tkString, "ShortString", {}, nullptr}, get, set);
    }

    // A reference to an object of class C (which has a static StaticClassInfo()).
    template <class C, class G, class S = std::nullptr_t>
    TClassBuilder& Object(std::string name, G get, S set = nullptr) {
        const TClassInfo& cls = C::StaticClassInfo();
        return Typed<C*>(std::move(name), TTypeInfo{TTypeKind::tkClass, cls.Name(), {}, &cls}, get,
                         set);
    }

    TClassInfo Build() const { return TClassInfo(FName, FParent, FProperties); }

private:
    template <class V> static V FromValue(const TValue& value) {
        if constexpr (std::is_pointer_v<V>)
            return static_cast<V>(ValueAsObject(value));
        else if constexpr (std::is_same_v<V, bool>)
            return ValueAsInt(value) != 0;
        else if constexpr (std::is_integral_v<V> || std::is_enum_v<V>)
            return static_cast<V>(ValueAsInt(value));
        else if constexpr (std::is_floating_point_v<V>)
            return static_cast<V>(ValueAsFloat(value));
        else
            return ValueAsString(value);
    }

    template <class V, class G, class S>
    TClassBuilder& Typed(std::string name, TTypeInfo type, G get, S set) {
        TPropInfo::Getter getter = [get](const TObject& object) {
            return detail::ToValue(std::invoke(get, static_cast<const T&>(object)));
        };
        TPropInfo::Setter setter;
        if constexpr (!std::is_null_pointer_v<S>) {
            setter = [set](TObject& object, const TValue& value) {
                std::invoke(set, static_cast<T&>(object), FromValue<V>(value));
            };
        }
        return Add(std::move(name), std::move(type), std::move(getter), std::move(setter));
    }

    std::string FName;
    const TClassInfo* FParent;
    std::vector<TPropInfoPtr> FProperties;
};

} // namespace zent
