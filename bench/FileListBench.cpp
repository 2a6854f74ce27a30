// The file list at scale: probing real files, and adding, sorting, removing and clearing
// many rows through the item model.
#include "bench/Bench.h"
#include "decode/Decoder.h"
#include "filelist/FileList.h"
#include "filelist/FileListModel.h"
#include "tests/support/AudioFixtures.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace zent::bench {

namespace {

constexpr double kSourceSeconds = 180.0;
constexpr double kMinProbeSeconds = 1.0;
constexpr int kMinProbes = 200;
constexpr int kRowCount = 10000;
constexpr double kTargetProbesPerSecond = 200.0;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Probes the files round-robin until both a minimum count and a minimum time have passed.
void MeasureProbing(const char* label, const std::vector<std::filesystem::path>& files) {
    int probes = 0;
    const Clock::time_point start = Clock::now();
    while (probes < kMinProbes || SecondsSince(start) < kMinProbeSeconds) {
        FileEntry entry =
            MakeEntryForPath(files[static_cast<std::size_t>(probes) % files.size()].string());
        ProbeFile(entry);
        ++probes;
    }
    const double rate = probes / SecondsSince(start);
    std::printf("  probe %-22s %8.0f files/s (target >= %.0f)%s\n", label, rate,
                kTargetProbesPerSecond, rate < kTargetProbesPerSecond ? "  SLOW" : "");
}

void Report(const char* label, Clock::time_point start) {
    std::printf("  %-28s %8.1f ms\n", label, SecondsSince(start) * 1000.0);
}

} // namespace

void RunFileListBench(const std::filesystem::path& workDir) {
    std::printf("file list\n");
    InitDecoders();

    std::vector<std::filesystem::path> mp3Files;
    std::vector<std::filesystem::path> oggFiles;
    for (int i = 0; i < 2; ++i) {
        const test::ToneSpec tones{44100, 2, kSourceSeconds};
        mp3Files.push_back(workDir / ("bench" + std::to_string(i) + ".mp3"));
        test::EncodeMp3(mp3Files.back(), tones, {false, true, 128});
        oggFiles.push_back(workDir / ("bench" + std::to_string(i) + ".ogg"));
        test::EncodeOgg(oggFiles.back(), tones);
    }
    MeasureProbing("3-min MP3 (Info tag)", mp3Files);
    MeasureProbing("3-min Ogg Vorbis", oggFiles);

    std::mt19937 random(42);
    std::uniform_int_distribution<int> seconds(1, 3600);
    std::vector<FileEntry> entries;
    entries.reserve(kRowCount);
    for (int i = 0; i < kRowCount; ++i) {
        const std::string name = "Track " + std::to_string(random() % 100000) + ".mp3";
        const int length = seconds(random);
        FileEntry entry;
        entry.FileName = name;
        entry.SourcePath = "/music/" + name;
        entry.TargetPath = entry.SourcePath + ".wav";
        entry.ProjectedSize = ProjectWavDataSize(2, length);
        entry.LengthSeconds = length;
        entries.push_back(std::move(entry));
    }

    FileListModel model;
    Clock::time_point start = Clock::now();
    for (FileEntry& entry : entries)
        model.AppendEntry(std::move(entry));
    Report("add 10000 rows", start);

    start = Clock::now();
    model.SortList(0, true);
    Report("sort 10000 by name", start);

    start = Clock::now();
    model.SortList(1, false);
    Report("sort 10000 by length", start);

    start = Clock::now();
    const double total = model.TotalProjectedSize();
    Report("total of 10000", start);

    std::vector<int> everyOther;
    for (int row = 0; row < kRowCount; row += 2)
        everyOther.push_back(row);
    start = Clock::now();
    model.RemoveRows(everyOther);
    Report("remove 5000 scattered rows", start);

    start = Clock::now();
    model.Clear();
    Report("clear the rest", start);
    std::printf("  (total before removal %.0f bytes)\n", total);
}

} // namespace zent::bench
