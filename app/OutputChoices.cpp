#include "app/OutputChoices.h"

#include "convert/SampleFormat.h"
#include "filelist/FileList.h"
#include "framework/Processors.h"
#include "settings/OutputItem.h"

#include <algorithm>

namespace zent {

namespace {

// Beyond what any sound card or file in use has.
constexpr int kMaxRate = 768000;
constexpr int kMaxJobs = 256;

SampleFormat FormatFrom(TOutputItem::Samples samples) {
    switch (samples) {
    case TOutputItem::Samples::Bits8:
        return SampleFormat::U8;
    case TOutputItem::Samples::Bits24:
        return SampleFormat::S24;
    case TOutputItem::Samples::Bits32:
        return SampleFormat::S32;
    case TOutputItem::Samples::Float32:
        return SampleFormat::F32;
    case TOutputItem::Samples::AsSource:
    case TOutputItem::Samples::Bits16:
        break;
    }
    return SampleFormat::S16;
}

ExistingTarget ExistingFrom(TOutputItem::Existing existing) {
    switch (existing) {
    case TOutputItem::Existing::Number:
        return ExistingTarget::Numbered;
    case TOutputItem::Existing::Skip:
        return ExistingTarget::Keep;
    case TOutputItem::Existing::Replace:
        break;
    }
    return ExistingTarget::Replace;
}

} // namespace

RunChoices ChoicesFrom(const TOutputItem& item) {
    RunChoices choices;
    choices.Output.Format = FormatFrom(item.SampleFormat);
    choices.Output.Rate = item.SampleRate > 0 && item.SampleRate <= kMaxRate ? item.SampleRate : 0;
    choices.Output.Channels = item.Channels == 1 || item.Channels == 2 ? item.Channels : 0;
    choices.Output.Tags = item.CopyTags;
    choices.Existing = ExistingFrom(item.ExistingFiles);
    choices.KeepFolders = item.KeepFolders;
    choices.KeepGoing = item.KeepGoing;
    return choices;
}

unsigned JobsFrom(const TOutputItem& item) {
    if (item.Jobs > 0)
        return static_cast<unsigned>(std::min(item.Jobs, kMaxJobs));
    return UsableProcessorCount();
}

std::int64_t ProjectedOutputSize(const FileEntry& entry, const OutputFormat& output) {
    const std::int64_t rate = output.Rate > 0 ? output.Rate : entry.SampleRate;
    const std::int64_t channels = output.Channels > 0 ? output.Channels : entry.Channels;
    return std::int64_t{entry.LengthSeconds} * rate * channels * BytesPerSample(output.Format);
}

void ProjectSizes(const FileList& list, const OutputFormat& output) {
    for (std::size_t i = 0; i < list.Count(); ++i) {
        FileEntry& entry = list.At(i);
        entry.ProjectedSize = ProjectedOutputSize(entry, output);
    }
}

} // namespace zent
