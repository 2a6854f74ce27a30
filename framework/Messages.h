#pragma once

#include <string_view>

namespace zent {

// Messages of the framework's errors; %s and %d stand for the value concerned.
inline constexpr std::string_view kListIndexOutOfBounds = "List index out of bounds (%d)";
inline constexpr std::string_view kInvalidComponentName = "''%s'' is not a valid component name";
inline constexpr std::string_view kDuplicateComponentName = "A component named %s already exists";
inline constexpr std::string_view kUnableToWrite = "Unable to write to %s";

} // namespace zent
