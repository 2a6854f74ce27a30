#include "framework/ObjectList.h"

#include "framework/Errors.h"
#include "framework/Messages.h"
#include "framework/Text.h"

namespace zent {

void TObjectList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(FormatMessage(kListIndexOutOfBounds, index));
}

TObject* TObjectList::Items(int index) const {
    CheckIndex(index);
    return FItems[static_cast<std::size_t>(index)].get();
}

void TObjectList::SetItems(int index, std::unique_ptr<TObject> object) {
    CheckIndex(index);
    FItems[static_cast<std::size_t>(index)] = std::move(object);
}

int TObjectList::Add(std::unique_ptr<TObject> object) {
    FItems.push_back(std::move(object));
    return Count() - 1;
}

void TObjectList::Delete(int index) {
    CheckIndex(index);
    FItems.erase(FItems.begin() + index);
}

} // namespace zent
