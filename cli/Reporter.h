#pragma once

#include "cli/BatchRunner.h"

#include <chrono>
#include <mutex>
#include <ostream>
#include <string>

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

// What a person (standard error) and a program (--json on standard output) learn of the run.
class Reporter final : public BatchObserver {
public:
    Reporter(const ReporterOptions& options, const BatchProgress& progress, std::ostream& out,
             std::ostream& err);

    void FileFinished(const FileResult& result) override;
    // Problems found before any conversion: a directory that could not be read.
    void Problem(const std::string& message);
    // Redraws the progress line (terminal only).
    void Tick();
    // Clears the progress line.
    void Finish();

private:
    void ClearLine();
    void DrawLine();

    ReporterOptions FOptions;
    const BatchProgress& FProgress;
    std::ostream& FOut;
    std::ostream& FErr;
    std::mutex FMutex;
    std::chrono::steady_clock::time_point FStart;
    bool FLineShown = false;
};

} // namespace zent::cli
