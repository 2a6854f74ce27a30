#include "convert/ConversionRun.h"

#include "convert/Progress.h"
#include "convert/RunView.h"
#include "convert/TargetNames.h"
#include "filelist/FileEntry.h"
#include "filelist/Paths.h"
#include "framework/PathText.h"

#include <cmath>
#include <filesystem>
#include <system_error>

namespace zent {

namespace {

bool IsExistingDirectory(const std::string& text) {
    std::error_code error;
    return !text.empty() && std::filesystem::is_directory(ToFileSystemPath(text), error);
}

} // namespace

std::int64_t TruncatedTotal(double projectedTotal) {
    // 2^63 as a double; anything at or beyond it cannot be a byte count.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(projectedTotal > 0.0) || projectedTotal >= kLimit)
        return 0;
    return static_cast<std::int64_t>(std::trunc(projectedTotal));
}

ConversionRun::ConversionRun(RunView& view, WavWriterOptions options, TargetNames* names)
    : FView(view), FOptions(options), FNames(names) {}

void ConversionRun::ConvertAll() {
    const std::string directoryText = FView.TargetDirectoryText();
    if (!IsExistingDirectory(directoryText)) {
        FView.ShowErrorMessage(kPickValidDirectory);
        FView.FocusTargetDirectory();
        return;
    }
    FBytesDone = 0;
    FTotalBytes = TruncatedTotal(FView.TotalProjectedSize());
    const std::string directory = IncludeTrailingSeparator(directoryText);
    if (!FView.FirstEntry())
        return;
    FView.ClearSelectionAndFocusList();
    // Cleared once per run: a stop that arrives between two files still ends the run.
    FView.ClearStopRequest();
    try {
        FView.BeginConversionState();
        ConvertEntries(directory);
    } catch (...) {
        EndRun();
        throw;
    }
    EndRun();
}

void ConversionRun::ConvertEntries(const std::string& directory) {
    // Two sources of the same name never meet in one file.
    TargetNames runNames;
    TargetNames& names = FNames ? *FNames : runNames;
    names.BeginRun();
    // The top entry is read afresh each time: files dropped during the run join it.
    for (FileEntry* entry = FView.FirstEntry(); entry; entry = FView.FirstEntry()) {
        FView.SelectAndFocus(entry);
        FView.ProcessEvents();
        entry->TargetPath = names.Claim(directory, entry->FileName, entry->SourcePath);
        FView.SetStatusInfo(entry->FileName);
        if (FView.StopRequested())
            return;
        ConvertFile(ToFileSystemPath(entry->TargetPath), ToFileSystemPath(entry->SourcePath),
                    FView.Buffer(), *this, FOptions);
        if (FView.StopRequested())
            return;
        FView.RemoveEntry(entry);
    }
}

void ConversionRun::EndRun() {
    FView.UpdateStatus();
    FView.EndConversionState();
}

void ConversionRun::SetStatusText(const std::string& text) {
    FView.SetStatusText(text);
}

void ConversionRun::SetFileProgress(int percent) {
    FView.SetFileProgress(percent);
}

void ConversionRun::AddTotalProgress(std::int64_t bytes) {
    FBytesDone += bytes;
    FView.SetTotalProgress(ProgressPercent(FBytesDone, FTotalBytes));
}

void ConversionRun::ProcessEvents() {
    FView.ProcessEvents();
}

bool ConversionRun::StopRequested() const {
    return FView.StopRequested();
}

} // namespace zent
