#include "ui/board_view.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "ui/renderer.h"

namespace app {

void paintBoard(QPainter& p, const QRect& area, const BoardFrame& f) {
    p.fillRect(area, backgroundColour(f.scheme));
    p.save();
    if (f.reservedBottom > 0)
        p.setClipRect(area.adjusted(0, 0, 0, -f.reservedBottom), Qt::IntersectClip);
    if (f.scale != 1.0 || !f.origin.isNull()) {
        p.translate(f.origin);
        p.scale(f.scale, f.scale);
    }
    if (f.scrollX != 0) p.translate(-f.scrollX, 0);
    if (f.ops && f.metrics) {
        RenderOptions opt;
        opt.scheme = f.scheme;
        opt.stepMode = f.stepMode;
        opt.count = f.count;
        opt.dy = -f.scrollY;
        renderOps(p, *f.ops, *f.metrics, opt);
    }
    if (f.cursorShown && f.cursor.isValid())
        p.fillRect(f.cursor.translated(0, -f.scrollY), f.cursorColour);
    p.restore();
}

BoardView::BoardView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Board"));
    // Every paint covers the whole area: no background erase needed first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

namespace {
constexpr int kHintMs = 5000;  // how long a hint stays
}

void BoardView::showHint(const QString& text) {
    if (!hint_) {
        hint_ = new QLabel(this);
        hint_->setObjectName(QStringLiteral("HintLine"));
        // Light text on a dark strip reads on every scheme; clicks go through
        // to the board.
        hint_->setStyleSheet(QStringLiteral(
            "QLabel { background: rgba(0, 0, 0, 200); color: white; padding: 4px 12px; }"));
        hint_->setAttribute(Qt::WA_TransparentForMouseEvents);
        QFont f = hint_->font();
        f.setPointSizeF(std::max(f.pointSizeF(), 9.0) * 1.4);
        hint_->setFont(f);
        hintTimer_ = new QTimer(this);
        hintTimer_->setSingleShot(true);
        hintTimer_->setInterval(kHintMs);
        connect(hintTimer_, &QTimer::timeout, hint_, &QWidget::hide);
    }
    hint_->setText(text);
    placeHint();
    hint_->show();
    hint_->raise();
    hintTimer_->start();
}

QString BoardView::hint() const {
    return hint_ && !hint_->isHidden() ? hint_->text() : QString();
}

void BoardView::placeHint() {
    if (!hint_) return;
    const int h = hint_->sizeHint().height();
    hint_->setGeometry(0, height() - h, width(), h);
}

void BoardView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    placeHint();
}

void BoardView::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.setClipRegion(e->region());
    const BoardFrame f = source_ ? source_() : BoardFrame{};
    paintBoard(p, rect(), f);
    p.end();
    emit painted();
}

void BoardView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) emit leftClicked();
    QWidget::mousePressEvent(e);
}

void BoardView::wheelEvent(QWheelEvent* e) {
    emit wheelTurned(e);
    e->accept();
}

}  // namespace app
