#pragma once

#include "framework/Object.h"

#include <memory>
#include <vector>

namespace zent {

// A list that owns its objects: an object is deleted as it leaves the list (replaced, deleted,
// cleared or with the list). Entries may be empty.
class TObjectList : public TObject {
public:
    TObjectList() = default;

    int Count() const { return static_cast<int>(FItems.size()); }

    TObject* Items(int index) const;
    void SetItems(int index, std::unique_ptr<TObject> object);
    int Add(std::unique_ptr<TObject> object);
    void Delete(int index);
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TObject>> FItems;
};

} // namespace zent
