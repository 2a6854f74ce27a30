#include "settings/ZentStruc.h"

namespace zent {

const TClassInfo& TOptionsItem::StaticClassInfo() {
    static const TClassInfo info =
        TClassBuilder<TOptionsItem>("TOptionsItem", &TComponent::StaticClassInfo())
            .Boolean("Ascending", &TOptionsItem::Ascending, &TOptionsItem::SetAscending)
            .String("DefaultDir", &TOptionsItem::DefaultDir, &TOptionsItem::SetDefaultDir)
            .Integer("Ordering", &TOptionsItem::Ordering, &TOptionsItem::SetOrdering)
            .Build();
    return info;
}

} // namespace zent
