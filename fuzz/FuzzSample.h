#pragma once

#include "framework/Collection.h"
#include "framework/Component.h"
#include "framework/Strings.h"

#include <cstdint>
#include <string>

namespace zent::fuzz {

enum class TShade { Red, Green, Blue };

// An item with a nested list of its own, so that loads go more than one level deep.
class TFuzzItem : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;

    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info =
            TClassBuilder<TFuzzItem>("TFuzzItem", &TCollectionItem::StaticClassInfo())
                .String(
                    "Caption", [](const TFuzzItem& i) { return i.FCaption; },
                    [](TFuzzItem& i, const std::string& v) { i.FCaption = v; })
                .Integer(
                    "Size", [](const TFuzzItem& i) { return i.FSize; },
                    [](TFuzzItem& i, std::int32_t v) { i.FSize = v; })
                .Object<TStrings>(
                    "Notes", [](const TFuzzItem& i) { return &i.FNotes; },
                    [](TFuzzItem& i, TStrings* v) { i.FNotes.Assign(v->Lines()); })
                .Build();
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    std::string FCaption;
    std::int32_t FSize = 0;
    TStrings FNotes;
};

class TFuzzChild : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info =
            TClassBuilder<TFuzzChild>("TFuzzChild", &TPersistent::StaticClassInfo())
                .Integer(
                    "Value", [](const TFuzzChild& c) { return c.FValue; },
                    [](TFuzzChild& c, std::int32_t v) { c.FValue = v; })
                .Float(
                    "Stamp", "TDateTime", [](const TFuzzChild& c) { return c.FStamp; },
                    [](TFuzzChild& c, double v) { c.FStamp = v; })
                .Object<TCollection>(
                    "Items", [](const TFuzzChild& c) { return &c.FItems; },
                    [](TFuzzChild&, TCollection*) {})
                .Build();
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    std::int32_t FValue = 0;
    double FStamp = 0;
    TCollection FItems{TCollection::FactoryOf<TFuzzItem>()};
};

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

// One published property of every kind the serializer stores, and of a few it skips.
class TFuzzSample : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info =
            TClassBuilder<TFuzzSample>("TFuzzSample", &TPersistent::StaticClassInfo())
                .Integer(
                    "Count", [](const TFuzzSample& s) { return s.FCount; },
                    [](TFuzzSample& s, std::int32_t v) { s.FCount = v; })
                .Integer("Fixed", [](const TFuzzSample&) { return 42; })
                .Char(
                    "Letter", [](const TFuzzSample& s) { return s.FLetter; },
                    [](TFuzzSample& s, char v) { s.FLetter = v; })
                .Boolean(
                    "Enabled", [](const TFuzzSample& s) { return s.FEnabled; },
                    [](TFuzzSample& s, bool v) { s.FEnabled = v; })
                .Enumeration<TShade>(
                    "Shade", "TShade", {"Red", "Green", "Blue"},
                    [](const TFuzzSample& s) { return s.FShade; },
                    [](TFuzzSample& s, TShade v) { s.FShade = v; })
                .Set(
                    "Flags", "TFlags", {"a", "b", "c"},
                    [](const TFuzzSample& s) { return s.FFlags; },
                    [](TFuzzSample& s, std::uint32_t v) { s.FFlags = v; })
                .Float(
                    "Ratio", "Double", [](const TFuzzSample& s) { return s.FRatio; },
                    [](TFuzzSample& s, double v) { s.FRatio = v; })
                .Float(
                    "When", "TDateTime", [](const TFuzzSample& s) { return s.FWhen; },
                    [](TFuzzSample& s, double v) { s.FWhen = v; })
                .Float(
                    "Day", "TDate", [](const TFuzzSample& s) { return s.FDay; },
                    [](TFuzzSample& s, double v) { s.FDay = v; })
                .Float(
                    "Clock", "TTime", [](const TFuzzSample& s) { return s.FClock; },
                    [](TFuzzSample& s, double v) { s.FClock = v; })
                .String(
                    "Title", [](const TFuzzSample& s) { return s.FTitle; },
                    [](TFuzzSample& s, const std::string& v) { s.FTitle = v; })
                .ShortString(
                    "Short", [](const TFuzzSample& s) { return s.FShort; },
                    [](TFuzzSample& s, const std::string& v) { s.FShort = v; })
                .Object<TStrings>(
                    "Lines", [](const TFuzzSample& s) { return &s.FLines; },
                    [](TFuzzSample& s, TStrings* v) { s.FLines.Assign(v->Lines()); })
                .Object<TFuzzChild>(
                    "Child", [](const TFuzzSample& s) { return &s.FChild; },
                    [](TFuzzSample&, TFuzzChild*) {})
                .Object<THollow>(
                    "Hollow", [](const TFuzzSample& s) { return &s.FHollow; },
                    [](TFuzzSample&, THollow*) {})
                .Object<TCollection>(
                    "Items", [](const TFuzzSample& s) { return &s.FItems; },
                    [](TFuzzSample&, TCollection*) {})
                .Object<TComponent>(
                    "Partner", [](const TFuzzSample& s) { return s.FPartner; },
                    [](TFuzzSample& s, TComponent* v) { s.FPartner = v; })
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
    TFuzzChild FChild;
    THollow FHollow;
    TCollection FItems{TCollection::FactoryOf<TFuzzItem>()};
    TComponent* FPartner = nullptr;
};

} // namespace zent::fuzz
