#include "cli/Reporter.h"

#include "cli/CliOptions.h"
#include "cli/JsonText.h"
#include "framework/Text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace zent::cli {

namespace {

constexpr int kSecondsPerMinute = 60;
constexpr int kSecondsPerHour = 3600;

std::string Duration(double seconds) {
    const auto total = static_cast<long long>(std::llround(std::max(0.0, seconds)));
    char text[32];
    if (total >= kSecondsPerHour)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / kSecondsPerHour,
                      total % kSecondsPerHour / kSecondsPerMinute, total % kSecondsPerMinute);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", total / kSecondsPerMinute,
                      total % kSecondsPerMinute);
    return text;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

double Seconds(const FileReport& report) {
    return report.SampleRate > 0 ? static_cast<double>(report.Frames) / report.SampleRate : 0.0;
}

} // namespace

std::string JsonLine(const FileRecord& record) {
    const FileReport report = record.Report.value_or(FileReport{});
    return "{\"source\":" + JsonString(record.Source) + ",\"target\":" + JsonString(record.Target) +
           ",\"seconds\":" + Number(Seconds(report)) +
           ",\"frames\":" + std::to_string(report.Frames) +
           ",\"channels\":" + std::to_string(report.Channels) +
           ",\"rate\":" + std::to_string(report.SampleRate) +
           ",\"status\":" + JsonString(StatusName(record)) +
           ",\"message\":" + JsonString(report.Message) +
           (report.Warnings.empty()
                ? ""
                : ",\"warning\":" + JsonString(JoinedEnglish(report.Warnings))) +
           "}\n";
}

namespace {

// A character that moves the cursor, switches the terminal's mode or turns the text around
// it: C1 controls, the bidirectional embeddings, overrides and isolates.
bool IsHiddenControl(std::uint32_t code) {
    return (code >= 0x80 && code <= 0x9F) || (code >= 0x202A && code <= 0x202E) ||
           (code >= 0x2066 && code <= 0x2069);
}

std::uint32_t CodeOf(std::string_view sequence) {
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(sequence[i]);
    };
    switch (sequence.size()) {
    case 2:
        return (byte(0) & 0x1Fu) << 6 | (byte(1) & 0x3Fu);
    case 3:
        return (byte(0) & 0x0Fu) << 12 | (byte(1) & 0x3Fu) << 6 | (byte(2) & 0x3Fu);
    case 4:
        return (byte(0) & 0x07u) << 18 | (byte(1) & 0x3Fu) << 12 | (byte(2) & 0x3Fu) << 6 |
               (byte(3) & 0x3Fu);
    default:
        return byte(0);
    }
}

void AppendOctal(std::string& shown, std::string_view bytes) {
    for (const char c : bytes) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\%03o", static_cast<unsigned char>(c));
        shown += escaped;
    }
}

} // namespace

std::string ShownText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            // A byte outside valid UTF-8 stands alone; only 0x80..0x9F of them are controls
            // (on a terminal that reads single bytes).
            const std::size_t length = std::max<std::size_t>(1, Utf8SequenceLength(text.substr(i)));
            const std::string_view sequence = text.substr(i, length);
            if (IsHiddenControl(CodeOf(sequence)))
                AppendOctal(shown, sequence);
            else
                shown += sequence;
            i += length;
            continue;
        }
        if (byte >= 0x20 && byte != 0x7F)
            shown += c;
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\t')
            shown += "\\t";
        else if (c == '\r')
            shown += "\\r";
        else
            AppendOctal(shown, text.substr(i, 1));
        ++i;
    }
    return shown;
}

RunSummary Summarize(const std::vector<FileRecord>& records, double wallSeconds) {
    RunSummary summary;
    summary.WallSeconds = wallSeconds;
    for (const FileRecord& record : records) {
        if (!record.Report) {
            ++summary.NotStarted;
            continue;
        }
        const FileReport& report = *record.Report;
        switch (report.Outcome) {
        case FileOutcome::Converted:
            ++summary.Converted;
            summary.Warned += report.Warnings.empty() ? 0 : 1;
            summary.AudioSeconds += Seconds(report);
            break;
        case FileOutcome::Skipped:
            ++summary.Skipped;
            break;
        case FileOutcome::Failed:
            ++summary.Failed;
            break;
        case FileOutcome::Stopped:
        case FileOutcome::Abandoned:
            ++summary.Stopped;
            break;
        }
    }
    return summary;
}

std::string SummaryLine(const RunSummary& summary) {
    std::string line = std::to_string(summary.Converted) + " converted";
    if (summary.Warned > 0)
        line += " (" + std::to_string(summary.Warned) + " with warnings)";
    line += ", " + std::to_string(summary.Skipped) + " skipped, " + std::to_string(summary.Failed) +
            " failed";
    if (summary.Stopped > 0)
        line += ", " + std::to_string(summary.Stopped) + " stopped";
    if (summary.NotStarted > 0)
        line += ", " + std::to_string(summary.NotStarted) + " not started";
    char speed[64];
    std::snprintf(speed, sizeof speed, ", %.1fx realtime",
                  summary.WallSeconds > 0 ? summary.AudioSeconds / summary.WallSeconds : 0.0);
    return line + "; " + Duration(summary.AudioSeconds) + " of audio in " +
           Duration(summary.WallSeconds) + speed;
}

