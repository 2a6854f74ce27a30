#include "framework/Collection.h"
#include "framework/Component.h"
#include "framework/Strings.h"

#include <gtest/gtest.h>

namespace zent {
namespace {

class TBase : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info =
            TClassBuilder<TBase>("TBase", &TPersistent::StaticClassInfo())
                .Integer("Size", [](const TBase& b) { return b.FSize; })
                .String("Caption", [](const TBase&) { return std::string("base"); })
                .Build();
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    int FSize = 3;
};

class TDerived : public TBase {
public:
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info =
            TClassBuilder<TDerived>("TDerived", &TBase::StaticClassInfo())
                .String(
                    "caption", [](const TDerived& d) { return d.FCaption; },
                    [](TDerived& d, const std::string& text) { d.FCaption = text; })
                .Build();
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    std::string FCaption = "derived";
};

TEST(ClassInfo, ListsInheritedPropertiesAndARedeclaredNameOnce) {
    const auto& properties = TDerived::StaticClassInfo().Properties();
    ASSERT_EQ(properties.size(), 2u);
    const TPropInfo* caption = TDerived::StaticClassInfo().FindProperty("CAPTION");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->Name, "caption");
    EXPECT_TRUE(caption->Set) << "the most derived declaration wins";
    TDerived object;
    EXPECT_EQ(ValueAsString(caption->Get(object)), "derived");
    EXPECT_EQ(ValueAsInt(TDerived::StaticClassInfo().FindProperty("size")->Get(object)), 3);
}

TEST(ClassInfo, ObjectsKnowTheFrameworkClassesTheyDescendFrom) {
    TComponent component;
    TStrings lines;
    TCollection collection(TCollection::FactoryOf<TCollectionItem>());
    TDerived derived;
    EXPECT_TRUE(component.InheritsFrom(TPersistent::StaticClassInfo()));
    EXPECT_TRUE(lines.InheritsFrom(TPersistent::StaticClassInfo()));
    EXPECT_TRUE(collection.InheritsFrom(TPersistent::StaticClassInfo()));
    EXPECT_FALSE(lines.InheritsFrom(TComponent::StaticClassInfo()));
    EXPECT_TRUE(derived.InheritsFrom(TBase::StaticClassInfo()));
    EXPECT_FALSE(derived.InheritsFrom(TStrings::StaticClassInfo()));
}

TEST(ClassInfo, ComponentPublishesNameAndTag) {
    TComponent component;
    const TClassInfo& info = component.ClassInfo();
    ASSERT_NE(info.FindProperty("Name"), nullptr);
    info.FindProperty("Tag")->Set(component, std::int64_t{7});
    info.FindProperty("Name")->Set(component, std::string("Options"));
    EXPECT_EQ(component.Tag(), 7);
    EXPECT_EQ(component.Name(), "Options");
}

} // namespace
} // namespace zent
