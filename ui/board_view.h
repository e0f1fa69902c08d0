// The board: the client area of the main window on which the calculation is
// drawn. It replays the recorded drawing (as far as it has been revealed),
// then the block cursor on top, and reports clicks and wheel turns.
#pragma once

#include <QColor>
#include <QPointF>
#include <QRect>
#include <QWidget>
#include <functional>

#include "hissan/display_list.h"

class QLabel;
class QPainter;
class QTimer;
class QWheelEvent;

namespace app {

class QtMetrics;

// Everything one paint of the board needs.
struct BoardFrame {
    const hissan::DisplayList* ops = nullptr;
    const QtMetrics* metrics = nullptr;
    int scheme = 0;             // 0 blackboard, 1 whiteboard
    bool stepMode = false;      // show the step-mode-only ops
    size_t count = size_t(-1);  // ops revealed so far
    int scrollY = 0;            // vertical scroll position
    int scrollX = 0;            // horizontal scroll position
    // The drawing magnified by `scale` about the board's origin, then moved
    // by `origin` (full screen shows a finished calculation filling the board).
    double scale = 1.0;
    QPointF origin;
    // A band at the bottom of the board kept free of the drawing (a tool
    // window stands there), in pixels.
    int reservedBottom = 0;
    QRect cursor;  // block cursor cell, in board coordinates
    bool cursorShown = false;
    QColor cursorColour;
};

// Paints a whole board frame onto `p` (background, drawing, cursor) over `area`.
void paintBoard(QPainter& p, const QRect& area, const BoardFrame& f);

class BoardView : public QWidget {
    Q_OBJECT
  public:
    explicit BoardView(QWidget* parent = nullptr);

    // Called at every paint for the frame to show.
    void setFrameSource(std::function<BoardFrame()> source) { source_ = std::move(source); }

    // The status line along the board's foot: shows `text` for a few
    // seconds (why a key did nothing, what to type instead).
    void showHint(const QString& text);
    // The text on the status line now; empty when it is hidden.
    QString hint() const;

  signals:
    void painted();      // after every paint
    void leftClicked();  // left mouse button pressed on the board
    // A turn of the mouse wheel over the board, for the window to scroll by.
    void wheelTurned(QWheelEvent* e);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    void placeHint();

    std::function<BoardFrame()> source_;
    QLabel* hint_ = nullptr;
    QTimer* hintTimer_ = nullptr;
};

}  // namespace app
