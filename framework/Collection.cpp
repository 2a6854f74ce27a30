#include "framework/Collection.h"

#include "framework/Errors.h"
#include "framework/Messages.h"
#include "framework/Text.h"

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

void TCollection::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(FormatMessage(kListIndexOutOfBounds, index));
}

TCollectionItem& TCollection::Items(int index) const {
    CheckIndex(index);
    return *FItems[static_cast<std::size_t>(index)];
}

TCollectionItem& TCollection::Add() {
    FItems.push_back(FFactory(*this));
    return *FItems.back();
}

void TCollection::Delete(int index) {
    CheckIndex(index);
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
