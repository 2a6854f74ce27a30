#pragma once

#include "cli/BatchRunner.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zent::cli {

struct ReporterOptions {
    bool Quiet = false;
    bool Json = false;
    // Standard error is a terminal: one line that updates, instead of a line per file.
    bool Terminal = false;
};

// "3/10 files  42%  35.2x realtime  0:12 left"
std::string ProgressLine(int filesDone, int filesTotal, double fraction, double realtime,
                         double secondsLeft);

// How a run went, counted from its results.
struct RunSummary {
    int Converted = 0;
    int Skipped = 0;
    int Failed = 0;
    int Stopped = 0;
    int Warned = 0;          // converted, but with a warning
    double AudioSeconds = 0; // of the files converted
    double WallSeconds = 0;
};
RunSummary Summarize(const std::vector<FileResult>& results, double wallSeconds);
// "3 converted, 1 skipped, 0 failed; 12:00 of audio in 0:20, 36.0x realtime"
std::string SummaryLine(const RunSummary& summary);

// Text as a person's terminal shows it safely: control bytes escaped as "\n", "\t", "\r" or
// three octal digits ("\033"), so that a name can neither split a line nor steer the terminal.
std::string ShownText(std::string_view text);

// What a person (standard error) and a program (--json on standard output) learn of the run.
class Reporter final : public BatchObserver {
public:
    // stop is set when an output cannot be written any more.
    Reporter(const ReporterOptions& options, const BatchProgress& progress, std::ostream& out,
             std::ostream& err, std::atomic<bool>& stop);

    void FileFinished(const FileResult& result) override;
    // Problems found before any conversion: a directory that could not be read.
    void Problem(const std::string& message);
    // Redraws the progress line (terminal only).
    void Tick();
    // Clears the progress line and, unless quiet, ends with the summary line.
    void Finish(const std::vector<FileResult>& results);
    // A write of either output failed; the run was stopped then.
    bool OutputFailed() const { return FOutputFailed.load(); }

private:
    void ClearLine();
    void DrawLine();
    // After each write: a failed one stops the run, said once where it can still be said.
    void CheckOutputs();

    ReporterOptions FOptions;
    const BatchProgress& FProgress;
    std::ostream& FOut;
    std::ostream& FErr;
    std::atomic<bool>& FStop;
    std::mutex FMutex;
    std::chrono::steady_clock::time_point FStart;
    bool FLineShown = false;
    std::atomic<bool> FOutputFailed{false};
};

} // namespace zent::cli
