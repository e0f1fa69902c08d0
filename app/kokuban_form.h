// The blackboard: the program's main window. It owns the conditions record,
// the expression entry and the board drawing, maps the keyboard onto their
// operations, paints the board, carries the settings panel and keeps the
// companion windows beside it.
#pragma once

#include <QFont>
#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <QTimer>
#include <array>
#include <deque>
#include <functional>
#include <memory>

#include "app/companions.h"
#include "app/player.h"
#include "core/keisan.h"
#include "dialogs/jouken_set_form.h"
#include "dialogs/keypad.h"
#include "dialogs/senex_form.h"
#include "hissan/jouken.h"
#include "speech/face_s.h"
#include "speech/speech_engine.h"
#include "speech/voice_set_form.h"
#include "ui/board_view.h"
#include "ui/renderer.h"

class QAction;
class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPrinter;
class QRadioButton;
class QScrollBar;
class QSpinBox;
class QToolButton;

namespace app {

// Where the window's messages and beeps go. Left empty, a message is a modal
// box and a beep the system beep; tests set these to watch them instead.
struct FormHooks {
    std::function<void(const hissan::Message&)> message;
    std::function<void()> beep;
};
FormHooks& formHooks();

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

class TKokubanFormM : public QMainWindow, public KeisanHost, public dialogs::JoukenHost {
    Q_OBJECT
  public:
    // `settingsDir`: the folder of the settings file; empty for the usual
    // place beside the program (or the user's configuration folder).
    explicit TKokubanFormM(const QString& settingsDir = QString(), QWidget* parent = nullptr);
    ~TKokubanFormM() override;

    // ---- KeisanHost -----------------------------------------------------------
    void showMessage(const hissan::Message& m) override;
    void Yomiage(const std::string& text) override;
    void setInputWindowsEnabled(bool on) override;
    void wordProblem(int answerMode) override;
    void wordProblemRedraw() override;
    void setBusyCursor(bool on) override;
    void boardChanged(BoardChange change) override;

    // A message box of the window's own, through the same way as Keisan's.
    void message(const QString& text, const QString& title,
                 hissan::Message::Icon icon = hissan::Message::NoIcon);
    void beep();

    // ---- keyboard ---------------------------------------------------------------
    // The keyboard map; `scanCode` is the key's native scan code (0 when
    // unknown). Keys pressed while a drawing plays go through keyPressed().
    void FormKeyDown(int key, Qt::KeyboardModifiers mods, quint32 scanCode = 0);
    // A key press of the user: while a drawing plays, G / Escape act on its
    // step points, a few keys act at once and the others wait for its end.
    void keyPressed(int key, Qt::KeyboardModifiers mods, quint32 scanCode = 0) override;
    // Posts a key press to this window, handled later like a typed key.
    void injectKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);

    // ---- start-up and lifecycle --------------------------------------------------
    void FormResize();
    void Timer1Timer();
    void Exit1Click();
    void N3Click();
    void Z1Click();
    void ResClick();
    void SokudoClick();
    void VoiceK1Click();
    void Y1Click();
    void J2Click();
    void N12Click();
    void N11Click();
    void N15Click();
    void Button1Click();
    void PktImgDsp();
    void ReiGet();
    void Print1Click();
    // Prints the expression and its calculation on one page of `printer`,
    // laid out on the printer's own metrics, in the whiteboard colours.
    bool printOn(QPrinter& printer);
    void Contents1Click() override;
    void HomePage1Click();
    void About1Click();

    // ---- board view ----------------------------------------------------------------
    void GamenClear();
    void HomeDsp();
    void ScrollUp();
    void ScrollDown();
    void IroSet(int scheme);
    void IroChange();
    void RadioGroup1Click();
    void Font1Click() override;
    void FontDialog1Apply(const QFont& font);
    void newFont(const QFont& font);
    void MojiBigButtonClick() override;
    void MojiSmallButtonClick() override;
    void KaigyouToggle() override;
    void P1Click();
    // The settings panel across the top of the board: as wide as the window,
    // never narrower than its controls need (a narrow window clips its right end
    // instead of squeezing the labels unreadable).
    void placePanel1();
    void GB2_set();
    void UpDown1Click(int position);
    void SpeedButton7Click();
    void SpeedButton8Click();
    void Panel2Click();
    void Panel3Click();
    void Panel4Click();
    void Panel6Click();
    void Panel7Click();
    void Panel8Click();
    void Panel10Click();
    void Panel2dsp();
    void Panel3dsp();
    void Panel4dsp();
    void Panel6dsp();
    void Panel7dsp();
    void Panel10Dsp();
    void SB7_dsp();
    void RendoDsp();

    // ---- step mode ------------------------------------------------------------------
    void StepToggle();
    void GB4Set() override;