std::string SummaryJson(const RunSummary& summary, unsigned jobs) {
    return "{\"summary\":{\"converted\":" + std::to_string(summary.Converted) +
           ",\"skipped\":" + std::to_string(summary.Skipped) +
           ",\"failed\":" + std::to_string(summary.Failed) +
           ",\"stopped\":" + std::to_string(summary.Stopped) +
           ",\"not_started\":" + std::to_string(summary.NotStarted) +
           ",\"jobs\":" + std::to_string(jobs) +
           ",\"wall_seconds\":" + Number(summary.WallSeconds) +
           ",\"audio_seconds\":" + Number(summary.AudioSeconds) +
           ",\"converted_with_warnings\":" + std::to_string(summary.Warned) + "}}\n";
}

std::string ProgressLine(int filesDone, int filesTotal, double fraction, double realtime,
                         double secondsLeft) {
    char text[128];
    std::snprintf(text, sizeof text, "%d/%d files  %3.0f%%  %.1fx realtime", filesDone, filesTotal,
                  std::clamp(fraction, 0.0, 1.0) * 100.0, realtime);
    std::string line = text;
    if (secondsLeft >= 0)
        line += "  " + Duration(secondsLeft) + " left";
    return line;
}

Reporter::Reporter(const ReporterOptions& options, const BatchProgress& progress, std::ostream& out,
                   std::ostream& err, std::atomic<bool>& stop, std::ostream* report)
    : FOptions(options), FProgress(progress), FOut(out), FErr(err), FReport(report), FStop(stop),
      FStart(std::chrono::steady_clock::now()) {}

void Reporter::Record(const std::string& line) {
    if (FOptions.Json)
        FOut << line << std::flush;
    if (FReport != nullptr)
        *FReport << line << std::flush;
}

void Reporter::FileFinished(const FileRecord& record) {
    const std::lock_guard lock(FMutex);
    const FileReport& report = *record.Report; // a finished file has one
    Record(JsonLine(record));
    ++FFilesShown;
    ClearLine();
    const std::string source = ShownText(record.Source);
    const std::string target = ShownText(record.Target);
    if (report.Outcome == FileOutcome::Failed) {
        FErr << kProgramName << ": " << source << ": " << ShownText(report.Message) << '\n';
    } else if (!FOptions.Quiet && !FOptions.Terminal) {
        const std::string count =
            "[" + std::to_string(FFilesShown) + "/" + std::to_string(FProgress.FilesTotal) + "] ";
        if (report.Outcome == FileOutcome::Converted)
            FErr << count << source << " -> " << target << '\n';
        else if (report.Outcome == FileOutcome::Skipped)
            FErr << count << "skipped " << source << ": " << target << " is already there\n";
        else
            FErr << count << "stopped " << source << '\n';
    }
    // Even when quiet: the file is kept, but may not be whole.
    if (report.Outcome != FileOutcome::Failed && !report.Warnings.empty())
        FErr << kProgramName << ": " << source << ": " << ShownText(JoinedEnglish(report.Warnings))
             << '\n';
    FErr.flush();
    CheckOutputs();
}

void Reporter::Problem(const FileRecord& record) {
    const std::lock_guard lock(FMutex);
    Record(JsonLine(record));
    ClearLine();
    FErr << kProgramName << ": " << ShownText(record.Report->Message) << '\n' << std::flush;
    CheckOutputs();
}

void Reporter::Note(const std::string& message) {
    const std::lock_guard lock(FMutex);
    ClearLine();
    FErr << kProgramName << ": " << ShownText(message) << '\n' << std::flush;
    CheckOutputs();
}

void Reporter::Tick() {
    if (FOptions.Quiet || !FOptions.Terminal)
        return;
    const std::lock_guard lock(FMutex);
    DrawLine();
    CheckOutputs();
}

void Reporter::Finish(const std::vector<FileRecord>& records, unsigned jobs) {
    const std::lock_guard lock(FMutex);
    ClearLine();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
    const RunSummary summary = Summarize(records, wall);
    if (FReport != nullptr) {
        for (const FileRecord& record : records) {
            if (!record.Report)
                *FReport << JsonLine(record);
        }
        *FReport << SummaryJson(summary, jobs) << std::flush;
    }
    if (!FOptions.Quiet)
        FErr << kProgramName << ": " << SummaryLine(summary) << '\n';
    FOut.flush();
    FErr.flush();
    CheckOutputs();
}

void Reporter::CheckOutputs() {
    const bool reportGood = FReport == nullptr || FReport->good();
    if (FOutputFailed.load() || (FOut.good() && FErr.good() && reportGood))
        return;
    const int error = errno;
    if (!reportGood && FErr.good())
        FErr << kProgramName << ": cannot write the report: " << std::strerror(error) << '\n'
             << std::flush;
    FOutputFailed = true;
    FStop = true;
    if (!FOut.good() && FErr.good())
        FErr << kProgramName << ": cannot write to standard output: " << std::strerror(error)
             << '\n'
             << std::flush;
}

void Reporter::ClearLine() {
    if (FLineShown)
        FErr << "\r\033[K";
    FLineShown = false;
}

void Reporter::DrawLine() {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
    const auto done = static_cast<double>(FProgress.BytesDone.load());
    const int opened = FProgress.FilesOpened.load();
    // Files not opened yet count as long as the average opened one.
    double total = static_cast<double>(FProgress.BytesOpened.load());
    if (opened > 0)
        total += total / opened * std::max(0, FProgress.FilesTotal - opened);
    const double fraction = total > 0 ? done / total : 0.0;
    const double audio = static_cast<double>(FProgress.AudioMicroseconds.load()) / 1e6;
    const double realtime = elapsed > 0 ? audio / elapsed : 0.0;
    const double left = done > 0 && total > 0 ? elapsed * (total - done) / done : -1.0;
    FErr << "\r\033[K"
         << ProgressLine(FProgress.FilesFinished.load(), FProgress.FilesTotal, fraction, realtime,
                         left)
         << std::flush;
    FLineShown = true;
}

} // namespace zent::cli
