#pragma once

#include "framework/Object.h"

#include <functional>
#include <memory>
#include <vector>

namespace zent {

class TCollection;

// One item of a collection; the collection owns it.
class TCollectionItem : public TPersistent {
public:
    explicit TCollectionItem(TCollection& collection) : FCollection(&collection) {}

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    TCollection& Collection() const { return *FCollection; }
    int Index() const;

private:
    TCollection* FCollection;
};

// An owned list of items of one class, made by the factory given at construction.
class TCollection : public TPersistent {
public:
    using ItemFactory = std::function<std::unique_ptr<TCollectionItem>(TCollection&)>;

    explicit TCollection(ItemFactory factory) : FFactory(std::move(factory)) {}

    template <class Item> static ItemFactory FactoryOf() {
        return [](TCollection& owner) {
            return std::make_unique<Item>(owner);
        };
    }

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem& Items(int index) const;
    TCollectionItem& Add();
    void Delete(int index);
    void Clear() { FItems.clear(); }
    int IndexOf(const TCollectionItem& item) const;

private:
    ItemFactory FFactory;
    std::vector<std::unique_ptr<TCollectionItem>> FItems;
};

} // namespace zent
