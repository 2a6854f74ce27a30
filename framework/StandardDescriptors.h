#pragma once

namespace zent {

// Opens /dev/null onto each of standard input, output and error that the process was started
// without, so that no file opened later takes one of their numbers (and then receives what
// is printed). For the first lines of main. Returns which of them were missing.
struct MissingStandardDescriptors {
    bool In = false;
    bool Out = false;
    bool Err = false;
};
MissingStandardDescriptors OpenMissingStandardDescriptors();

} // namespace zent
