#pragma once

#include "convert/ConversionRun.h"

#include <cstdint>

namespace zent {

class FileList;
struct FileEntry;
class TOutputItem;

// The output settings as a run takes them; values written by hand that make no sense (a rate
// of -5, three channels) fall back to the source's.
RunChoices ChoicesFrom(const TOutputItem& item);
// The files converted at once: the setting, or the number of processors.
unsigned JobsFrom(const TOutputItem& item);

// The WAV data bytes an entry becomes in this output: its whole seconds at the output's rate,
// channels and sample width.
std::int64_t ProjectedOutputSize(const FileEntry& entry, const OutputFormat& output);
// Brings every entry's projected size to the output.
void ProjectSizes(const FileList& list, const OutputFormat& output);

} // namespace zent
