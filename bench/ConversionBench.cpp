// Conversion against the decoders alone and against the command-line decoders: the writer
// should add little beyond decoding.
#include "bench/Bench.h"
#include "convert/ConversionEngine.h"
#include "convert/ConversionRun.h"
#include "decode/Decoder.h"
#include "tests/support/AudioFixtures.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/time.h>
#include <vector>

namespace zent::bench {

namespace {

constexpr double kSourceSeconds = 180.0;
constexpr int kFilesPerFormat = 2;
constexpr int kRepeats = 5;
constexpr double kTargetOverhead = 0.10;

using Clock = std::chrono::steady_clock;

struct Source {
    std::filesystem::path Path;
    double AudioSeconds = 0;
};

// Counts the bytes the engine reports.
class ByteCounter final : public EngineObserver {
public:
    void FileStarted(FileId) override {}
    void BytesWritten(FileId, std::int64_t bytes, std::int64_t, std::int64_t) override {
        FBytes += bytes;
    }
    void FileEnded(const FileReport& report) override {
        if (report.Outcome != FileOutcome::Converted)
            throw std::runtime_error(report.Message);
    }

    std::int64_t Bytes() const { return FBytes; }

private:
    std::int64_t FBytes = 0;
};

// Wall time and the CPU time spent on it (this process, or the child processes it ran).
struct Timing {
    double Wall = 0;
    double Cpu = 0;
};

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double ChildrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One timed pass over all sources.
Timing TimePass(const std::vector<Source>& sources, bool inChildren,
                const std::function<void(const Source&)>& work) {
    const auto cpuNow = inChildren ? ChildrenCpuSeconds : ProcessCpuSeconds;
    const double cpuStart = cpuNow();
    const Clock::time_point start = Clock::now();
    for (const Source& source : sources)
        work(source);
    return {std::chrono::duration<double>(Clock::now() - start).count(), cpuNow() - cpuStart};
}

void KeepBest(Timing& best, const Timing& pass) {
    best.Wall = std::min(best.Wall, pass.Wall);
    best.Cpu = std::min(best.Cpu, pass.Cpu);
}

std::string Quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

void RunTool(const std::string& command) {
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

void PrintSpeed(const char* label, double audioSeconds, const Timing& timing) {
    std::printf("    %-15s %8.1f audio s per wall s %8.1f audio s per CPU s\n", label,
                audioSeconds / timing.Wall, audioSeconds / timing.Cpu);
}

const char* Verdict(bool met) {
    return met ? "" : "  MISSED";
}

void MeasureFormat(
    const char* label, const std::vector<Source>& sources, const std::filesystem::path& workDir,
    const char* toolName,
    const std::function<std::string(const Source&, const std::filesystem::path&)>& toolCommand) {
    std::vector<std::byte> buffer(kDecodeBufferSize);
    double audioSeconds = 0;
    for (const Source& source : sources)
        audioSeconds += source.AudioSeconds;
    const auto outDir = workDir / "conversion-bench-out";
    std::filesystem::create_directories(outDir);
    const auto targetFor = [&](const Source& source) {
        return outDir / source.Path.filename().replace_extension(".wav");
    };
    const auto cleanUp = [&] {
        for (const Source& source : sources)
            std::filesystem::remove(targetFor(source));
    };

    const auto decodeOnly = [&](const Source& source) {
        const auto stream = OpenDecoderStream(source.Path);
        if (!stream)
            throw std::runtime_error("cannot decode " + source.Path.string());
        while (stream->IsActive())
            stream->Read(buffer);
    };
    ByteCounter view;
    // One file on one job in the window's blocks, as the window converts it.
    const auto convertOne = [&](const Source& source) {
        EngineSettings settings;
        settings.BufferSize = kDecodeBufferSize;
        EngineProgress progress;
        ConversionEngine engine(std::move(settings), view, progress);
        engine.Add({source.Path.native(), targetFor(source).native()});
        engine.Close();
        engine.Run();
    };
    const auto runTool = [&](const Source& source) {
        RunTool(toolCommand(source, targetFor(source)));
    };

    // Interleaved passes, so that the load of a busy machine falls on all three alike; the
    // best pass of each counts. Output files are removed between passes, outside the timing:
    // the program writes new files, it does not delete old ones.
    constexpr double kNone = std::numeric_limits<double>::max();
    Timing decode{kNone, kNone};
    Timing convert{kNone, kNone};
    Timing tool{kNone, kNone};
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        KeepBest(decode, TimePass(sources, false, decodeOnly));
        KeepBest(convert, TimePass(sources, false, convertOne));
        cleanUp();
        KeepBest(tool, TimePass(sources, true, runTool));
        cleanUp();
    }
    std::filesystem::remove(outDir);

    std::printf("  %s, %zu files, %.0f s of audio, %.1f MB of PCM per pass\n", label,
                sources.size(), audioSeconds,
                static_cast<double>(view.Bytes()) / kRepeats / (1024.0 * 1024.0));
    PrintSpeed("decoder alone", audioSeconds, decode);
    PrintSpeed("conversion", audioSeconds, convert);
    PrintSpeed(toolName, audioSeconds, tool);
    const double wallOverhead = convert.Wall / decode.Wall - 1.0;
    const double cpuOverhead = convert.Cpu / decode.Cpu - 1.0;
    std::printf("    conversion vs decoder alone: %+.1f %% wall, %+.1f %% CPU (target <= %+.0f "
                "%%)%s\n",
                wallOverhead * 100.0, cpuOverhead * 100.0, kTargetOverhead * 100.0,
                Verdict(wallOverhead <= kTargetOverhead));
    std::printf("    conversion vs %s: %.2fx its speed (wall), %.2fx (CPU)%s\n", toolName,
                tool.Wall / convert.Wall, tool.Cpu / convert.Cpu,
                Verdict(convert.Wall <= tool.Wall));
}

} // namespace

void RunConversionBench(const std::filesystem::path& workDir) {
    std::printf("conversion\n");
    InitDecoders();
    const test::ToneSpec tone{44100, 2, kSourceSeconds};
    const double audioSeconds =
        static_cast<double>(test::FrameCount(tone)) / static_cast<double>(tone.sampleRate);
    std::vector<Source> mp3Sources;
    std::vector<Source> oggSources;
    std::vector<Source> opusSources;
    const test::ToneSpec opusTone{48000, 2, kSourceSeconds};
    for (int i = 0; i < kFilesPerFormat; ++i) {
        const auto mp3 = workDir / ("conversion-bench" + std::to_string(i) + ".mp3");
        const auto ogg = workDir / ("conversion-bench" + std::to_string(i) + ".ogg");
        test::EncodeMp3(mp3, tone);
        test::EncodeOgg(ogg, tone);
        mp3Sources.push_back({mp3, audioSeconds});
        oggSources.push_back({ogg, audioSeconds});
        const auto opus = workDir / ("conversion-bench" + std::to_string(i) + ".opus");
        test::EncodeOpus(opus, opusTone);
        opusSources.push_back({opus, kSourceSeconds});
    }
    MeasureFormat("MP3", mp3Sources, workDir, "mpg123 -q -w",
                  [](const Source& source, const std::filesystem::path& target) {
                      return "mpg123 -q -w " + Quoted(target) + " " + Quoted(source.Path);
                  });
    MeasureFormat("Ogg Vorbis", oggSources, workDir, "oggdec -Q",
                  [](const Source& source, const std::filesystem::path& target) {
                      return "oggdec -Q -o " + Quoted(target) + " " + Quoted(source.Path);
                  });
    MeasureFormat("Ogg Opus", opusSources, workDir, "opusdec --quiet",
                  [](const Source& source, const std::filesystem::path& target) {
                      return "opusdec --quiet --rate 48000 " + Quoted(source.Path) + " " +
                             Quoted(target);
                  });
}

} // namespace zent::bench
