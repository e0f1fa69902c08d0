#include "app/board_screen.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "app/player.h"
#include "core/keisan.h"

namespace app {

namespace {

const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 128, 0);

// A text of spaces only: it clears the place it stands on.
bool blank(const std::string& text) {
    std::string_view t = text;
    while (!t.empty()) {
        if (t.front() == ' ')
            t.remove_prefix(1);
        else if (t.substr(0, 3) == "\u3000")
            t.remove_prefix(3);
        else
            return false;
    }
    return true;
}

// What is written on the board: its texts and lines (those of step mode only
// in step mode). The filled areas and the texts of spaces only clear parts of
// the board and may reach past the writing.
QRect writtenExtent(const hissan::DisplayList& ops, bool stepMode) {
    QRect r;
    for (const hissan::Op& op : ops) {
        if (op.stepOnly && !stepMode) continue;
        const QRect box = QRect(QPoint(op.x1, op.y1), QPoint(op.x2, op.y2)).normalized();
        if (op.kind == hissan::Op::Text && !blank(op.text)) r |= box;
        if (op.kind == hissan::Op::Line)
            r |= box.adjusted(-op.width, -op.width, op.width, op.width);
    }
    return r;
}

}  // namespace

BoardScreen::BoardScreen(hissan::TJouken& jk, QWidget* parent)
    : QObject(parent), jk_(jk), frame_(new QWidget(parent)) {
    frame_->setAutoFillBackground(true);
    QPalette pal = frame_->palette();
    pal.setColor(QPalette::Window, kGreen);
    frame_->setPalette(pal);
    auto* grid = new QGridLayout(frame_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    view_ = new BoardView(frame_);
    bar_ = new QScrollBar(Qt::Vertical, frame_);
    bar_->setFocusPolicy(Qt::NoFocus);
    hbar_ = new QScrollBar(Qt::Horizontal, frame_);
    hbar_->setFocusPolicy(Qt::NoFocus);
    hbar_->hide();
    grid->addWidget(view_, 0, 0);
    grid->addWidget(bar_, 0, 1);
    grid->addWidget(hbar_, 1, 0);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);
    bar_->setSingleStep(5);
    bar_->setFixedWidth(25);
    hbar_->setSingleStep(5);
    hbar_->setFixedHeight(25);
    connect(bar_, &QScrollBar::valueChanged, this, [this](int v) {
        scrollY_ = v;
        view_->update();
        emit drawingMoved();
    });
    connect(hbar_, &QScrollBar::valueChanged, this, [this](int v) {
        scrollX_ = v;
        view_->update();
        emit drawingMoved();
    });
    const QScreen* screen = QGuiApplication::primaryScreen();
    pageH_ = static_cast<int>((screen ? screen->logicalDotsPerInchY() : 96.0) * 11.7);
    view_->setFrameSource([this] { return frame(); });
    // A wheel notch scrolls as far as over any Qt scroll bar (the keys keep
    // their small steps); only a finished calculation scrolls.
    // With Shift a notch scrolls sideways.
    connect(view_, &BoardView::wheelTurned, this, [this](QWheelEvent* e) {
        if (!keisan_ || keisan_->NyuryokuKa() != 0 || fitting()) return;
        const bool sideways = e->modifiers() & Qt::ShiftModifier;
        QCoreApplication::sendEvent(sideways ? hbar_ : bar_, e);
    });
}

BoardScreen::~BoardScreen() = default;

const QtMetrics& BoardScreen::loadFont() {
    metrics_ = std::make_unique<QtMetrics>(boardFontFamily(jk_.FONTNAME));
    return *metrics_;
}

void BoardScreen::attach(Keisan& keisan, const Player& player) {
    keisan_ = &keisan;
    player_ = &player;
    updateScrollRange();
    bar_->setValue(0);
}

BoardFrame BoardScreen::frame() const {
    BoardFrame f;
    if (!keisan_) return f;
    f.ops = &keisan_->ops();
    f.metrics = metrics_.get();
    f.scheme = scheme_;
    f.stepMode = jk_.STEPFLAG == 1;
    f.count = player_->revealed();
    f.scrollY = scrollY_;
    f.scrollX = scrollX_;
    f.cursor = cursorRect();
    f.cursorShown = cursorVisible();
    f.cursorColour = cursorColour_;
    if (fitting()) fitFrame(f);
    f.reservedBottom = reserved_;
    return f;
}

