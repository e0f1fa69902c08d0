// The settings panel across the top of the board: colour scheme, character
// size, the toggle panels, the division and step groups and "読". It shows
// the conditions it is told and says what the user clicked through signals;
// the main window does the work.
#pragma once

#include <QLabel>
#include <QWidget>

#include "hissan/jouken.h"

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QSpinBox;
class QToolButton;

namespace app {

// A clickable coloured panel with a caption and a hint, the toggles of the
// settings panel.
class ClickPanel : public QLabel {
    Q_OBJECT
  public:
    ClickPanel(const QString& caption, QWidget* parent);
    void setLook(const QString& caption, const QColor& back, const QColor& text, bool bold = false);
    QColor back() const { return back_; }
    QColor textColour() const { return text_; }

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* e) override;

  private:
    QColor back_, text_;
};

// The panel builds its controls when asked to, before it is first shown: what
// it is told to show before then is kept and shown once they are there.
class SettingsPanel : public QWidget {
    Q_OBJECT
  public:
    // The panel on the board `board`, whose keyboard focus its focus box
    // passes on; it shows the conditions of `jk`.
    SettingsPanel(const hissan::TJouken& jk, QWidget* board);

    // Builds the controls now, if they are not there yet.
    void ensureBuilt();

    // As wide as `width`, never narrower than its controls need (a narrow
    // window clips its right end instead of squeezing the labels unreadable).
    void fitWidth(int width);

    // The toggles' captions and colours from the conditions.
    void showToggles();
    void showWordProblem(bool on);
    // The "■"/"●" button of the zero-quotient row.
    void showShou0();
    // The quotient places box, without running its handler.
    void showPlaces(int places);
    // The division group follows the quotient mode.
    void showQuotientMode();
    // The step kind, the step speed and whether the stroke time counts.
    void showStepKind();
    void showStrokeDelay(int delay);
    void setStepTimeEnabled(bool on);
    // Selects a colour scheme item; `run` runs the selection's handler.
    void selectScheme(int item, bool run);
    int selectedScheme() const;
    // True for the places box, whose arrows step it while it has the focus.
    bool isPlacesBox(const QObject* o) const;

  signals:
    void hideClicked();
    void biggerClicked();
    void smallerClicked();
    // A toggle that acts as its key does.
    void keyClicked(int key);
    void kaigyoClicked();
    void refLineClicked();
    void rendoClicked();
    void wordProblemClicked();
    void shou0Clicked();
    void speakClicked();
    void schemeChosen();
    void placesChosen(int places);

  private:
    void build();

    const hissan::TJouken& jk_;
    QWidget* board_;
    bool built_ = false;
    // What the panel shows that is not read from the conditions.
    bool wordProblemOn_ = false;
    int places_ = 0;
    int strokeDelay_ = 0;
    bool stepTimeOn_ = false;
    int scheme_ = 0;
    ClickPanel *Panel2 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr, *Panel5 = nullptr,
               *Panel6 = nullptr, *Panel7 = nullptr, *Panel8 = nullptr, *Panel9 = nullptr,
               *Panel10 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QButtonGroup* RadioGroup1Items = nullptr;
    QGroupBox* GroupBox2 = nullptr;  // division settings
    QGroupBox* GroupBox4 = nullptr;  // step settings
    QGroupBox* KakezanGroup = nullptr;
    QSpinBox* Edit1 = nullptr;   // quotient places with its up-down (UpDown1)
    QLineEdit* Edit2 = nullptr;  // stroke speed, read-only
    QLineEdit* Edit3 = nullptr;  // focus box
    QLabel *GB2Text1 = nullptr, *GB2Text2 = nullptr, *GB2Text3 = nullptr, *GB2Text4 = nullptr,
           *GB2CtrlText = nullptr, *StepUnitText = nullptr;
    QToolButton *SpeedButton7 = nullptr, *SpeedButton8 = nullptr;
};

}  // namespace app
