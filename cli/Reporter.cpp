#include "cli/Reporter.h"

#include "cli/CliOptions.h"
#include "cli/JsonText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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
                   std::ostream& err)
    : FOptions(options), FProgress(progress), FOut(out), FErr(err),
      FStart(std::chrono::steady_clock::now()) {}

void Reporter::FileFinished(const FileResult& result) {
    const std::lock_guard lock(FMutex);
    if (FOptions.Json && result.Status != FileStatus::NotStarted)
        FOut << JsonLine(result) << std::flush;
    ClearLine();
    if (result.Status == FileStatus::Failed) {
        FErr << kProgramName << ": " << result.Source << ": " << result.Message << '\n';
    } else if (!FOptions.Quiet && !FOptions.Terminal) {
        const std::string count = "[" + std::to_string(FProgress.FilesFinished.load()) + "/" +
                                  std::to_string(FProgress.FilesTotal) + "] ";
        if (result.Status == FileStatus::Converted)
            FErr << count << result.Source << " -> " << result.Target << '\n';
        else if (result.Status == FileStatus::Skipped)
            FErr << count << "skipped " << result.Source << ": " << result.Target
                 << " is already there\n";
        else if (result.Status == FileStatus::Stopped)
            FErr << count << "stopped " << result.Source << '\n';
    }
    // Even when quiet: the file is kept, but may not be whole.
    if (result.Status != FileStatus::Failed && !result.Warning.empty())
        FErr << kProgramName << ": " << result.Source << ": " << result.Warning << '\n';
    FErr.flush();
}

void Reporter::Problem(const std::string& message) {
    const std::lock_guard lock(FMutex);
    ClearLine();
    FErr << kProgramName << ": " << message << '\n' << std::flush;
}

void Reporter::Tick() {
    if (FOptions.Quiet || !FOptions.Terminal)
        return;
    const std::lock_guard lock(FMutex);
    DrawLine();
}

void Reporter::Finish() {
    const std::lock_guard lock(FMutex);
    ClearLine();
    FErr.flush();
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
