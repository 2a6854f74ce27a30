// The window's own batch on the conversion engine, beside zent-cli: wall time with one job and
// with one per processor, the longest stall of the window's event loop while it converts,
// and listing 10,000 dropped files.
#include "app/Main.h"
#include "bench/Bench.h"
#include "controls/DirectoryEdit.h"
#include "filelist/FileListModel.h"
#include "tests/support/AudioFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace zent::bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 3;
constexpr int kStallTick = 2; // ms between the probe timer's ticks
constexpr int kDroppedFiles = 10000;
constexpr int kShortFiles = 2000;
constexpr double kBatchTarget = 0.6;  // of zent-cli -j1's time
constexpr double kShortTarget = 0.6;  // likewise, for many short files
constexpr double kBesideCli = 0.05;   // within this of zent-cli -jN
constexpr double kStallTarget = 0.05; // seconds

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The longest lateness of a timer that should tick every kStallTick ms, while it runs.
class StallMeter {
public:
    StallMeter() {
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            const qint64 late = FSince.restart() - kStallTick;
            FWorst = std::max(FWorst, late);
        });
        FSince.start();
        FTimer.start(kStallTick);
    }
    double WorstSeconds() const { return static_cast<double>(FWorst) / 1000.0; }

private:
    QTimer FTimer;
    QElapsedTimer FSince;
    qint64 FWorst = 0;
};

struct WindowTiming {
    double Seconds = 0;
    double Stall = 0;
    double WindowCpu = 0; // CPU seconds of the window's own thread during the run
};

double ThreadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::string Quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void EmptyDirectory(const std::filesystem::path& dir) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
}

std::vector<std::string> Strings(const std::vector<std::filesystem::path>& paths) {
    std::vector<std::string> texts;
    for (const auto& path : paths)
        texts.push_back(path.string());
    return texts;
}

// The real window converting the files into out, from its Convert to the end of the run,
// with the event loop running as in the program.
WindowTiming TimeWindow(const std::filesystem::path& workDir,
                        const std::vector<std::filesystem::path>& sources,
                        const std::filesystem::path& out, unsigned jobs) {
    EmptyDirectory(out);
    TMainForm form(QString::fromStdString((workDir / "window-app").string()));
    form.SetJobCount(jobs);
    form.findChild<DirectoryEdit*>(QStringLiteral("JvDirectoryEdit1"))
        ->SetText(QString::fromStdString(out.string()));
    form.show();
    form.AddFiles(Strings(sources));
    while (form.Adding())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
    StallMeter stalls;
    const double cpuStart = ThreadCpuSeconds();
    const Clock::time_point start = Clock::now();
    form.ConvertAll();
    while (form.Converting())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = SecondsSince(start);
    const double windowCpu = ThreadCpuSeconds() - cpuStart;
    if (form.Model().rowCount() != 0 || sources.empty())
        throw std::runtime_error("the window did not convert every file");
    return {seconds, stalls.WorstSeconds(), windowCpu};
}

double TimeCli(const std::vector<std::filesystem::path>& sources, const std::filesystem::path& out,
               unsigned jobs) {
    EmptyDirectory(out);
    const auto list = out.parent_path() / "cli-list.txt";
    {
        std::ofstream file(list);
        for (const auto& source : sources)
            file << source.string() << '\n';
    }
    const std::string command = std::string(ZENT_CLI_PATH) + " -q -j" + std::to_string(jobs) +
                                " -o " + Quoted(out) + " - < " + Quoted(list);
    const Clock::time_point start = Clock::now();
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
    return SecondsSince(start);
}

bool SameFiles(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(a))
        names.push_back(entry.path().filename().string());
    std::size_t inB = 0;
    for (const auto& entry : std::filesystem::directory_iterator(b)) {
        (void)entry;
        ++inB;
    }
    if (names.size() != inB)
        return false;
    return std::all_of(names.begin(), names.end(), [&](const std::string& name) {
        return ReadAll(a / name) == ReadAll(b / name);
    });
}

const char* Verdict(bool met) {
    return met ? "" : "  MISSED";
}

