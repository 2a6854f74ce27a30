#include "framework/Object.h"

namespace zent {

const TClassInfo& TObject::StaticClassInfo() {
    static const TClassInfo info("TObject", nullptr, {});
    return info;
}

const TClassInfo& TPersistent::StaticClassInfo() {
    static const TClassInfo info("TPersistent", &TObject::StaticClassInfo(), {});
    return info;
}

} // namespace zent
