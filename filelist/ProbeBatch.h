#pragma once

#include "filelist/FileEntry.h"

#include <atomic>
#include <cstddef>
#include <exception>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zent {

// Probes a batch of files on worker threads, several at once, for a list that takes the
// results in the order of the paths. Paths whose extension is not accepted are skipped.
// The constructor, TakeReady and Finished belong to one thread; the workers share only the
// next index and each result's done flag.
class ProbeBatch {
public:
    struct Result {
        FileEntry Entry;
        std::exception_ptr Error; // the probe failed; the entry keeps 0 and 0
    };

    ProbeBatch(const std::vector<std::string>& paths, unsigned threads);
    // Stops the workers after their current file.
    ~ProbeBatch();
    ProbeBatch(const ProbeBatch&) = delete;
    ProbeBatch& operator=(const ProbeBatch&) = delete;

    // The results finished since the last call, in order, up to the first that is not.
    std::vector<Result> TakeReady();
    bool Finished() const { return FTaken == FResults.size(); }

private:
    void Work();

    std::vector<Result> FResults;
    std::unique_ptr<std::atomic<bool>[]> FDone;
    std::atomic<std::size_t> FNext{0};
    std::atomic<bool> FStop{false};
    std::size_t FTaken = 0;
    std::vector<std::jthread> FThreads; // last: joined before the rest goes
};

} // namespace zent