bool BoardScreen::fitting() const {
    return fit_ && keisan_ && keisan_->NyuryokuKa() == 0 && !keisan_->ops().empty();
}

void BoardScreen::fitFrame(BoardFrame& f) const {
    // The whole calculation with a margin of a character all round.
    const hissan::Grid& g = keisan_->grid();
    const QRect ink = writtenExtent(keisan_->ops(), jk_.STEPFLAG == 1)
                          .adjusted(-g.DigitW, -g.DigitW, g.DigitW, g.DigitW);
    if (ink.width() <= 0 || ink.height() <= 0) return;
    const QSize room = view_->size() - QSize(0, reserved_);
    f.scale = std::min(double(room.width()) / ink.width(), double(room.height()) / ink.height());
    const QPointF centre(room.width() / 2.0, room.height() / 2.0);
    f.origin = centre - QPointF(ink.center()) * f.scale;
    f.scrollX = 0;
    f.scrollY = 0;
}

void BoardScreen::reserveBelow(int top) {
    // At least a third of the board stays for the drawing.
    const int viewTop = view_->mapToGlobal(QPoint(0, 0)).y();
    const int band = std::clamp(viewTop + view_->height() - top, 0, view_->height() * 2 / 3);
    if (band == reserved_) return;
    reserved_ = band;
    updateScrollRange();
    view_->update();
}

void BoardScreen::setFit(bool on) {
    fit_ = on;
    updateScrollRange();
    view_->update();
}

QRect BoardScreen::drawnArea(bool whole) const {
    if (!keisan_ || keisan_->ops().empty()) return {};
    const BoardFrame f = frame();
    QRectF ink = writtenExtent(keisan_->ops(), jk_.STEPFLAG == 1);
    if (ink.isEmpty()) return {};
    ink.translate(-f.scrollX, -f.scrollY);
    ink = QRectF(f.origin + ink.topLeft() * f.scale, ink.size() * f.scale);
    const QRect shown =
        ink.toAlignedRect() & view_->rect().adjusted(0, 0, 0, whole ? 0 : -reserved_);
    if (shown.isEmpty()) return {};
    return QRect(view_->mapToGlobal(shown.topLeft()), shown.size());
}

QImage BoardScreen::grab() const {
    return view_->grab().toImage();
}

// ---- scrolling ------------------------------------------------------------------

void BoardScreen::update() {
    view_->update();
}

void BoardScreen::repaint() {
    scrollY_ = bar_->value();
    view_->update();
}

void BoardScreen::updateScrollRange() {
    if (!keisan_) return;
    const QRect ink = opsExtent(keisan_->ops());
    const hissan::Grid& g = keisan_->grid();
    const bool fitted = fitting();
    bar_->setVisible(!fit_);
    const int page = std::max(1, view_->height() - reserved_);
    bar_->setPageStep(page);
    // A page, or the whole drawing and a line below it when that is taller.
    const int drawn = ink.bottom() + g.LineH;
    bar_->setRange(0, fitted ? 0 : std::max(0, std::max(pageH_, drawn) - page));
    // Sideways: the written drawing (texts and lines; the filled areas only
    // clear the board), or the typed line and its cursor, and a character
    // beyond, when that is wider than the board.
    int right = writtenExtent(keisan_->ops(), jk_.STEPFLAG == 1).right();
    if (keisan_->NyuryokuKa() == 1) right = std::max(right, cursorRect().right());
    right += g.DigitW;
    const int width = std::max(1, view_->width());
    const bool wide = !fitted && right > width;
    if (wide != hbar_->isVisible()) hbar_->setVisible(wide);
    hbar_->setPageStep(width);
    hbar_->setRange(0, wide ? right - width : 0);
    // While typing, the cursor stays in sight.
    if (wide && keisan_->NyuryokuKa() == 1) {
        const QRect c = cursorRect();
        if (c.right() + g.DigitW > hbar_->value() + width)
            hbar_->setValue(c.right() + g.DigitW - width);
        else if (c.left() - g.DigitW < hbar_->value())
            hbar_->setValue(c.left() - g.DigitW);
    }
    scrollX_ = hbar_->value();
    emit drawingMoved();
}

void BoardScreen::setScroll(int value) {
    bar_->setValue(value);
    scrollY_ = bar_->value();
    view_->update();
}

