// The on-screen keypad: a small stay-on-top window beside the blackboard with
// which a pupil enters and edits the expression with the mouse or a finger. It keeps no
// state but its focus flag; every button hands its work to the main window.
#pragma once

#include <QString>

#include "ui/tool_window.h"

class QFrame;
class QToolButton;

namespace dialogs {

class TInputFormM : public app::ToolWindow {
    Q_OBJECT
  public:
    explicit TInputFormM(QWidget* owner);

    // 1 from a character button's click on; 0 once the keypad lost the
    // activation, after which the main window's timer takes the focus back.
    int KeypadActive = 1;

    // Normal or large buttons (at least 48 pixels square, for a finger on a
    // touch screen); the size switch on the keypad changes it too.
    void setLarge(bool large);
    bool isLarge() const { return large_; }
    // The window's size with normal buttons; a large keypad grows from its
    // lower right corner.
    static QSize normalSize();

    // A button by its name ("SpeedButton19", "EqualButton", "SizeButton", ...).
    QToolButton* button(const QString& name) const;

    // The buttons' handlers.
    void charButton(char ch);
    void BackSpaceButtonClick();
    void HukkatuButtonClick();
    void DeleteButtonClick();
    void RecalcButtonClick();
    void JoukenButtonClick();
    void SpeedButton2Click();   // π
    void SpeedButton5Click();   // read aloud
    void SpeedButton11Click();  // speech settings

  signals:
    // What a button asks of the main window, in the order the handler
    // emits them; each ends with boardFocusRequested.
    // The one entry for an expression character, exactly as a typed key.
    void charTyped(char ch);
    void backSpaceRequested();
    void restoreRequested();
    // The word-problem window hidden and the expression erased.
    void eraseRequested();
    void recalculateRequested();
    // A key press posted to the main window's keyboard map (F6, P).
    void keyPosted(int key);
    // The expression and its answer read aloud.
    void readAloudRequested();
    // The speech settings window shown or hidden.
    void voiceSettingsRequested();
    // The keyboard focus goes back to the board.
    void boardFocusRequested();
    // A key typed while the keypad was the active window: the board's.
    void keyTyped(int key, Qt::KeyboardModifiers mods, quint32 scanCode);
    // The size switch was used: the keypad is large now, or normal.
    void sizeChosen(bool large);

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    // Places the buttons and sets their captions for the current size.
    void layOut();

    QFrame* panel_ = nullptr;
    QToolButton* sizeSwitch_ = nullptr;
    bool large_ = false;
};

}  // namespace dialogs
