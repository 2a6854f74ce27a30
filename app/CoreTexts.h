#pragma once

#include "framework/CoreText.h"

#include <QString>

namespace zent {

// A text of the UI-free core (a status text, a message) in the user's language, by its
// identity: the arguments (paths, numbers, the system's reason) are put in unchanged. A text
// of no identity, or one without a translation, is shown in English.
QString ShownCoreText(const CoreText& text);

} // namespace zent
