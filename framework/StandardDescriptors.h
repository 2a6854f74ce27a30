#pragma once

namespace zent {

// Opens /dev/null onto each of standard input, output and error that the process was started
// without, so that no file opened later takes one of their numbers (and then receives what
// is printed). For the first lines of main.
void OpenMissingStandardDescriptors();

} // namespace zent
