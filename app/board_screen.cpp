#include "app/board_screen.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
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

}  // namespace

BoardScreen::BoardScreen(hissan::TJouken& jk, QWidget* parent)
    : QObject(parent), jk_(jk), frame_(new QWidget(parent)) {
    frame_->setAutoFillBackground(true);
    QPalette pal = frame_->palette();
    pal.setColor(QPalette::Window, kGreen);
    frame_->setPalette(pal);
    auto* row = new QHBoxLayout(frame_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    view_ = new BoardView(frame_);
    bar_ = new QScrollBar(Qt::Vertical, frame_);
    bar_->setFocusPolicy(Qt::NoFocus);
    row->addWidget(view_, 1);
    row->addWidget(bar_);
    bar_->setSingleStep(5);
    bar_->setFixedWidth(25);
    connect(bar_, &QScrollBar::valueChanged, this, [this](int v) {
        scrollY_ = v;
        view_->update();
    });
    const QScreen* screen = QGuiApplication::primaryScreen();
    pageH_ = static_cast<int>((screen ? screen->logicalDotsPerInchY() : 96.0) * 11.7);
    view_->setFrameSource([this] { return frame(); });
    // A wheel notch scrolls as far as over any Qt scroll bar (the keys keep
    // their small steps); only a finished calculation scrolls.
    connect(view_, &BoardView::wheelTurned, this, [this](QWheelEvent* e) {
        if (keisan_ && keisan_->NyuryokuKa() == 0) QCoreApplication::sendEvent(bar_, e);
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
    f.cursor = cursorRect();
    f.cursorShown = cursorVisible();
    f.cursorColour = cursorColour_;
    return f;
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
    const int page = std::max(1, view_->height());
    bar_->setPageStep(page);
    // A page, or the whole drawing and a line below it when that is taller.
    const int drawn = opsExtent(keisan_->ops()).bottom() + keisan_->grid().LineH;
    bar_->setRange(0, std::max(0, std::max(pageH_, drawn) - page));
}

void BoardScreen::setScroll(int value) {
    bar_->setValue(value);
    scrollY_ = bar_->value();
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
    scheme_ = scheme == 1 ? 1 : 0;
    cursorColour_ = scheme_ == 0 ? kYellow : kGreen;
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
    view_->update(cursorRect().translated(0, -scrollY_).adjusted(-1, -1, 1, 1));
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
