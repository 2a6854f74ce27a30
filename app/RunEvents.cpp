#include "app/RunEvents.h"

#include <chrono>

namespace zent {

namespace {

// About 30 deliveries a second: the bars move smoothly and the window has time for the rest.
constexpr std::chrono::milliseconds kDeliveryInterval{33};

} // namespace

RunEvents::RunEvents(EngineObserver& target, std::function<void()> afterDelivery, QObject* parent)
    : QObject(parent), FTarget(target), FAfterDelivery(std::move(afterDelivery)) {
    connect(&FTimer, &QTimer::timeout, this, [this] { Deliver(); });
    FTimer.start(kDeliveryInterval);
}

void RunEvents::FileStarted(FileId id) {
    Event event{Event::Started, {}};
    event.Report.Id = id;
    Push(std::move(event));
}

void RunEvents::BytesWritten(FileId id, std::int64_t bytes, std::int64_t fileDone,
                             std::int64_t fileLength) {
    const std::lock_guard lock(FMutex);
    if (const auto found = FBytesAt.find(id); found != FBytesAt.end()) {
        Event& pending = FEvents[found->second];
        pending.Bytes += bytes;
        pending.FileDone = fileDone;
        return;
    }
    Event event{Event::Written, {}, bytes, fileDone, fileLength};
    event.Report.Id = id;
    FBytesAt[id] = FEvents.size();
    FEvents.push_back(std::move(event));
}

void RunEvents::FileEnded(const FileReport& report) {
    Push({Event::Ended, report});
}

void RunEvents::Push(Event event) {
    const std::lock_guard lock(FMutex);
    FEvents.push_back(std::move(event));
}

void RunEvents::Deliver() {
    std::vector<Event> events;
    {
        const std::lock_guard lock(FMutex);
        events.swap(FEvents);
        FBytesAt.clear();
    }
    for (const Event& event : events) {
        switch (event.What) {
        case Event::Started:
            FTarget.FileStarted(event.Report.Id);
            break;
        case Event::Written:
            FTarget.BytesWritten(event.Report.Id, event.Bytes, event.FileDone, event.FileLength);
            break;
        case Event::Ended:
            FTarget.FileEnded(event.Report);
            break;
        }
    }
    FAfterDelivery();
}

} // namespace zent
