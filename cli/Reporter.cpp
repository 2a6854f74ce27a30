#include "cli/Reporter.h"

#include "cli/CliOptions.h"
#include "cli/JsonText.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
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

std::string JsonLine(const FileResult& result) {
    return "{\"source\":" + JsonString(result.Source) + ",\"target\":" + JsonString(result.Target) +
           ",\"seconds\":" + Number(result.Seconds()) +
           ",\"frames\":" + std::to_string(result.Frames) +
           ",\"channels\":" + std::to_string(result.Channels) +
           ",\"rate\":" + std::to_string(result.SampleRate) +
           ",\"status\":" + JsonString(StatusName(result.Status)) +
           ",\"message\":" + JsonString(result.Message) +
           (result.Warning.empty() ? "" : ",\"warning\":" + JsonString(result.Warning)) + "}\n";
}

} // namespace

std::string ShownText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            shown += c;
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c == '\t') {
            shown += "\\t";
        } else if (c == '\r') {
            shown += "\\r";
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\%03o", byte);
            shown += escaped;
        }
    }
    return shown;
}

RunSummary Summarize(const std::vector<FileResult>& results, double wallSeconds) {
    RunSummary summary;
    summary.WallSeconds = wallSeconds;
    for (const FileResult& result : results) {
        switch (result.Status) {
        case FileStatus::Converted:
            ++summary.Converted;
            summary.Warned += result.Warning.empty() ? 0 : 1;
            summary.AudioSeconds += result.Seconds();
            break;
        case FileStatus::Skipped:
            ++summary.Skipped;
            break;
        case FileStatus::Failed:
            ++summary.Failed;
            break;
        case FileStatus::Stopped:
            ++summary.Stopped;
            break;
        case FileStatus::NotStarted:
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
    char speed[64];
    std::snprintf(speed, sizeof speed, ", %.1fx realtime",
                  summary.WallSeconds > 0 ? summary.AudioSeconds / summary.WallSeconds : 0.0);
    return line + "; " + Duration(summary.AudioSeconds) + " of audio in " +
           Duration(summary.WallSeconds) + speed;
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
                   std::ostream& err, std::atomic<bool>& stop)
    : FOptions(options), FProgress(progress), FOut(out), FErr(err), FStop(stop),
      FStart(std::chrono::steady_clock::now()) {}

void Reporter::FileFinished(const FileResult& result) {
    const std::lock_guard lock(FMutex);
    if (FOptions.Json && result.Status != FileStatus::NotStarted)
        FOut << JsonLine(result) << std::flush;
    ClearLine();
    const std::string source = ShownText(result.Source);
    const std::string target = ShownText(result.Target);
    if (result.Status == FileStatus::Failed) {
        FErr << kProgramName << ": " << source << ": " << ShownText(result.Message) << '\n';
    } else if (!FOptions.Quiet && !FOptions.Terminal) {
        const std::string count = "[" + std::to_string(FProgress.FilesFinished.load()) + "/" +
                                  std::to_string(FProgress.FilesTotal) + "] ";
        if (result.Status == FileStatus::Converted)
            FErr << count << source << " -> " << target << '\n';
        else if (result.Status == FileStatus::Skipped)
            FErr << count << "skipped " << source << ": " << target << " is already there\n";
        else if (result.Status == FileStatus::Stopped)
            FErr << count << "stopped " << source << '\n';
    }
    // Even when quiet: the file is kept, but may not be whole.
    if (result.Status != FileStatus::Failed && !result.Warning.empty())
        FErr << kProgramName << ": " << source << ": " << ShownText(result.Warning) << '\n';
    FErr.flush();
    CheckOutputs();
}

void Reporter::Problem(const std::string& message) {
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

void Reporter::Finish(const std::vector<FileResult>& results) {
    const std::lock_guard lock(FMutex);
    ClearLine();
    if (!FOptions.Quiet) {
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
        FErr << kProgramName << ": " << SummaryLine(Summarize(results, wall)) << '\n';
    }
    FOut.flush();
    FErr.flush();
    CheckOutputs();
}

void Reporter::CheckOutputs() {
    if (FOutputFailed.load() || (FOut.good() && FErr.good()))
        return;
    const int error = errno;
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
