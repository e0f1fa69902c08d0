#include "ui/tool_window.h"

#include <QEvent>

namespace app {

ToolWindow::ToolWindow(QWidget* owner, const QString& caption, QSize client, bool titleButtons)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint) {
    if (!titleButtons) {
        setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                       Qt::WindowTitleHint);
    }
    setWindowTitle(caption);
    resize(client);
    // The keyboard belongs to the board; these windows are clicked, not typed in.
    setFocusPolicy(Qt::NoFocus);
}

void ToolWindow::minimise() {
    setWindowState(windowState() | Qt::WindowMinimized);
    hide();
}

void ToolWindow::restoreNormal() {
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    show();
}

bool ToolWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) emit activated();
    if (e->type() == QEvent::WindowDeactivate) emit deactivated();
    return QWidget::event(e);
}

}  // namespace app
