#pragma once

#include "convert/ConversionView.h"
#include "convert/WavWriter.h"

#include <cstdint>
#include <string>

namespace zent {

class RunView;
class TargetNames;

inline constexpr const char* kPickValidDirectory = "Please pick a valid target directory.";

// The batch run over the window's list: converts the top entry and removes it, again and
// again, until the list is empty, a stop is requested or an error occurs. The writer reports
// through this object, which passes everything on to the window and keeps the batch total.
class ConversionRun : public ConversionView {
public:
    // names, when given, outlives the run: a window's later runs then never replace what its
    // earlier ones wrote.
    explicit ConversionRun(RunView& view, WavWriterOptions options = {},
                           TargetNames* names = nullptr);

    // Errors of the conversion reach the caller after the window is back in its idle state.
    void ConvertAll();

    void SetStatusText(const std::string& text) override;
    void SetFileProgress(int percent) override;
    void AddTotalProgress(std::int64_t bytes) override;
    void ProcessEvents() override;
    bool StopRequested() const override;

    std::int64_t BytesDone() const { return FBytesDone; }

private:
    void ConvertEntries(const std::string& directory);
    void EndRun();

    RunView& FView;
    WavWriterOptions FOptions;
    TargetNames* FNames;
    std::int64_t FBytesDone = 0;
    std::int64_t FTotalBytes = 0;
};

// The batch total in whole bytes: truncated toward zero; negative, NaN or out-of-range
// totals count as 0.
std::int64_t TruncatedTotal(double projectedTotal);

} // namespace zent
