#pragma once

#include <QString>

namespace zent {

// The texts of the UI-free core (status texts, its messages) in the user's language: the
// core speaks English; the window translates what it shows. A message that the table does not
// know is shown as it is.
QString ShownCoreText(const QString& text);

} // namespace zent
