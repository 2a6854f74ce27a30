#include "filelist/FileList.h"

#include "decode/Decoder.h"
#include "filelist/Paths.h"
#include "framework/Assert.h"
#include "framework/Errors.h"
#include "framework/PathText.h"
#include "framework/Text.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace zent {

namespace {

constexpr std::string_view kAcceptedExtensions[] = {"mp3", "ogg", "opus", "flac", "oga"};

// A lossy file is shown as 16-bit PCM, whatever sample width it really decodes to.
constexpr std::int64_t kProjectedBytesPerSample = 2;

QLocale CollationLocale() {
    const QLocale locale;
    // The C locale would compare code points (B before a); people expect a, B, c.
    if (locale.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

// Building a collator is costly, so one is kept until the default locale changes.
const QCollator& NameCollator() {
    thread_local std::optional<QCollator> collator;
    const QLocale locale = CollationLocale();
    if (!collator || collator->locale() != locale) {
        collator.emplace(locale);
        collator->setCaseSensitivity(Qt::CaseSensitive);
        collator->setNumericMode(false);
        collator->setIgnorePunctuation(false);
    }
    return *collator;
}

int Sign(std::int64_t value) {
    return (value > 0) - (value < 0);
}

} // namespace

bool IsAcceptedPath(std::string_view path) {
    const std::string extension = LowerCase(GetExtension(path));
    return std::find(std::begin(kAcceptedExtensions), std::end(kAcceptedExtensions), extension) !=
           std::end(kAcceptedExtensions);
}

FileEntry MakeEntryForPath(const std::string& path) {
    FileEntry entry;
    entry.FileName = ExtractFileName(path);
    entry.SourcePath = path;
    entry.TargetPath = ChangeFileExt(path, kWavExtension);
    return entry;
}

std::int32_t RoundToWholeSeconds(double seconds) {
    if (!(seconds > 0.0))
        return 0;
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (seconds >= kMax)
        return std::numeric_limits<std::int32_t>::max();
    // The default rounding mode, which nothing in the program changes, sends halves to even.
    return static_cast<std::int32_t>(std::nearbyint(seconds));
}

std::int64_t ProjectWavDataSize(std::int32_t channels, std::int32_t lengthSeconds,
                                std::int32_t sampleRate) {
    return std::int64_t{channels} * lengthSeconds * sampleRate * kProjectedBytesPerSample;
}

std::int32_t GetChannelCount(const DecoderStream* stream) {
    if (stream == nullptr)
        throw Error(CoreText{CoreTextId::SampleNotLoaded});
    return stream->Channels();
}

void ProbeStream(FileEntry& entry, const DecoderStream* stream) {
    if (stream != nullptr)
        entry.LengthSeconds = RoundToWholeSeconds(stream->LengthSeconds());
    const std::int32_t channels = GetChannelCount(stream);
    entry.Channels = channels;
    entry.SampleRate = stream->SampleRate();
    entry.ProjectedSize = ProjectWavDataSize(channels, entry.LengthSeconds, stream->SampleRate());
    // A lossless source is written at its own depth.
    if (const int bits = stream->SourceBits(); bits > 0)
        entry.ProjectedSize = entry.ProjectedSize / kProjectedBytesPerSample * ((bits + 7) / 8);
}

void ProbeFile(FileEntry& entry) {
    const std::unique_ptr<DecoderStream> stream =
        OpenDecoderStream(ToFileSystemPath(entry.SourcePath));
    ProbeStream(entry, stream.get());
}

int VST1CompareNodes(const FileEntry& first, const FileEntry& second, int sortColumn) {
    if (sortColumn == 0) {
        return Sign(NameCollator().compare(QString::fromStdString(first.FileName),
                                           QString::fromStdString(second.FileName)));
    }
    // Widened: the difference of two 32-bit lengths may not fit in 32 bits.
    return Sign(std::int64_t{first.LengthSeconds} - second.LengthSeconds);
}

std::optional<std::size_t> ChooseFocusAfterDeletion(const std::vector<bool>& selected) {
    std::optional<std::size_t> candidate;
    bool seenSelected = false;
    for (std::size_t i = 0; i < selected.size(); ++i) {
        if (!selected[i]) {
            candidate = i;
            if (seenSelected)
                break;
        } else {
            if (candidate)
                break;
            seenSelected = true;
        }
    }
    return candidate;
}

FileEntry* FileList::AddFile(const std::string& path) {
    if (!IsAcceptedPath(path))
        return nullptr;
    FileEntry& entry = Append(MakeEntryForPath(path));
    ProbeFile(entry);
    return &entry;
}

FileEntry& FileList::Append(FileEntry entry) {
    FEntries.push_back(std::make_unique<FileEntry>(std::move(entry)));
    return *FEntries.back();
}

std::optional<std::size_t> FileList::IndexOf(const FileEntry* entry) const {
    for (std::size_t i = 0; i < FEntries.size(); ++i) {
        if (FEntries[i].get() == entry)
            return i;
    }
    return std::nullopt;
}

void FileList::RemoveAt(std::size_t index) {
    if (index >= FEntries.size())
        RaiseListIndexError(static_cast<std::int64_t>(index));
    FEntries.erase(FEntries.begin() + static_cast<std::ptrdiff_t>(index));
}

void FileList::RemoveRange(std::size_t first, std::size_t count) {
    if (first > FEntries.size() || count > FEntries.size() - first)
        RaiseListIndexError(static_cast<std::int64_t>(first + count));
    const auto begin = FEntries.begin() + static_cast<std::ptrdiff_t>(first);
    FEntries.erase(begin, begin + static_cast<std::ptrdiff_t>(count));
}

void FileList::RemoveIndices(const std::vector<std::size_t>& indices) {
    std::vector<bool> doomed(FEntries.size(), false);
    for (const std::size_t index : indices) {
        if (index >= FEntries.size())
            RaiseListIndexError(static_cast<std::int64_t>(index));
        doomed[index] = true;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < FEntries.size(); ++i) {
        if (!doomed[i])
            FEntries[kept++] = std::move(FEntries[i]);
    }
    FEntries.resize(kept);
}

void FileList::Clear() {
    FEntries.clear();
}

void FileList::SortList(int sortColumn, bool ascending) {
    std::vector<std::size_t> order(FEntries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});

    // Equal entries keep their order in both directions, so descending is not a reversal.
    auto sortBy = [&](auto compare) {
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const int result = compare(a, b);
            return ascending ? result < 0 : result > 0;
        });
    };

    if (sortColumn == 0) {
        // One collation key per entry instead of two string conversions per comparison.
        const QCollator& collator = NameCollator();
        std::vector<QCollatorSortKey> keys;
        keys.reserve(FEntries.size());
        for (const auto& entry : FEntries)
            keys.push_back(collator.sortKey(QString::fromStdString(entry->FileName)));
        sortBy([&](std::size_t a, std::size_t b) { return Sign(keys[a].compare(keys[b])); });
    } else {
        sortBy([&](std::size_t a, std::size_t b) {
            return VST1CompareNodes(*FEntries[a], *FEntries[b], sortColumn);
        });
    }

    std::vector<std::unique_ptr<FileEntry>> sorted;
    sorted.reserve(FEntries.size());
    for (const std::size_t index : order)
        sorted.push_back(std::move(FEntries[index]));
    FEntries = std::move(sorted);
}

double FileList::TotalProjectedSize() const {
    double total = 0.0;
    for (const auto& entry : FEntries)
        total += static_cast<double>(entry->ProjectedSize);
    return total;
}

} // namespace zent
