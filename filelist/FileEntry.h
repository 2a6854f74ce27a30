#pragma once

#include <cstdint>
#include <string>

namespace zent {

// One row of the file list. Paths hold the platform's native bytes (UTF-8 here).
struct FileEntry {
    std::string FileName;
    std::string SourcePath;
    std::string TargetPath;
    std::int64_t ProjectedSize = 0; // bytes of WAV sample data, header not included
    std::int32_t LengthSeconds = 0;
};

} // namespace zent
