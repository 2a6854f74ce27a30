#pragma once

#include "filelist/FileEntry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zent {

class DecoderStream;

// The extension of every file the program writes.
inline constexpr std::string_view kWavExtension = ".wav";

// True when the extension is mp3 or ogg in any letter case; other paths are skipped silently.
bool IsAcceptedPath(std::string_view path);

// A new, unprobed entry: the file name, the path as given, and the path ending in ".wav".
FileEntry MakeEntryForPath(const std::string& path);

// Decoded seconds to whole seconds, halves to the even neighbour (180.5 -> 180, 181.5 -> 182).
std::int32_t RoundToWholeSeconds(double seconds);

// The sample rate of most files, and the one a size is projected at when none is given.
inline constexpr std::int32_t kCommonSampleRate = 44100;

// The WAV data size that the list shows: 16-bit samples per channel at the file's own rate;
// 64-bit so that long files do not wrap.
std::int64_t ProjectWavDataSize(std::int32_t channels, std::int32_t lengthSeconds,
                                std::int32_t sampleRate = kCommonSampleRate);

// ProbeFile on an already opened stream (null when the file could not be opened).
void ProbeStream(FileEntry& entry, const DecoderStream* stream);

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
    // Appends a ready-made entry without probing it.
    FileEntry& Append(FileEntry entry);

    std::size_t Count() const { return FEntries.size(); }
    bool Empty() const { return FEntries.empty(); }
    FileEntry& At(std::size_t index) const { return *FEntries[index]; }
    std::optional<std::size_t> IndexOf(const FileEntry* entry) const;

    void RemoveAt(std::size_t index);
    void RemoveRange(std::size_t first, std::size_t count);
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
