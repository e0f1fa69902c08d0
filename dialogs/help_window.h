// The program's own help: a Japanese HTML document shown in a window of the
// program (no browser needed). One window; opening again brings it forward.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace dialogs {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    // Shows `file` in the help window of `owner`, made on first use.
    static HelpWindow* showFile(QWidget* owner, const QString& file);
    QTextBrowser* browser() const { return browser_; }

  private:
    explicit HelpWindow(QWidget* owner);
    QTextBrowser* browser_ = nullptr;
};

}  // namespace dialogs
