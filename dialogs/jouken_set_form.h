// The conditions dialog: every option of the board in one stay-on-top tool
// window. Each control acts at once on the one TJouken of the main window.
//
// Its check boxes are also the switches of the main window: a key or a panel
// of the main window sets a box (setSwitch / toggle, or setChecked on the
// step boxes), and the box's handler, run on every change of its state, from
// code or by a click, stores the field and refreshes the board and the
// panels. So the dialog and the main window never disagree.
#pragma once

#include <QString>
#include <functional>
#include <utility>
#include <vector>

#include "core/conditions.h"
#include "hissan/jouken.h"
#include "ui/tool_window.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace dialogs {

class TJoukenSetFormM : public app::ToolWindow {
    Q_OBJECT
  public:
    // The display conditions that the main window's keys and panels switch.
    using Switch = core::Switch;

    // What a change of the conditions asks the main window to show again.
    enum class Change {
        Layout,        // the board laid out again under the changed conditions
        Captions,      // the settings panel's toggles and the menu check marks
        LineBreak,     // KAIGYO_FLAG: a finished calculation drawn with its "=" moved
        QuotientMode,  // SHOU_ITI: the panel's division group and its places box
        PointMax,      // POINTMAX: the panel's places box
    };
    Q_ENUM(Change)

    // Builds the controls in their design state; FormCreate() then sets them
    // from `jk`. The window starts hidden.
    TJoukenSetFormM(QWidget* owner, hissan::TJouken& jk);

    // Sets the controls from the conditions, in a fixed order; boxes whose
    // design state differs from their field run their handlers. `top`,
    // `left`: the start position offered by the main window.
    void FormCreate(int top, int left);

    // Sets a switch's box; its handler stores the field and refreshes the
    // board, also when the box already showed that state.
    void setSwitch(Switch s, bool on);
    // The box set to the opposite of its field: the keyboard's toggle.
    void toggle(Switch s);
    QCheckBox* box(Switch s) const;

    // Applies SHOU_ITI to the quotient controls (and the main window's).
    void GB3Set();
    // Rebuilds PaiText from PaiKeta and the two π hints.
    void pai_Set();
    // SHOU_ITI from the three quotient-mode boxes (the last ticked in the
    // order 0, 1, 2 wins; none ticked leaves it).
    void ShouJoukenGet();
    // The step and beep boxes re-read from AUTOSTEP, STEPFLAG and STEPBEEP:
    // the main window's keys change them behind the dialog.
    void FormActivate();
    // The three step boxes tick the one kind in force ("無", "自動" or
    // "手動"), without running their handlers; asked during a step box's
    // handler, once the outermost handler is over.
    void showStepKind();

    // The main window changed a value the dialog shows; nothing else runs.
    void showPointMax();
    void showStrokeDelay(int delay);
    void showScheme(int item);
    // The places chosen on the main window's own up-down: the same road as
    // this dialog's arrows.
    void setPlaces(int position);
    // Manual stepping switched from the main window: the "手動" box set, and
    // its handler run, as a click does.
    void setManualStep(bool on);

    int GB3Busy = 0;
    int ShishaMsgArmed = 1;

    QPushButton *Button1 = nullptr, *Button3 = nullptr, *Button4 = nullptr;
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr,
              *CheckBox4 = nullptr, *CheckBox6 = nullptr, *CheckBox7 = nullptr,
              *CheckBox8 = nullptr, *CheckBox9 = nullptr, *CheckBox10 = nullptr,
              *CheckBox11 = nullptr, *CheckBox12 = nullptr, *CheckBox13 = nullptr,
              *CheckBox14 = nullptr, *CheckBox15 = nullptr, *CheckBox16 = nullptr,
              *CheckBox17 = nullptr;
    QToolButton *SpeedButton1 = nullptr, *SpeedButton2 = nullptr, *SpeedButton3 = nullptr;
    QSpinBox* Edit1 = nullptr;     // stroke time with UpDown1, 0..99 (shows a delay of 100)
    QSpinBox* Edit2 = nullptr;     // quotient places with UpDown2, 0..10
    QSpinBox* Edit3 = nullptr;     // digits of π with UpDown3, 1..15
    QLabel* PlacesText = nullptr;  // after the places box
    QLabel* Panel2 = nullptr;      // "表示": shows PaiText in its hint
    QButtonGroup* RadioGroup1 = nullptr;

  signals:
    // The handlers emit these in the middle of their work; the main window
    // connects them directly, so each answer runs before the handler goes on.
    void conditionsChanged(dialogs::TJoukenSetFormM::Change what);
    // AUTOSTEP, STEPFLAG or the stroke time changed: the panel's step group
    // and the step box follow.
    void stepModeChosen();
    // The panel's stroke-time box: enabled with a red label, or greyed.
    void strokeTimeEnabled(bool on);
    // The places changed while the calculation follows the conditions.
    void recalculateRequested();
    // A colour scheme item chosen here: the main window switches the scheme
    // (or refuses) and shows the one in force here again.
    void schemeChosen(int item);
    void fontRequested();
    void biggerRequested();
    void smallerRequested();
    void helpRequested();
    // The dialog was closed by its own button: J / F6 opens it again.
    void hidden();
    void notice(const QString& text, const QString& title);
    // A key typed while the dialog is the active window belongs to the board.
    void keyTyped(int key, Qt::KeyboardModifiers mods, quint32 scanCode);

  protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool event(QEvent* e) override;

  private:
    void build();
    void Button1Click();
    // `handler` runs on every change of the box's state.
    void onChange(QCheckBox* box, std::function<void()> handler);
    // A switch's box that stores its state in its condition's field and
    // refreshes what shows it.
    void flagBox(Switch s, bool relayout);
    void quotientBox(QCheckBox* box, int mode);
    void CheckBox6Click();
    void CheckBox8Click();
    void CheckBox9Click();
    void CheckBox17Click();
    void stepRun(void (TJoukenSetFormM::*handler)());
    void UpDown1Click(int position);
    void UpDown2Click(int position);
    void UpDown3Click(int position);
    void RadioGroup1Click(int item);
    void runHandler(QCheckBox* box);
    // True for one of the three number boxes or a part of one.
    bool inNumberBox(const QWidget* w) const;
    void placesBox(bool on, int minimum);

    hissan::TJouken& jk_;
    std::vector<std::pair<QCheckBox*, std::function<void()>>> handlers_;
    int stepDepth_ = 0;
};

}  // namespace dialogs
