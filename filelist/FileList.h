#pragma once

#include "filelist/FileEntry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zent {

class DecoderStream;

// The message of the file list's only error.
inline constexpr const char* kSampleNotLoaded = "Sample not loaded.";

// Sets the entry's LengthSeconds and ProjectedSize from the decoder. Throws Error
// "Sample not loaded." when the file cannot be decoded (the entry keeps 0 and 0).
void ProbeFile(FileEntry& entry);

// Channel count of an open stream; throws "Sample not loaded." for no stream.
std::int32_t GetChannelCount(const DecoderStream* stream);

// FSortColumn 0 sorts by file name (locale-aware, case counts, no numeric ordering);
// any other value by length. Negative, 0 or positive.
int VST1CompareNodes(const FileEntry& first, const FileEntry& second, int sortColumn);

// The entry that gets the focus after the selected entries are deleted; none when every
// entry is selected. Entries are given in display order.
std::optional<std::size_t> ChooseFocusAfterDeletion(const std::vector<bool>& selected);

// The entries in display order. Each entry keeps its address for its whole life, however
// the list is sorted or grows.
class FileList {
public:
    // Appends and probes an entry when the extension is mp3 or ogg (any case); returns it,
    // or null when the path was skipped. A probe failure throws after the entry was added.
    FileEntry* AddFile(const std::string& path);

    std::size_t Count() const { return FEntries.size(); }
    bool Empty() const { return FEntries.empty(); }
    FileEntry& At(std::size_t index) const { return *FEntries[index]; }
    std::optional<std::size_t> IndexOf(const FileEntry* entry) const;

    void RemoveAt(std::size_t index);
    // Removes the entries at the given indices in one pass over the list.
    void RemoveIndices(const std::vector<std::size_t>& indices);
    void Clear();

    // Stable in both directions: equal entries keep their order.
    void SortList(int sortColumn, bool ascending);

    double TotalProjectedSize() const;

private:
    std::vector<std::unique_ptr<FileEntry>> FEntries;
};

} // namespace zent
