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

// How a run went, counted from its records.
struct RunSummary {
    int Converted = 0;
    int Skipped = 0;
    int Failed = 0;
    int Stopped = 0;
    int NotStarted = 0;
    int Warned = 0;          // converted, but with a warning
    double AudioSeconds = 0; // of the files converted
    double WallSeconds = 0;
};
RunSummary Summarize(const std::vector<FileRecord>& records, double wallSeconds);
// "3 converted, 1 skipped, 0 failed; 12:00 of audio in 0:20, 36.0x realtime"
std::string SummaryLine(const RunSummary& summary);
// The report's last record: {"summary":{"converted":3,...,"not_started":0,"jobs":2,...}}
std::string SummaryJson(const RunSummary& summary, unsigned jobs);
// A file's record in --json and the report.
std::string JsonLine(const FileRecord& record);

// Text as a person's terminal shows it safely: control characters escaped as "\n", "\t", "\r"
// or each byte in three octal digits ("\033", "\302\233"), so that a name can neither split a
// line nor steer the terminal nor turn the text around it: C0 and C1 controls (also C1 as raw
// bytes outside UTF-8) and the bidirectional overrides and isolates.
std::string ShownText(std::string_view text);

// What a person (standard error) and a program (--json on standard output) learn of the run.
class Reporter final : public BatchObserver {
public:
    // stop is set when an output cannot be written any more. report, when given, receives
    // every file's record as --json does, and at the end the summary.
    Reporter(const ReporterOptions& options, const BatchProgress& progress, std::ostream& out,
             std::ostream& err, std::atomic<bool>& stop, std::ostream* report = nullptr);

    void FileFinished(const FileRecord& record) override;
    // Problems found before any conversion (a folder that could not be read): a failed
    // record whose message names its source.
    void Problem(const FileRecord& record);
    // A note for the person, not a failure ("no input files").
    void Note(const std::string& message);
    // Redraws the progress line (terminal only).
    void Tick();
    // Clears the progress line, records the files never started in the report and ends it with
    // the summary; unless quiet, ends with the summary line.
    void Finish(const std::vector<FileRecord>& records, unsigned jobs);
    // A write of either output failed; the run was stopped then.
    bool OutputFailed() const { return FOutputFailed.load(); }

private:
    void ClearLine();
    void DrawLine();
    // After each write: a failed one stops the run, said once where it can still be said.
    void CheckOutputs();
    void Record(const std::string& line);

    ReporterOptions FOptions;
    const BatchProgress& FProgress;
    std::ostream& FOut;
    std::ostream& FErr;
    std::ostream* FReport;
    std::atomic<bool>& FStop;
    std::mutex FMutex;
    std::chrono::steady_clock::time_point FStart;
    bool FLineShown = false;
    int FFilesShown = 0; // the count in "[3/10]", one more for each file told
    std::atomic<bool> FOutputFailed{false};
};

} // namespace zent::cli
