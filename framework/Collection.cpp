#include "framework/Collection.h"

#include "framework/Assert.h"

namespace zent {

const TClassInfo& TCollectionItem::StaticClassInfo() {
    static const TClassInfo info("TCollectionItem", &TPersistent::StaticClassInfo(), {});
    return info;
}

int TCollectionItem::Index() const {
    return FCollection->IndexOf(*this);
}

const TClassInfo& TCollection::StaticClassInfo() {
    static const TClassInfo info("TCollection", &TPersistent::StaticClassInfo(), {});
    return info;
}

TCollectionItem& TCollection::Items(int index) const {
    CheckListIndex(index, Count());
    return *FItems[static_cast<std::size_t>(index)];
}

TCollectionItem& TCollection::Add() {
    FItems.push_back(FFactory(*this));
    return *FItems.back();
}

void TCollection::Delete(int index) {
    CheckListIndex(index, Count());
    FItems.erase(FItems.begin() + index);
}

int TCollection::IndexOf(const TCollectionItem& item) const {
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        if (FItems[i].get() == &item)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace zent
