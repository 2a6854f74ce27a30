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
    // The source's own channels and rate, as probed (0 when unknown).
    std::int32_t Channels = 0;
    std::int32_t SampleRate = 0;
    // For a file found in a dropped folder: that folder's name and the folders below it down
    // to the file ("Album/CD2"); empty for a file added by itself.
    std::string Folder = {}; // initialised here: brace lists of the fields above need not name it
};

} // namespace zent
