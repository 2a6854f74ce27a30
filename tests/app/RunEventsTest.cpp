#include "app/RunEvents.h"

#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace zent {
namespace {

class Recorder final : public EngineObserver {
public:
    std::vector<std::string> Events;
    void FileStarted(FileId id) override { Events.push_back("started " + std::to_string(id)); }
    void BytesWritten(FileId id, std::int64_t bytes, std::int64_t fileDone,
                      std::int64_t fileLength) override {
        Events.push_back("bytes " + std::to_string(id) + ": " + std::to_string(bytes) + ", " +
                         std::to_string(fileDone) + " of " + std::to_string(fileLength));
    }
    void FileEnded(const FileReport& report) override {
        Events.push_back("ended " + std::to_string(report.Id));
    }
};

TEST(RunEvents, BytesOfOneFileBetweenDeliveriesArriveAsOneWithTheLaterState) {
    Recorder recorder;
    int deliveries = 0;
    RunEvents events(recorder, [&] { ++deliveries; });
    // From a job's thread, all before the first delivery.
    std::thread job([&] {
        events.FileStarted(3);
        events.BytesWritten(3, 100, 100, 1000);
        events.BytesWritten(4, 7, 7, 70);
        events.BytesWritten(3, 50, 150, 1000);
        FileReport ended;
        ended.Id = 4;
        events.FileEnded(ended);
    });
    job.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveries > 0; }));
    EXPECT_THAT(recorder.Events, ::testing::ElementsAre("started 3", "bytes 3: 150, 150 of 1000",
                                                        "bytes 4: 7, 7 of 70", "ended 4"));
}

} // namespace
} // namespace zent
