// The progress bar's repaint: composing a frame of a 531 x 16 bar as in the main window, the
// whole repaint through the widget, and how many frames a run of fine-grained positions draws.
#include "bench/Bench.h"
#include "controls/ProgressCyl.h"

#include <QCoreApplication>
#include <QWindow>
#include <chrono>
#include <cstdio>

namespace zent::bench {

namespace {

constexpr int kBarWidth = 531;
constexpr int kComposeIterations = 20000;
constexpr int kRepaintIterations = 5000;
// A run sets the position after every block; with a fine range most steps move nothing.
constexpr int kFineMax = 100000;
constexpr int kExposeRounds = 200;
constexpr int kExposeRoundMs = 10;

using Clock = std::chrono::steady_clock;

double MicrosecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void MeasureCompose(TProgressCyl& bar) {
    // Every frame is rebuilt from scratch, so the position does not change the cost.
    bar.SetPosition(50);
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kComposeIterations; ++i)
        bar.ComposeFrame();
    std::printf("paint: compose frame %.2f us/frame (%d frames)\n",
                MicrosecondsSince(start) / kComposeIterations, kComposeIterations);
}

void MeasureRepaint(TProgressCyl& bar) {
    const Clock::time_point start = Clock::now();
    const int before = bar.FrameCount();
    for (int i = 0; i < kRepaintIterations; ++i)
        bar.repaint();
    const int frames = bar.FrameCount() - before;
    std::printf("paint: widget repaint %.2f us/frame (%d frames)\n",
                MicrosecondsSince(start) / kRepaintIterations, frames);
}

void CountFramesOfAFineRun(TProgressCyl& bar) {
    bar.SetPosition(0);
    bar.SetMax(kFineMax);
    const int before = bar.FrameCount();
    for (int position = 0; position <= kFineMax; ++position)
        bar.SetPosition(position);
    std::printf("paint: %d positions over 0..%d drew %d frames\n", kFineMax + 1, kFineMax,
                bar.FrameCount() - before);
    const int again = bar.FrameCount();
    bar.SetPosition(kFineMax);
    std::printf("paint: the same position again drew %d frames\n", bar.FrameCount() - again);
    bar.SetMax(100);
}

// A repaint reaches a window only once it is exposed.
void ShowAndWait(TProgressCyl& bar) {
    bar.show();
    for (int round = 0; round < kExposeRounds; ++round) {
        if (bar.windowHandle() != nullptr && bar.windowHandle()->isExposed())
            return;
        QCoreApplication::processEvents(QEventLoop::AllEvents, kExposeRoundMs);
    }
}

} // namespace

void RunPaintBench() {
    TProgressCyl bar;
    ConfigureProgramBar(bar, clLime);
    bar.resize(kBarWidth, kProgramBarHeight);
    ShowAndWait(bar);
    MeasureCompose(bar);
    MeasureRepaint(bar);
    CountFramesOfAFineRun(bar);
}

} // namespace zent::bench