// Rounds take turns between the commands, so that a busy machine's drift falls on all alike;
// the best round of each counts.
void MeasureBatch(const char* label, const std::filesystem::path& workDir,
                  const std::vector<std::filesystem::path>& sources, double target) {
    const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
    const auto windowOut = workDir / "window-out";
    const auto cliOut = workDir / "cli-out";
    constexpr double kNone = 1e300;
    WindowTiming window1{kNone, 0, 0};
    WindowTiming windowN{kNone, 0, 0};
    double cli1 = kNone;
    double cliN = kNone;
    bool identical = true;
    for (int round = 0; round < kRounds; ++round) {
        cli1 = std::min(cli1, TimeCli(sources, cliOut, 1));
        const WindowTiming one = TimeWindow(workDir, sources, windowOut, 1);
        identical = identical && SameFiles(windowOut, cliOut);
        const WindowTiming many = TimeWindow(workDir, sources, windowOut, processors);
        identical = identical && SameFiles(windowOut, cliOut);
        cliN = std::min(cliN, TimeCli(sources, cliOut, processors));
        const auto keep = [](WindowTiming& best, const WindowTiming& measured) {
            const double stall = std::max(best.Stall, measured.Stall);
            if (measured.Seconds < best.Seconds)
                best = measured;
            best.Stall = stall;
        };
        keep(window1, one);
        keep(windowN, many);
    }
    std::filesystem::remove_all(windowOut);
    std::filesystem::remove_all(cliOut);
    std::printf("  %s (%zu files), best of %d rounds:\n", label, sources.size(), kRounds);
    std::printf("    zent-cli -j1 %7.3f s\n", cli1);
    std::printf("    zent-cli -j%u %7.3f s\n", processors, cliN);
    std::printf("    window, 1 job %7.3f s (%.2fx zent-cli -j1), longest stall %.0f ms%s, "
                "window thread %.3f s CPU\n",
                window1.Seconds, window1.Seconds / cli1, window1.Stall * 1000.0,
                Verdict(window1.Stall < kStallTarget), window1.WindowCpu);
    std::printf("    window, %u jobs %7.3f s (%.2fx zent-cli -j1, target <= %.1fx%s; %+.1f %% "
                "against zent-cli -j%u), longest stall %.0f ms%s, window thread %.3f s CPU\n",
                processors, windowN.Seconds, windowN.Seconds / cli1, target,
                Verdict(windowN.Seconds / cli1 <= target), (windowN.Seconds / cliN - 1.0) * 100.0,
                processors, windowN.Stall * 1000.0, Verdict(windowN.Stall < kStallTarget),
                windowN.WindowCpu);
    std::printf("    window output byte-identical to zent-cli's: %s\n", identical ? "yes" : "NO");
    (void)kBesideCli;
}

void MeasureDrop(const std::filesystem::path& workDir, const std::filesystem::path& sample) {
    const auto dir = workDir / "dropped";
    EmptyDirectory(dir);
    QList<QUrl> urls;
    for (int i = 0; i < kDroppedFiles; ++i) {
        const auto path = dir / ("track" + std::to_string(i) + ".mp3");
        std::filesystem::create_hard_link(sample, path);
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path.string())));
    }
    TMainForm form(QString::fromStdString((workDir / "window-app").string()));
    form.show();
    QCoreApplication::processEvents();
    QMimeData data;
    data.setUrls(urls);
    StallMeter stalls;
    const Clock::time_point start = Clock::now();
    form.AddDroppedFiles(data);
    while (form.Model().rowCount() < kDroppedFiles || form.Adding())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = SecondsSince(start);
    std::printf("  %d dropped one-second MP3 files listed in %.2f s, longest stall %.0f ms%s\n",
                kDroppedFiles, seconds, stalls.WorstSeconds() * 1000.0,
                Verdict(stalls.WorstSeconds() < kStallTarget));
    std::filesystem::remove_all(dir);
}

std::vector<std::filesystem::path> MakeSources(const std::filesystem::path& dir,
                                               const std::string& stem, int count,
                                               const test::ToneSpec& tone, bool ogg) {
    std::vector<std::filesystem::path> paths;
    for (int i = 0; i < count; ++i) {
        const auto path = dir / (stem + std::to_string(i) + (ogg ? ".ogg" : ".mp3"));
        if (i == 0) {
            if (ogg)
                test::EncodeOgg(path, tone);
            else
                test::EncodeMp3(path, tone);
        } else {
            std::filesystem::copy_file(paths.front(), path);
        }
        paths.push_back(path);
    }
    return paths;
}

} // namespace

void RunWindowBench(const std::filesystem::path& workDir) {
    std::printf("window\n");
    const auto sources = workDir / "window-sources";
    std::filesystem::create_directories(sources);
    // ZENT_BENCH_WINDOW=short measures only the 2,000 short files, the window's own cost.
    const char* only = std::getenv("ZENT_BENCH_WINDOW");
    if (only && std::string(only) == "short") {
        MeasureBatch("2,000 x 1 s MP3", workDir,
                     MakeSources(sources, "short-", kShortFiles, {44100, 2, 1.0}, false),
                     kShortTarget);
        std::filesystem::remove_all(sources);
        return;
    }
    const test::ToneSpec threeMinutes{44100, 2, 180.0};
    std::vector<std::filesystem::path> batch = MakeSources(sources, "mp3-", 8, threeMinutes, false);
    const std::vector<std::filesystem::path> oggs =
        MakeSources(sources, "ogg-", 8, threeMinutes, true);
    batch.insert(batch.end(), oggs.begin(), oggs.end());
    MeasureBatch("8 x 3 min MP3 + 8 x 3 min Ogg", workDir, batch, kBatchTarget);
    MeasureBatch("one 30 min MP3", workDir,
                 MakeSources(sources, "long-", 1, {44100, 2, 1800.0}, false), kBatchTarget);
    const std::vector<std::filesystem::path> shortFiles =
        MakeSources(sources, "short-", kShortFiles, {44100, 2, 1.0}, false);
    MeasureBatch("2,000 x 1 s MP3", workDir, shortFiles, kShortTarget);
    MeasureDrop(workDir, shortFiles.front());
    std::filesystem::remove_all(sources);
}

} // namespace zent::bench
