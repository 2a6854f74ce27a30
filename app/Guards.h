#pragma once

#include <QApplication>
#include <QWidget>

namespace zent {

// The hourglass for the length of a batch of work.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Holds back a widget's repainting; nests, and restores what it found.
class HeldBackUpdates {
public:
    explicit HeldBackUpdates(QWidget* widget)
        : FWidget(widget), FWasEnabled(widget->updatesEnabled()) {
        FWidget->setUpdatesEnabled(false);
    }
    ~HeldBackUpdates() { FWidget->setUpdatesEnabled(FWasEnabled); }
    HeldBackUpdates(const HeldBackUpdates&) = delete;
    HeldBackUpdates& operator=(const HeldBackUpdates&) = delete;

private:
    QWidget* FWidget;
    bool FWasEnabled;
};

} // namespace zent
