// The blackboard as the main window shows it: the board view with its scroll
// bar, the colour scheme around and on it, the board font and its metrics,
// and the blinking block cursor. It paints what the entry recorded, as far as
// the player has revealed it.
#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <functional>
#include <memory>

#include "hissan/jouken.h"
#include "ui/board_view.h"
#include "ui/renderer.h"

class QScrollBar;

namespace app {

class Keisan;
class Player;

class BoardScreen : public QObject {
    Q_OBJECT
  public:
    // The board on a green frame widget (widget()) with the parent `parent`;
    // its font is the one `jk` names.
    BoardScreen(hissan::TJouken& jk, QWidget* parent);
    ~BoardScreen() override;

    // The board font's metrics, from the font `jk` names now (the settings
    // are read after the board is built).
    const QtMetrics& loadFont();
    // What the board shows: the entry's drawing, as far as `player` revealed it.
    void attach(Keisan& keisan, const Player& player);
    // Lays the entry out again on new metrics (the font changed); the old
    // metrics stay in place until it returns.
    void setRelayout(std::function<void(const QtMetrics&)> relayout) {
        relayout_ = std::move(relayout);
    }

    QWidget* widget() const { return frame_; }
    BoardView* view() const { return view_; }
    QScrollBar* scrollBar() const { return bar_; }
    // Shown only while the drawing is wider than the board.
    QScrollBar* sideBar() const { return hbar_; }
    const QtMetrics& metrics() const { return *metrics_; }
    // The screen page height the scroll range counts in (A4 at the screen's dpi).
    int pageHeight() const { return pageH_; }

    // ---- scrolling: only a finished calculation scrolls -------------------
    int scrollY() const { return scrollY_; }
    int scrollX() const { return scrollX_; }
    void setScroll(int value);
    void setSideScroll(int value);
    void home();
    void scrollUp();
    void scrollDown();
    void updateScrollRange();
    // Takes the scroll bar's position and paints again.
    void repaint();
    void update();

    // ---- full screen: a finished calculation fills the board ---------------
    void setFit(bool on);
    bool fit() const { return fit_; }
    // Where the drawing shows on the screen, in global coordinates: its
    // visible part, empty when nothing is drawn; with `whole`, as it would
    // show without the reserved band.
    QRect drawnArea(bool whole = false) const;
    // Keeps the board below global y `top` free of the drawing (a tool
    // window that found no other place stands there); the page scrolls in
    // what is left. INT_MAX: no band.
    void reserveBelow(int top);

    // ---- colours ------------------------------------------------------------
    // 0 blackboard, 1 whiteboard: the board, the frame around it and the cursor.
    void setScheme(int scheme);
    int scheme() const { return scheme_; }
    QColor cursorColour() const { return cursorColour_; }

    // ---- the block cursor ----------------------------------------------------
    bool cursorVisible() const;
    QRect cursorRect() const;
    // One tick of the blink timer.
    void blinkCursor();

    // ---- fonts ---------------------------------------------------------------
    QFont font() const;
    // The font dialog over `parent`; its Apply button and OK set the font.
    void chooseFont(QWidget* parent);
    void setFont(const QFont& font);
    void bigger();
    void smaller();

    QImage grab() const;

  signals:
    // The drawing changed its extent or its place on the screen.
    void drawingMoved();

  private:
    BoardFrame frame() const;
    // The scale and origin that show the whole finished calculation in the
    // board, centred; none while typing or outside full screen.
    bool fitting() const;
    void fitFrame(BoardFrame& f) const;

    hissan::TJouken& jk_;
    QWidget* frame_;
    BoardView* view_;
    QScrollBar* bar_;
    QScrollBar* hbar_;
    std::unique_ptr<QtMetrics> metrics_;
    Keisan* keisan_ = nullptr;
    const Player* player_ = nullptr;
    std::function<void(const QtMetrics&)> relayout_;
    int scrollY_ = 0;
    int scrollX_ = 0;
    bool fit_ = false;
    int reserved_ = 0;  // the band at the bottom kept free, in pixels
    int pageH_ = 0;
    int scheme_ = 0;
    QColor cursorColour_;
    bool cursorShown_ = false;
};

}  // namespace app
