#pragma once

#include "framework/CoreText.h"

#include <cstddef>
#include <string>

namespace zent {

struct FileEntry;

// What the batch run needs from the window that owns the list, the bars and the flags.
class RunView {
public:
    virtual ~RunView() = default;

    virtual std::string TargetDirectoryText() const = 0;
    virtual void ShowErrorMessage(const CoreText& message) = 0; // error box, one OK button
    virtual void FocusTargetDirectory() = 0;                    // if it can take the focus

    virtual FileEntry* FirstEntry() = 0; // in display order; null when the list is empty
    virtual std::size_t EntryCount() const = 0;
    virtual FileEntry* EntryAt(std::size_t index) = 0; // in display order
    virtual void RemoveEntry(const FileEntry* entry) = 0;
    virtual double TotalProjectedSize() const = 0;
    virtual void ClearSelectionAndFocusList() = 0;
    virtual void SelectAndFocus(const FileEntry* entry) = 0;

    virtual void BeginConversionState() = 0;
    virtual void EndConversionState() = 0;
    virtual void UpdateStatus() = 0;
    virtual void SetStatusText(const CoreText& text) = 0;    // panel 0
    virtual void SetStatusInfo(const std::string& text) = 0; // panel 1
    virtual void SetFileProgress(int percent) = 0;
    virtual void SetTotalProgress(int percent) = 0;

    virtual bool StopRequested() const = 0;
    virtual void ClearStopRequest() = 0;
};

} // namespace zent
