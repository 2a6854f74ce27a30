#include "app/CloseOnSignals.h"

#include <QApplication>
#include <QCloseEvent>
#include <QWidget>
#include <csignal>
#include <gtest/gtest.h>

namespace zent {
namespace {

// Refuses the first close requests, as the window does while a run is being stopped.
class Reluctant : public QWidget {
public:
    explicit Reluctant(int refusals) : FRefusals(refusals) {}
    int Requests = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++Requests;
        if (FRefusals-- > 0)
            event->ignore();
    }

private:
    int FRefusals;
};

TEST(CloseOnSignals, TerminateAndHangUpAskTheWindowToCloseUntilItDoes) {
    for (const int signalNumber : {SIGTERM, SIGHUP}) {
        for (const int refusals : {0, 2}) {
            SCOPED_TRACE(signalNumber * 10 + refusals);
            Reluctant window(refusals);
            window.show();
            const CloseOnSignals bridge(window);
            ASSERT_EQ(std::raise(signalNumber), 0);
            while (window.isVisible())
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            EXPECT_EQ(window.Requests, refusals + 1);
        }
    }
}

} // namespace
} // namespace zent
