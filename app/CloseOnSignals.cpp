#include "app/CloseOnSignals.h"

#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zent {

namespace {

// A refused close is asked again this often while the run it stopped comes to its end.
constexpr int kRetryIntervalMs = 100;

// The handler's end and the window's end of the pair: a handler may only write.
int gSignalEnds[2] = {-1, -1};

extern "C" void OnCloseSignal(int signalNumber) {
    const int saved = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(gSignalEnds[0], &byte, 1);
    std::signal(signalNumber, SIG_DFL);
    errno = saved;
}

} // namespace

CloseOnSignals::CloseOnSignals(QWidget& window) : FWindow(window), FRetry(new QTimer(this)) {
    FRetry->setInterval(kRetryIntervalMs);
    FRetry->setSingleShot(true);
    connect(FRetry, &QTimer::timeout, this, &CloseOnSignals::Close);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gSignalEnds) != 0)
        return; // no bridge: the signals keep their default action
    FNotifier = new QSocketNotifier(gSignalEnds[1], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &CloseOnSignals::Received);
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, &FOldTerm);
    sigaction(SIGHUP, &action, &FOldHangUp);
}

CloseOnSignals::~CloseOnSignals() {
    if (!FNotifier)
        return;
    sigaction(SIGTERM, &FOldTerm, nullptr);
    sigaction(SIGHUP, &FOldHangUp, nullptr);
    ::close(gSignalEnds[0]);
    ::close(gSignalEnds[1]);
    gSignalEnds[0] = gSignalEnds[1] = -1;
}

void CloseOnSignals::Received() {
    char bytes[16];
    while (::read(gSignalEnds[1], bytes, sizeof bytes) > 0) {
    }
    Close();
}

void CloseOnSignals::Close() {
    if (FWindow.isVisible() && !FWindow.close())
        FRetry->start();
}

} // namespace zent
