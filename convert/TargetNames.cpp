#include "convert/TargetNames.h"

#include "filelist/FileList.h"
#include "filelist/Paths.h"

namespace zent {

std::string TargetNames::Claim(const std::string& directory, std::string_view fileName) {
    // Only the name counts: nothing in it may lead out of the target directory.
    const std::string name = ExtractFileName(fileName);
    std::string target = directory + ChangeFileExt(name, kWavExtension);
    if (FClaimed.contains(target)) {
        const std::string stem = directory + ChangeFileExt(name, "");
        for (int number = 2; FClaimed.contains(target); ++number)
            target = stem + " (" + std::to_string(number) + ")" + std::string(kWavExtension);
    }
    FClaimed.insert(target);
    return target;
}

} // namespace zent
