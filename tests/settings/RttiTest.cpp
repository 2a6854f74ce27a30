#include "framework/Errors.h"
#include "settings/ZentStruc.h"
#include "settings/clRTTI.h"
#include "tests/settings/SampleClasses.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zent {
namespace {

using test::TSample;
using testing::ElementsAre;
using testing::MatchesRegex;

std::vector<std::string> Names(TrtWrapper& wrapper) {
    std::vector<std::string> names;
    for (int i = 0; i < wrapper.Count(); ++i)
        names.push_back(wrapper.Properties(i).PropName());
    return names;
}

template <class Error, class Action> std::string MessageOf(Action action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "(nothing raised)";
}

class TOddNames : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info = TClassBuilder<TOddNames>("TOddNames", nullptr)
                                           .Integer("ab", [](const TOddNames&) { return 0; })
                                           .Integer("AB_", [](const TOddNames&) { return 0; })
                                           .Integer("a1", [](const TOddNames&) { return 0; })
                                           .Build();
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

TEST(RttiNameOrder, DigitsBeforeLettersBeforeUnderscoreWithoutRegardToCase) {
    TOddNames object;
    TrtWrapper wrapper(object);
    EXPECT_THAT(Names(wrapper), ElementsAre("a1", "ab", "AB_"));
}

TEST(RttiNameOrder, OptionsRecordListsItsFivePropertiesInNameOrder) {
    TOptionsItem options;
    TrtWrapper wrapper(options);
    EXPECT_EQ(wrapper.Count(), 5);
    EXPECT_THAT(Names(wrapper), ElementsAre("Ascending", "DefaultDir", "Name", "Ordering", "Tag"));
}

TEST(RttiFilters, KindFilterKeepsOnlyThoseKinds) {
    TOptionsItem options;
    TrtWrapper integers(options, KindBit(TTypeKind::tkInteger));
    EXPECT_THAT(Names(integers), ElementsAre("Ordering", "Tag"));
    TrtWrapper enumerations(options, KindBit(TTypeKind::tkEnumeration));
    EXPECT_THAT(Names(enumerations), ElementsAre("Ascending"));
}

TEST(RttiFilters, ExcludedNamesAreHiddenInAnyCase) {
    TOptionsItem options;
    TrtWrapper wrapper(options, 0, {"NAME", "tag"});
    EXPECT_EQ(wrapper.Count(), 3);
    EXPECT_THAT(Names(wrapper), ElementsAre("Ascending", "DefaultDir", "Ordering"));
}

TEST(RttiFilters, ANameAddedThroughTheListIsLoweredAndHiddenAtOnce) {
    TOptionsItem options;
    TrtWrapper wrapper(options, 0, {"NAME", "tag"});
    wrapper.Excluded().Add("DefaultDir");
    EXPECT_THAT(wrapper.Excluded().Lines(), ElementsAre("name", "tag", "defaultdir"));
    EXPECT_THAT(Names(wrapper), ElementsAre("Ascending", "Ordering"));
    wrapper.Excluded().Delete(0);
    EXPECT_THAT(Names(wrapper), ElementsAre("Ascending", "Name", "Ordering"));
}

TEST(RttiFilters, SetExcludedReplacesTheListLowered) {
    TOptionsItem options;
    TrtWrapper wrapper(options, 0, {"Name"});
    wrapper.SetExcluded({"ASCENDING"});
    EXPECT_THAT(wrapper.Excluded().Lines(), ElementsAre("ascending"));
    EXPECT_THAT(Names(wrapper), ElementsAre("DefaultDir", "Name", "Ordering", "Tag"));
}

TEST(RttiFilters, NextIndexSkipsHiddenPositions) {
    TOptionsItem options;
    TrtWrapper wrapper(options, 0, {"defaultdir", "name"});
    EXPECT_EQ(wrapper.NextIndex(-1), 0);
    EXPECT_EQ(wrapper.NextIndex(0), 3);
    EXPECT_EQ(wrapper.NextIndex(4), -1);
}

TEST(RttiProperties, IndexOutsideTheVisibleListFails) {
    TOptionsItem options;
    TrtWrapper wrapper(options, 0, {"tag"});
    EXPECT_EQ(MessageOf<EListError>([&] { wrapper.Properties(4); }),
              "List index out of bounds (4)");
    EXPECT_THROW(wrapper.Properties(-1), EListError);
}

TEST(RttiProperties, TheSamePropertyObjectUntilRefresh) {
    TOptionsItem options;
    TrtWrapper wrapper(options);
    TrtProperty* first = &wrapper.Properties(2);
    EXPECT_EQ(&wrapper.Properties(2), first);
    EXPECT_EQ(first->Instance(), &options);
    EXPECT_EQ(first->OwnerClass(), &TOptionsItem::StaticClassInfo());
}

TEST(RttiValues, BooleanReadsAndTakesItsValueNames) {
    TOptionsItem options;
    TrtProperty ascending(options, "ascending");
    EXPECT_EQ(ascending.AsString(), "False");
    ascending.SetAsString("tRUE");
    EXPECT_TRUE(options.Ascending());
    EXPECT_EQ(ascending.AsString(), "True");
    EXPECT_EQ(ascending.AsInteger(), 1);
}

TEST(RttiValues, BooleanRefusesOtherTextsAndKeepsItsValue) {
    TOptionsItem options;
    options.SetAscending(true);
    TrtProperty ascending(options, "Ascending");
    EXPECT_EQ(MessageOf<EConvertError>([&] { ascending.SetAsString("yes"); }),
              "Invalid property element: yes");
    EXPECT_EQ(MessageOf<EConvertError>([&] { ascending.SetAsString(""); }),
              "Invalid property element: ");
    EXPECT_TRUE(options.Ascending());
}

TEST(RttiValues, OrdinalWritesToEnumerations) {
    TSample sample;
    TrtProperty enabled(sample, "Enabled");
    enabled.SetAsInteger(5);
    EXPECT_TRUE(sample.FEnabled);
    TrtProperty shade(sample, "Shade");
    shade.SetAsInteger(2);
    EXPECT_EQ(shade.AsString(), "Blue");
    EXPECT_THROW(shade.SetAsInteger(3), EConvertError);
    EXPECT_EQ(sample.FShade, test::TShade::Blue);
}

TEST(RttiValues, SetReadsAsBracketedMemberNames) {
    TSample sample;
    TrtProperty flags(sample, "Flags");
    EXPECT_EQ(flags.AsString(), "[]");
    sample.FFlags = 0b101;
    EXPECT_EQ(flags.AsString(), "[a,c]");
    EXPECT_EQ(flags.AsInteger(), 5);
}

TEST(RttiValues, SetTakesWordsSeparatedByBlanksOrCommas) {
    TSample sample;
    TrtProperty flags(sample, "Flags");
    for (const char* text : {"a c", "[a, c]", "[A,C]", "  [c,a"}) {
        sample.FFlags = 0;
        flags.SetAsString(text);
        EXPECT_EQ(sample.FFlags, 0b101u) << text;
    }
    flags.SetAsString("");
    EXPECT_EQ(sample.FFlags, 0u);
}

TEST(RttiValues, SetRefusesAnUnknownMemberAndKeepsItsValue) {
    TSample sample;
    sample.FFlags = 0b010;
    TrtProperty flags(sample, "Flags");
    EXPECT_EQ(MessageOf<EConvertError>([&] { flags.SetAsString("[a,d]"); }),
              "Invalid property element: d");
    EXPECT_EQ(sample.FFlags, 0b010u);
}

TEST(RttiValues, ShortStringsHoldAtMost255Bytes) {
    TSample sample;
    TrtProperty shortText(sample, "Short");
    shortText.SetAsString(std::string(300, 's'));
    EXPECT_EQ(sample.FShort.size(), 255u);
}

TEST(RttiValues, OtherKindsReadAsEmptyTextAndIgnoreTextWrites) {
    TSample sample;
    sample.FCount = 3;
    TrtProperty count(sample, "Count");
    EXPECT_EQ(count.AsString(), "");
    count.SetAsString("9");
    EXPECT_EQ(sample.FCount, 3);
}

TEST(RttiValues, ObjectWritesTakeOnlyThePropertysClass) {
    TSample sample;
    TrtProperty partner(sample, "Partner");
    test::TChild notAComponent;
    partner.SetAsObject(&notAComponent);
    EXPECT_EQ(sample.FPartner, nullptr);
    TComponent component;
    partner.SetAsObject(&component);
    EXPECT_EQ(partner.AsObject(), &component);
    partner.SetAsObject(nullptr);
    EXPECT_EQ(sample.FPartner, nullptr);
}

TEST(RttiDescriptions, PropertiesWithoutSetterAreListedAsReadOnly) {
    TSample sample;
    TrtWrapper wrapper(sample);
    bool listed = false;
    for (int i = 0; i < wrapper.Count(); ++i) {
        TrtProperty& property = wrapper.Properties(i);
        if (property.PropName() == "Fixed") {
            listed = true;
            EXPECT_TRUE(property.IsReadOnly());
        } else {
            EXPECT_FALSE(property.IsReadOnly()) << property.PropName();
        }
    }
    EXPECT_TRUE(listed);
}

TEST(RttiDescriptions, PersistentClassMeansPersistentButNotAComponent) {
    TSample sample;
    EXPECT_TRUE(TrtProperty(sample, "Child").IsPersistentClass());
    EXPECT_TRUE(TrtProperty(sample, "Lines").IsPersistentClass());
    EXPECT_FALSE(TrtProperty(sample, "Partner").IsPersistentClass());
    EXPECT_EQ(&TrtProperty(sample, "Items").PropClassType(), &TCollection::StaticClassInfo());
}

TEST(RttiAssertions, PropClassTypeOfANonClassPropertyFails) {
    TSample sample;
    TrtProperty count(sample, "Count");
    EXPECT_THAT(MessageOf<EAssertionFailed>([&] { count.PropClassType(); }),
                MatchesRegex("PropClassType property is only valid for tkClass properties "
                             "\\(clRTTI, line [0-9]+\\)"));
}

TEST(RttiAssertions, AWrapperOverAClassListsButCannotReadOrWrite) {
    TrtWrapper wrapper(TOptionsItem::StaticClassInfo());
    EXPECT_THAT(Names(wrapper), ElementsAre("Ascending", "DefaultDir", "Name", "Ordering", "Tag"));
    TrtProperty& ordering = wrapper.Properties(3);
    EXPECT_EQ(ordering.Instance(), nullptr);
    EXPECT_EQ(ordering.PropKind(), TTypeKind::tkInteger);
    const std::string expected =
        "This method cannot be called without an object instance\\.  Construct the RTTI object "
        "by passing an object instance to the constructor\\. \\(clRTTI, line [0-9]+\\)";
    EXPECT_THAT(MessageOf<EAssertionFailed>([&] { ordering.AsInteger(); }), MatchesRegex(expected));
    EXPECT_THAT(MessageOf<EAssertionFailed>([&] { ordering.SetAsInteger(1); }),
                MatchesRegex(expected));
    EXPECT_THAT(MessageOf<EAssertionFailed>([&] { wrapper.Properties(0).AsString(); }),
                MatchesRegex(expected));
    EXPECT_THAT(MessageOf<EAssertionFailed>([&] { wrapper.Properties(0).AsFloat(); }),
                MatchesRegex(expected));
    EXPECT_THAT(MessageOf<EAssertionFailed>([&] { wrapper.Properties(0).AsObject(); }),
                MatchesRegex(expected));
}

} // namespace
} // namespace zent
