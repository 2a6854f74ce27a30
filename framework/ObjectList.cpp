#include "framework/ObjectList.h"

#include "framework/Assert.h"

namespace zent {

TObject* TObjectList::Items(int index) const {
    CheckListIndex(index, Count());
    return FItems[static_cast<std::size_t>(index)].get();
}

void TObjectList::SetItems(int index, std::unique_ptr<TObject> object) {
    CheckListIndex(index, Count());
    FItems[static_cast<std::size_t>(index)] = std::move(object);
}

int TObjectList::Add(std::unique_ptr<TObject> object) {
    FItems.push_back(std::move(object));
    return Count() - 1;
}

void TObjectList::Delete(int index) {
    CheckListIndex(index, Count());
    FItems.erase(FItems.begin() + index);
}

} // namespace zent
