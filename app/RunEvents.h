#pragma once

#include "convert/ConversionEngine.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace zent {

// Carries the engine's events from the jobs' threads to the window's thread, a few dozen
// times a second; the bytes of one file between two deliveries arrive as one event. The
// EngineObserver calls come on the jobs' threads; everything else on the window's thread.
class RunEvents final : public QObject, public EngineObserver {
public:
    // Deliveries go to target, then afterDelivery runs.
    RunEvents(EngineObserver& target, std::function<void()> afterDelivery,
              QObject* parent = nullptr);

    // No more deliveries; events still on their way are dropped.
    void Stop() { FTimer.stop(); }

    void FileStarted(FileId id) override;
    void BytesWritten(FileId id, std::int64_t bytes, std::int64_t fileDone,
                      std::int64_t fileLength) override;
    void FileEnded(const FileReport& report) override;

private:
    struct Event {
        enum Kind { Started, Written, Ended } What;
        FileReport Report; // Id for all kinds
        std::int64_t Bytes = 0;
        std::int64_t FileDone = 0;
        std::int64_t FileLength = 0;
    };

    void Push(Event event);
    void Deliver();

    EngineObserver& FTarget;
    std::function<void()> FAfterDelivery;
    QTimer FTimer;
    std::mutex FMutex;
    std::vector<Event> FEvents;
    std::unordered_map<FileId, std::size_t> FBytesAt; // a file's bytes event in FEvents
};

} // namespace zent
