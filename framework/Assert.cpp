#include "framework/Assert.h"

#include "framework/Errors.h"
#include "framework/Messages.h"
#include "framework/Text.h"

#include <string>

namespace zent {

void RaiseAssertion(std::string_view message, std::string_view unit, int line) {
    std::string text(message);
    text += " (";
    text += unit;
    text += ", line ";
    text += std::to_string(line);
    text += ")";
    throw EAssertionFailed(text);
}

void RaiseListIndexError(std::int64_t index) {
    throw EListError(FormatMessage(kListIndexOutOfBounds, index));
}

void CheckListIndex(int index, int count) {
    if (index < 0 || index >= count)
        RaiseListIndexError(index);
}

} // namespace zent
