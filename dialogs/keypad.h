// The on-screen keypad: a small stay-on-top window beside the blackboard with
// which a pupil enters and edits the expression with the mouse. It keeps no
// state but its focus flag; every button hands its work to the main window.
#pragma once

#include <QString>

#include "ui/tool_window.h"

class QToolButton;

namespace dialogs {

// What the keypad asks of the main window.
class KeypadHost {
  public:
    virtual ~KeypadHost() = default;
    // The one entry for an expression character, exactly as a typed key.
    virtual void MojiInput(char ch) = 0;
    virtual void BackSpace() = 0;
    virtual void Hukkatu() = 0;
    virtual void VK_DeleteKey() = 0;
    virtual void ReCalcButtonClick() = 0;
    virtual void hideWordProblem() = 0;
    // Posts a key press to the main window's keyboard map (F6, P).
    virtual void postKey(int key) = 0;
    // Reads the expression and its answer aloud.
    virtual void SpeedButton8Click() = 0;
    // Shows or hides the speech settings window.
    virtual void VoiceK1Click() = 0;
    // Gives the keyboard focus back to the board.
    virtual void focusBoard() = 0;
    // A key typed while the keypad was the active window: the board's.
    virtual void boardKey(int key, Qt::KeyboardModifiers mods, quint32 scanCode) = 0;
};

class TInputFormM : public app::ToolWindow {
    Q_OBJECT
  public:
    TInputFormM(QWidget* owner, KeypadHost* host);

    // 1 from a character button's click on; 0 once the keypad lost the
    // activation, after which the main window's timer takes the focus back.
    int KeypadActive = 1;

    // A button by its name ("SpeedButton19", "EqualButton", ...).
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

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    KeypadHost* host_;
};

}  // namespace dialogs
