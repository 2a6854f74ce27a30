#include "framework/Strings.h"

#include "framework/Collection.h"
#include "framework/Errors.h"

#include <gtest/gtest.h>

namespace zent {
namespace {

TEST(Strings, EveryChangeOutsideABatchNotifies) {
    TStrings lines;
    int changes = 0;
    lines.SetOnChange([&] { ++changes; });
    lines.Add("a");
    lines.Insert(0, "b");
    lines.SetStrings(1, "c");
    lines.Delete(0);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(lines.Lines(), std::vector<std::string>{"c"});
}

TEST(Strings, ABatchNotifiesOnceAtItsEndEvenWithoutChanges) {
    TStrings lines;
    int changes = 0;
    lines.SetOnChange([&] { ++changes; });
    lines.BeginUpdate();
    lines.BeginUpdate();
    lines.Add("a");
    lines.Add("b");
    lines.EndUpdate();
    EXPECT_EQ(changes, 0);
    lines.EndUpdate();
    EXPECT_EQ(changes, 1);
    lines.BeginUpdate();
    lines.EndUpdate();
    EXPECT_EQ(changes, 2);
}

TEST(Strings, IndexOfIgnoresCase) {
    TStrings lines;
    lines.Assign({"Name", "tag"});
    EXPECT_EQ(lines.IndexOf("TAG"), 1);
    EXPECT_EQ(lines.IndexOf("Ordering"), -1);
}

TEST(Strings, IndexOutsideTheListFails) {
    TStrings lines;
    EXPECT_THROW(lines.Strings(0), EListError);
    EXPECT_THROW(lines.Delete(0), EListError);
}

class TNumber : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    int FValue = 0;
};

TEST(Collection, MakesItemsOfItsClassAndKnowsTheirPositions) {
    TCollection numbers(TCollection::FactoryOf<TNumber>());
    static_cast<TNumber&>(numbers.Add()).FValue = 1;
    auto& second = static_cast<TNumber&>(numbers.Add());
    EXPECT_EQ(second.Index(), 1);
    numbers.Delete(0);
    EXPECT_EQ(second.Index(), 0);
    EXPECT_EQ(&second.Collection(), &numbers);
    EXPECT_THROW(numbers.Items(1), EListError);
}

} // namespace
} // namespace zent
