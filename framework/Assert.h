#pragma once

#include <cstdint>
#include <string_view>

namespace zent {

// Raises EAssertionFailed with "message (unit, line N)".
[[noreturn]] void RaiseAssertion(std::string_view message, std::string_view unit, int line);

// Raises EListError with "List index out of bounds (index)".
[[noreturn]] void RaiseListIndexError(std::int64_t index);

// RaiseListIndexError unless 0 <= index < count.
void CheckListIndex(int index, int count);

} // namespace zent

// Checks an interface's preconditions; the unit name says which part of the program was misused.
#define ZENT_ASSERT(condition, message, unit)                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::zent::RaiseAssertion((message), (unit), __LINE__);                                   \
    } while (false)
