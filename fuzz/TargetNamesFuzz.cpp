// Output names from any source names: the first line is the target directory, each further
// line a source file's path. Every target must be a distinct ".wav" name directly inside the
// target directory.
#include "convert/TargetNames.h"
#include "filelist/FileList.h"
#include "filelist/Paths.h"
#include "fuzz/FuzzSupport.h"

#include <set>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zent;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto firstBreak = text.find('\n');
    const std::string directory = IncludeTrailingSeparator(std::string(text.substr(0, firstBreak)));
    text = firstBreak == std::string_view::npos ? std::string_view{} : text.substr(firstBreak + 1);
    fuzz::Check(directory.empty() || IsPathSeparator(directory.back()),
                "the directory ends with a separator");

    TargetNames names;
    std::set<std::string> targets;
    while (!text.empty()) {
        const auto lineBreak = text.find('\n');
        const std::string_view source = text.substr(0, lineBreak);
        text =
            lineBreak == std::string_view::npos ? std::string_view{} : text.substr(lineBreak + 1);

        const std::string sourceName = ExtractFileName(source);
        const std::string renamed = ChangeFileExt(source, kWavExtension);
        fuzz::Check(renamed.starts_with(source.substr(0, source.size() - sourceName.size())) &&
                        ExtractFileName(renamed) == ChangeFileExt(sourceName, kWavExtension),
                    "a new extension changes only the file name");

        const std::string target = names.Claim(directory, ExtractFileName(source));
        fuzz::Check(target.starts_with(directory), "the target is in the target directory");
        const std::string_view name = std::string_view(target).substr(directory.size());
        fuzz::Check(ExtractFileName(name) == name, "the target name holds no separator");
        fuzz::Check(name != "." && name != "..", "the target name is not a directory step");
        fuzz::Check(name.ends_with(kWavExtension), "the target name ends with .wav");
        fuzz::Check(GetExtension(name) == "wav", "the target's extension is wav");
        fuzz::Check(targets.insert(target).second, "no two sources share a target");
    }
    return 0;
}
