#pragma once

#include "controls/ProgressCylState.h"

#include <QWidget>

class QPainter;

namespace zent {

// The cylinder progress bar as a widget: draws the composed frame in one copy and redraws at
// once on every visible change. Assistive technology sees a progress bar with its value. Size,
// visibility, hint, cursor and the like are QWidget's own.
class TProgressCyl : public QWidget, public TProgressCylState {
    Q_OBJECT

public:
    explicit TProgressCyl(QWidget* parent = nullptr);
    ~TProgressCyl() override;

    QSize sizeHint() const override;

protected:
    void Paint(QPainter& painter);
    void RepaintControl() override;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The widget's geometry is the only size.
    using TProgressCylState::SetSize;

    int FAnnouncedPosition = 0; // the value assistive technology was last told
};

inline constexpr int kProgramBarHeight = 16;
inline constexpr int kProgramBarFontPixels = 12;
inline constexpr char kProgramBarFontName[] = "Arial";

// The settings both bars of the main window share; foreColor tells them apart.
void ConfigureProgramBar(TProgressCyl& bar, TColor foreColor);

} // namespace zent