void BoardScreen::setSideScroll(int value) {
    hbar_->setValue(value);
    scrollX_ = hbar_->value();
    view_->update();
}

void BoardScreen::home() {
    if (keisan_->NyuryokuKa() != 0) return;
    setScroll(0);
}

void BoardScreen::scrollUp() {
    if (keisan_->NyuryokuKa() != 0) return;
    setScroll(bar_->value() - 4);
}

void BoardScreen::scrollDown() {
    if (keisan_->NyuryokuKa() != 0) return;
    setScroll(bar_->value() + 4);
}

// ---- colours ---------------------------------------------------------------------

void BoardScreen::setScheme(int scheme) {
    scheme_ = scheme >= 0 && scheme < hissan::kSchemeCount ? scheme : hissan::kSchemeBlackboard;
    cursorColour_ = scheme_ == hissan::kSchemeWhiteboard ? kGreen : kYellow;
    // What shows around the board takes the board's colour (the menu bar
    // keeps the desktop's colours).
    QPalette pal = frame_->palette();
    pal.setColor(QPalette::Window, backgroundColour(scheme_));
    frame_->setPalette(pal);
    view_->update();
}

// ---- the block cursor -------------------------------------------------------------

QRect BoardScreen::cursorRect() const {
    const hissan::Grid& g = keisan_->grid();
    const int x = keisan_->cursorX(), y = keisan_->cursorY();
    return QRect(QPoint(x + 2, y + 2), QPoint(x + g.DigitW - 3, y + g.CharH - 3));
}

bool BoardScreen::cursorVisible() const {
    return cursorShown_ && keisan_->NyuryokuKa() == 1 && !player_->running();
}

void BoardScreen::blinkCursor() {
    // With input disabled the cursor is erased once and then stays off.
    const bool wasOn = keisan_->cursorOn() == 1;
    if (!keisan_->blinkCursor()) return;
    cursorShown_ = wasOn;
    view_->update(cursorRect().translated(-scrollX_, -scrollY_).adjusted(-1, -1, 1, 1));
}

// ---- fonts -------------------------------------------------------------------------

QFont BoardScreen::font() const {
    return metrics_->font(jk_.FONTSIZE);
}

void BoardScreen::chooseFont(QWidget* parent) {
    QFont chosen = font();
    QFontDialog dlg(chosen, parent);
    dlg.setOption(QFontDialog::DontUseNativeDialog);
    dlg.setWindowTitle(QStringLiteral("フォント"));
    // Only the face and the size count on the board: the effects (strikeout,
    // underline) cannot be chosen.
    for (QGroupBox* g : dlg.findChildren<QGroupBox*>())
        if (!g->findChildren<QCheckBox*>().isEmpty()) g->setEnabled(false);
    if (auto* box = dlg.findChild<QDialogButtonBox*>()) {
        QPushButton* apply = box->addButton(QDialogButtonBox::Apply);
        connect(apply, &QPushButton::clicked, this, [this, &dlg] { setFont(dlg.currentFont()); });
    }
    if (dlg.exec() == QDialog::Accepted)
        chosen = dlg.selectedFont();
    else
        chosen = font();
    setFont(chosen);
}

void BoardScreen::setFont(const QFont& font) {
    // The stored name stays while the chosen family is the one it stands for
    // here ("ＭＳゴシック" shown with the installed Japanese font), so the
    // settings file keeps working on the machines it came from.
    if (font.family() != boardFontFamily(jk_.FONTNAME)) jk_.FONTNAME = font.family().toStdString();
    const int size = font.pointSize() > 0 ? font.pointSize() : jk_.FONTSIZE;
    jk_.FONTSIZE = std::max(1, size);
    // The entry keeps the old metrics until the new ones are in place.
    auto fresh = std::make_unique<QtMetrics>(boardFontFamily(jk_.FONTNAME));
    if (relayout_) relayout_(*fresh);
    metrics_ = std::move(fresh);
    repaint();
}

void BoardScreen::bigger() {
    QFont f = font();
    f.setPointSize(std::min(keisan_->grid().MojiSize + 1, 50));
    setFont(f);
}

void BoardScreen::smaller() {
    QFont f = font();
    f.setPointSize(std::max(keisan_->grid().MojiSize - 1, 5));
    setFont(f);
}

}  // namespace app