    // ---- what the conditions dialog asks of the window ---------------------------------
    void relayoutBoard() override;
    void panelCaptions() override;
    void quotientModeChanged() override;
    void showPointMax() override;
    void recalculate() override { keisan_->ReCalcButtonClick(); }
    void stepTimeEnabled(bool on) override;
    void selectScheme(int item) override;
    void joukenHidden() override { JoukenShown = 0; }
    void notice(const QString& text, const QString& title) override { message(text, title); }

    // ---- state read by the other windows and the tests -----------------------------
    hissan::TJouken& jouken() { return jk_; }
    Keisan& keisan() { return *keisan_; }
    Player& player() { return *player_; }
    BoardView* board() const { return board_; }
    QScrollBar* scrollBar() const { return vbar_; }
    Companions& companions() { return comp_; }
    const QtMetrics& boardMetrics() const { return *metrics_; }
    QFont boardFont() const;
    int scrollY() const { return scrollY_; }
    int scheme() const { return scheme_; }
    QColor cursorColour() const { return cursorColour_; }
    bool cursorVisible() const;
    QRect cursorRect() const;
    // True while a recorded calculation is being played on the board.
    bool drawing() const { return player_->running(); }
    // Shows the rest of the current drawing at once and handles the keys
    // that waited for it.
    void finishDrawing();
    // The board as it is painted now.
    QImage grabBoard();
    QString settingsPath() const { return iniWritePath_; }

    QString ExeDir;
    int Closing = 0;
    int PrevTop = 0, PrevLeft = 0, PrevHeight = 0, PrevWidth = 0;
    int LastPaintTop = 0, LastPaintLeft = 0;
    int JoukenTop = 0, JoukenLeft = 0;
    int BlinkTick = 0;
    const int BlinkPeriod = 3;
    int AppActivated = 0;
    int PageH = 0;
    int PageCount = 1;
    int IroChanged = 0;
    int JoukenShown = 0;
    int StepBoxShown = 0;
    int ReibunOn = 0;   // word-problem panel on
    int ReibunAri = 0;  // word-problem examples loaded
    int AmariMode = 0;  // answer mode last given to the word-problem window
    std::array<QPixmap, 9> FaceBitmaps;
    static const std::array<const char*, 9> kFaceNames;
    QTimer* Timer1 = nullptr;
    // The speech engine, and the speaking step that Yomiage hands each
    // reading text to (tests may put their own there).
    std::unique_ptr<speech::SpeechEngine> SpVoice1;
    std::function<void(const std::string&)> speak;

    // ---- settings panel and menus (the conditions dialog keeps them in step) ----
    QWidget* Panel1 = nullptr;
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
    QAction *actPanel = nullptr, *actPanelCtx = nullptr;           // settings panel
    QAction *actJk1st = nullptr, *actJk1stCtx = nullptr;           // conditions box at start
    QAction *actStepView = nullptr, *actStepCtx = nullptr;         // step mode check marks
    QAction *actMatsubiKake = nullptr, *actMatsubiWari = nullptr;  // trailing-zero methods
    QAction* actHomePage = nullptr;
    QMenu* contextMenu = nullptr;

  signals:
    // Every paint of the board (after the frame was drawn).
    void boardPainted();

  protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

  private:
    // The window's stored bounds are its outer frame, as on every desktop;
    // the frame size waits here until the window manager has framed us.
    void resizeFrame(QSize frame);
    void fitPendingFrame();
    QSize pendingFrame_;

    struct Key {
        int key;
        Qt::KeyboardModifiers mods;
        quint32 scan;
    };
    void buildMenus();
    void buildPanel();
    void loadFaceBitmaps();
    void placeCompanions();
    void afterPaint();
    void repaintBoard();
    void setScroll(int value);
    void updateScrollRange();
    void showStrokeDelay();
    void GB2_look();
    void stepLook();
    void stepEscaped();
    void onRunFinished();
    void drainDeferred();
    void whenIdle(std::function<void()> action);
    BoardFrame frame() const;

    hissan::TJouken jk_;
    std::unique_ptr<QtMetrics> metrics_;
    std::unique_ptr<Keisan> keisan_;
    std::unique_ptr<Player> player_;
    BoardView* board_ = nullptr;
    QScrollBar* vbar_ = nullptr;
    Companions comp_;
    QString iniWritePath_;
    int scrollY_ = 0;
    int scheme_ = 0;
    QColor cursorColour_;
    bool cursorShown_ = false;
    bool busyCursor_ = false;
    bool inputWindowsWanted_ = true;  // keypad and dialog, once no drawing plays
    void enableInputWindows(bool on);
    std::deque<std::function<void()>> deferred_;
};

}  // namespace app
