#pragma once

#include "framework/Collection.h"
#include "framework/Component.h"
#include "framework/Strings.h"

#include <cstdint>
#include <string>

namespace zent::test {

enum class TShade { Red, Green, Blue };

// A nested persistent object.
class TChild : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info =
            TClassBuilder<TChild>("TChild", &TPersistent::StaticClassInfo())
                .Integer(
                    "Value", [](const TChild& c) { return c.FValue; },
                    [](TChild& c, std::int32_t v) { c.FValue = v; })
                .String(
                    "Note", [](const TChild& c) { return c.FNote; },
                    [](TChild& c, const std::string& v) { c.FNote = v; })
                .Build();
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    std::int32_t FValue = 0;
    std::string FNote;
};

// A nested object with nothing that can be stored.
class THollow : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info =
            TClassBuilder<THollow>("THollow", &TPersistent::StaticClassInfo())
                .Integer("Fixed", [](const THollow&) { return 1; })
                .Build();
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

class TLineItem : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;

    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info =
            TClassBuilder<TLineItem>("TLineItem", &TCollectionItem::StaticClassInfo())
                .String(
                    "Caption", [](const TLineItem& i) { return i.FCaption; },
                    [](TLineItem& i, const std::string& v) { i.FCaption = v; })
                .Build();
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    std::string FCaption;
};

// One published property of every kind the serializer handles, and a few it skips.
class TSample : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info =
            TClassBuilder<TSample>("TSample", &TPersistent::StaticClassInfo())
                .Integer(
                    "Count", [](const TSample& s) { return s.FCount; },
                    [](TSample& s, std::int32_t v) { s.FCount = v; })
                .Integer("Fixed", [](const TSample&) { return 42; })
                .Char(
                    "Letter", [](const TSample& s) { return s.FLetter; },
                    [](TSample& s, char v) { s.FLetter = v; })
                .Boolean(
                    "Enabled", [](const TSample& s) { return s.FEnabled; },
                    [](TSample& s, bool v) { s.FEnabled = v; })
                .Enumeration<TShade>(
                    "Shade", "TShade", {"Red", "Green", "Blue"},
                    [](const TSample& s) { return s.FShade; },
                    [](TSample& s, TShade v) { s.FShade = v; })
                .Set(
                    "Flags", "TFlags", {"a", "b", "c"}, [](const TSample& s) { return s.FFlags; },
                    [](TSample& s, std::uint32_t v) { s.FFlags = v; })
                .Float(
                    "Ratio", "Double", [](const TSample& s) { return s.FRatio; },
                    [](TSample& s, double v) { s.FRatio = v; })
                .Float(
                    "When", "TDateTime", [](const TSample& s) { return s.FWhen; },
                    [](TSample& s, double v) { s.FWhen = v; })
                .Float(
                    "Day", "TDate", [](const TSample& s) { return s.FDay; },
                    [](TSample& s, double v) { s.FDay = v; })
                .Float(
                    "Clock", "TTime", [](const TSample& s) { return s.FClock; },
                    [](TSample& s, double v) { s.FClock = v; })
                .String(
                    "Title", [](const TSample& s) { return s.FTitle; },
                    [](TSample& s, const std::string& v) { s.FTitle = v; })
                .ShortString(
                    "Short", [](const TSample& s) { return s.FShort; },
                    [](TSample& s, const std::string& v) { s.FShort = v; })
                .Object<TStrings>(
                    "Lines", [](const TSample& s) { return &s.FLines; },
                    [](TSample& s, TStrings* v) { s.FLines.Assign(v->Lines()); })
                .Object<TChild>(
                    "Child", [](const TSample& s) { return &s.FChild; }, [](TSample&, TChild*) {})
                .Object<THollow>(
                    "Hollow", [](const TSample& s) { return &s.FHollow; },
                    [](TSample&, THollow*) {})
                .Object<TCollection>(
                    "Items", [](const TSample& s) { return &s.FItems; },
                    [](TSample&, TCollection*) {})
                .Object<TComponent>(
                    "Partner", [](const TSample& s) { return s.FPartner; },
                    [](TSample& s, TComponent* v) { s.FPartner = v; })
                .Add(
                    "OnClick", TTypeInfo{TTypeKind::tkMethod, "TNotifyEvent", {}, nullptr},
                    [](const TObject&) { return TValue{}; }, [](TObject&, const TValue&) {})
                .Build();
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    std::int32_t FCount = 0;
    char FLetter = 0;
    bool FEnabled = false;
    TShade FShade = TShade::Red;
    std::uint32_t FFlags = 0;
    double FRatio = 0;
    double FWhen = 0;
    double FDay = 0;
    double FClock = 0;
    std::string FTitle;
    std::string FShort;
    TStrings FLines;
    TChild FChild;
    THollow FHollow;
    TCollection FItems{TCollection::FactoryOf<TLineItem>()};
    TComponent* FPartner = nullptr;
};

} // namespace zent::test
