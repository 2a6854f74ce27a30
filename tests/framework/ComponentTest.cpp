#include "framework/Component.h"

#include "framework/Errors.h"
#include "framework/ObjectList.h"

#include <gtest/gtest.h>

namespace zent {
namespace {

TEST(ComponentName, AcceptsIdentifiersAndTheEmptyName) {
    TComponent component;
    component.SetName("_Options2");
    EXPECT_EQ(component.Name(), "_Options2");
    component.SetName("");
    EXPECT_EQ(component.Name(), "");
}

TEST(ComponentName, RefusesTextThatIsNotAnIdentifier) {
    TComponent component;
    component.SetName("Before");
    for (const std::string bad : {"1abc", "a b", "a-b", "Ä"}) {
        try {
            component.SetName(bad);
            FAIL() << bad;
        } catch (const EComponentError& error) {
            EXPECT_EQ(std::string(error.what()), "''" + bad + "'' is not a valid component name");
        }
    }
    EXPECT_EQ(component.Name(), "Before");
}

TEST(ComponentName, RefusesTheNameOfASiblingWithoutRegardToCase) {
    TComponent owner;
    auto* list = new TComponent(&owner);
    list->SetName("VST1");
    auto* options = new TComponent(&owner);
    try {
        options->SetName("vst1");
        FAIL();
    } catch (const EComponentError& error) {
        EXPECT_STREQ(error.what(), "A component named vst1 already exists");
    }
    EXPECT_EQ(options->Name(), "");
}

TEST(ComponentName, AllowsAChangeOfCaseOfItsOwnName) {
    TComponent owner;
    auto* component = new TComponent(&owner);
    component->SetName("Options");
    component->SetName("OPTIONS");
    EXPECT_EQ(component->Name(), "OPTIONS");
}

TEST(ComponentName, AllowsTheSameNameUnderDifferentOwners) {
    TComponent first;
    TComponent second;
    (new TComponent(&first))->SetName("Child");
    auto* other = new TComponent(&second);
    EXPECT_NO_THROW(other->SetName("Child"));
}

TEST(ComponentOwnership, FindComponentIgnoresCase) {
    TComponent owner;
    auto* child = new TComponent(&owner);
    child->SetName("VST1");
    EXPECT_EQ(owner.FindComponent("vst1"), child);
    EXPECT_EQ(owner.FindComponent("VST2"), nullptr);
    EXPECT_EQ(owner.FindComponent(""), nullptr);
}

// Counts its own destruction so the test can see the owner delete it.
class TCountedComponent : public TComponent {
public:
    TCountedComponent(TComponent* owner, int& destroyed)
        : TComponent(owner), FDestroyed(destroyed) {}
    ~TCountedComponent() override { ++FDestroyed; }

private:
    int& FDestroyed;
};

TEST(ComponentOwnership, OwnerDeletesWhatItOwnsIncludingGrandchildren) {
    int destroyed = 0;
    {
        TComponent owner;
        auto* child = new TCountedComponent(&owner, destroyed);
        new TCountedComponent(child, destroyed);
        new TCountedComponent(&owner, destroyed);
        EXPECT_EQ(owner.ComponentCount(), 2);
    }
    EXPECT_EQ(destroyed, 3);
}

TEST(ComponentOwnership, DeletingAChildTakesItOffItsOwner) {
    TComponent owner;
    auto* child = new TComponent(&owner);
    child->SetName("Gone");
    delete child;
    EXPECT_EQ(owner.ComponentCount(), 0);
    EXPECT_EQ(owner.FindComponent("Gone"), nullptr);
}

TEST(ObjectList, IndexOutsideTheListFailsWithTheIndex) {
    TObjectList list;
    list.Add(std::make_unique<TObject>());
    EXPECT_NO_THROW(list.Items(0));
    try {
        list.Items(1);
        FAIL();
    } catch (const EListError& error) {
        EXPECT_STREQ(error.what(), "List index out of bounds (1)");
    }
    EXPECT_THROW(list.Items(-1), EListError);
}

TEST(ObjectList, HoldsEmptyEntriesAndReplacesObjects) {
    TObjectList list;
    list.Add(nullptr);
    EXPECT_EQ(list.Items(0), nullptr);
    auto object = std::make_unique<TObject>();
    TObject* raw = object.get();
    list.SetItems(0, std::move(object));
    EXPECT_EQ(list.Items(0), raw);
    list.SetItems(0, std::make_unique<TObject>()); // the old one is freed (leak check)
    list.Delete(0);
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
} // namespace zent
