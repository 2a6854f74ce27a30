#include "filelist/ProbeBatch.h"

#include "filelist/FileList.h"

#include <algorithm>

namespace zent {

ProbeBatch::ProbeBatch(const std::vector<std::string>& paths, unsigned threads) {
    for (const std::string& path : paths)
        if (IsAcceptedPath(path))
            FResults.push_back({MakeEntryForPath(path), nullptr});
    FDone = std::make_unique<std::atomic<bool>[]>(FResults.size());
    const std::size_t count = std::min<std::size_t>(std::max(1u, threads), FResults.size());
    for (std::size_t i = 0; i < count; ++i)
        FThreads.emplace_back([this] { Work(); });
}

ProbeBatch::~ProbeBatch() {
    FStop = true;
    FThreads.clear();
}

void ProbeBatch::Work() {
    while (!FStop.load()) {
        const std::size_t index = FNext++;
        if (index >= FResults.size())
            return;
        Result& result = FResults[index];
        try {
            ProbeFile(result.Entry);
        } catch (...) {
            result.Error = std::current_exception();
        }
        FDone[index].store(true, std::memory_order_release);
    }
}

std::vector<ProbeBatch::Result> ProbeBatch::TakeReady() {
    std::vector<Result> ready;
    while (FTaken < FResults.size() && FDone[FTaken].load(std::memory_order_acquire))
        ready.push_back(std::move(FResults[FTaken++]));
    return ready;
}

} // namespace zent
