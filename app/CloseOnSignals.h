#pragma once

#include <QObject>
#include <csignal>

class QSocketNotifier;
class QTimer;
class QWidget;

namespace zent {

// Turns SIGTERM and SIGHUP into close requests of the window, on the window's thread, so
// that its close rules apply and its settings are saved. A close refused during a run (which
// the request stops) is asked again until the window closes. A second signal ends the
// process at once. One object at a time.
class CloseOnSignals : public QObject {
    Q_OBJECT
public:
    explicit CloseOnSignals(QWidget& window);
    ~CloseOnSignals() override;
    CloseOnSignals(const CloseOnSignals&) = delete;
    CloseOnSignals& operator=(const CloseOnSignals&) = delete;

private:
    void Received();
    void Close();

    QWidget& FWindow;
    QSocketNotifier* FNotifier = nullptr;
    QTimer* FRetry;
    struct sigaction FOldTerm {};
    struct sigaction FOldHangUp {};
};

} // namespace zent
