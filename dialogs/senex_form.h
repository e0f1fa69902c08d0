// The word-problem window: after a calculation it tells a story that uses the
// pupil's own numbers, with the way of thinking, the expression and its
// answer, the check calculation and the answer sentence. The stories come
// from the pattern file (bun_ex.h); every paint draws them from the state.
#pragma once

#include <QString>
#include <QStringList>

#include "core/bun_ex.h"
#include "ui/pattern_file.h"
#include "ui/tool_window.h"

class QLabel;
class QPainter;

namespace dialogs {

// What the window reads of the main window; what it asks for goes out
// through its signals.
class SenExHost {
  public:
    virtual ~SenExHost() = default;
    // The finished calculation and the panel's state.
    virtual ReibunInput reibunInput() const = 0;
};

// The folders where the pattern file is looked for, in order: beside the
// program, the installed data folder, then the current directory.
QStringList bunExDirs();

// The pattern file: the first of those folders that has one. Empty when
// none of them has it.
QString bunExPath();

class TSenExForm : public app::ToolWindow {
    Q_OBJECT
  public:
    TSenExForm(QWidget* owner, SenExHost* host);

    // Reads the pattern file at `path` into the table: 1 when it was read,
    // -1 when not (the table keeps what it held). An empty path is a file
    // that was not found.
    int ReiGet(const QString& path);
    // Why the last reading gave no stories (None after a good one).
    const BunExFault& readFault() const { return fault_; }
    // What to tell the user when there are no stories: for a missing file
    // the plain request to check it; for a file that is there but cannot be
    // used, which file, why, and the folders searched.
    QString noStoriesMessage() const;

    BunExTable table;
    int ReibunType = 0;             // the pattern drawn last, 1..20
    int EnzanIndex = 0;             // operator of the expression: 0 +, 1 -, 2 *, 3 /
    QLabel* StaticText1 = nullptr;  // "考え方: " and the way of thinking
    QLabel* Image1 = nullptr;       // the window's picture

    // The example as the last paint drew it (empty before the first).
    const Reibun& shown() const { return shown_; }
    // The window's drawing font at a size.
    static QFont textFont(int pointSize, bool bold = false, bool underline = false);

  signals:
    // Escape or Delete: the expression on the board is erased (the window
    // hides after the main window has answered).
    void eraseRequested();
    // The keyboard focus goes back to the board.
    void boardFocusRequested();
    // A key typed while this window was the active one: the board's.
    void keyTyped(int key, Qt::KeyboardModifiers mods, quint32 scanCode);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void ReibunDsp(QPainter& p);
    void karaDsp(QPainter& p);
    void setLabel(const QString& text, int pointSize);

    SenExHost* host_;
    BunExFault fault_{BunExFault::Missing};
    QString faultPath_;  // the file that the last reading could not use
    Reibun shown_;
    bool drawn_ = false;  // an example was drawn since the window was made
};

}  // namespace dialogs
