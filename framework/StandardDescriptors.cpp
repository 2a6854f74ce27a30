#include "framework/StandardDescriptors.h"

#include <cerrno>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace zent {

MissingStandardDescriptors OpenMissingStandardDescriptors() {
    MissingStandardDescriptors missing;
    for (const int number : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(number, F_GETFD) != -1 || errno != EBADF)
            continue;
        (number == STDIN_FILENO    ? missing.In
         : number == STDOUT_FILENO ? missing.Out
                                   : missing.Err) = true;
        // The lowest free number is this one: the ones below it are open by now.
        const int handle = ::open("/dev/null", number == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (handle >= 0 && handle != number) {
            ::dup2(handle, number);
            ::close(handle);
        }
    }
    return missing;
}

} // namespace zent
