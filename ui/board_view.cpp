#include "ui/board_view.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

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
