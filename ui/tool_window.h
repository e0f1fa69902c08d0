// The base of the windows that stand beside the blackboard.
#pragma once

#include <QString>
#include <QWidget>

namespace app {

// A stay-on-top tool window with a caption and a fixed client size. Without
// title-bar buttons it can be neither closed nor minimised by the user.
class ToolWindow : public QWidget {
    Q_OBJECT
  public:
    ToolWindow(QWidget* owner, const QString& caption, QSize client, bool titleButtons);

    // Minimised as the keyboard's I/F8 does it: the window leaves the screen
    // and remembers the state, so the main window can tell the state apart.
    void minimise();
    void restoreNormal();
    bool isMinimised() const { return windowState() & Qt::WindowMinimized; }

  signals:
    void activated();
    void deactivated();

  protected:
    bool event(QEvent* e) override;
};

}  // namespace app
