// The blackboard: the program's main window. It owns the conditions record,
// the expression entry and the board drawing, maps the keyboard onto their
// operations, paints the board, and wires the settings panel and the
// companion windows to them.
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
#include "app/settings_panel.h"
#include "core/keisan.h"
#include "core/keymap.h"
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
class QMenu;
class QPrinter;
class QScrollBar;

namespace app {

// Where the window's messages and beeps go. Left empty, a message is a modal
// box and a beep the system beep; tests set these to watch them instead.
struct FormHooks {
    std::function<void(const hissan::Message&)> message;
    std::function<void()> beep;
};
FormHooks& formHooks();

class TKokubanFormM : public QMainWindow {
    Q_OBJECT
  public:
    // `settingsDir`: the folder of the settings file; empty for the usual
    // place beside the program (or the user's configuration folder).
    explicit TKokubanFormM(const QString& settingsDir = QString(), QWidget* parent = nullptr);
    ~TKokubanFormM() override;

    // ---- what an entry operation reported ---------------------------------------
    // Carries out the events of `report` in their order: a message box is
    // closed before the next event is applied.
    void apply(const EntryReport& report);
    // A modal message box; a message that asks for it then clears the board
    // and types the previous expression again.
    void showMessage(const hissan::Message& m);
    // Reads a calculation text aloud.
    void Yomiage(const std::string& text);

    // A message box of the window's own, through the same way as Keisan's.
    void message(const QString& text, const QString& title,
                 hissan::Message::Icon icon = hissan::Message::NoIcon);
    void beep();

    // ---- keyboard ---------------------------------------------------------------
    // A key press of the user, `scanCode` being its native scan code (0 when
    // unknown): translated into the board's key names and looked up in the
    // key map (core/keymap.h). While a drawing plays, G / Escape act on its
    // step points, a few keys act at once and the others wait for its end.
    void keyPressed(int key, Qt::KeyboardModifiers mods, quint32 scanCode = 0);
    // Carries out what the key map finds for a key in the present state.
    void FormKeyDown(core::Key key, unsigned mods);
    // What the key map's state tests look at.
    core::KeyState keyState() const;
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
    void Contents1Click();
    void HomePage1Click();
    void About1Click();

    // ---- board view ----------------------------------------------------------------
    void GamenClear();
    void HomeDsp();
    void ScrollUp();
    void ScrollDown();
    void IroSet(int scheme);
    void IroChange(int scheme);
    void RadioGroup1Click();
    void Font1Click();
    void FontDialog1Apply(const QFont& font);
    void newFont(const QFont& font);
    void MojiBigButtonClick();
    void MojiSmallButtonClick();
    void KaigyouToggle();
    // ---- what the settings panel's clicks do ---------------------------------------------
    void P1Click();
    void GB2_set();
    void UpDown1Click(int position);
    void SpeedButton7Click();
    void SpeedButton8Click();
    void Panel4Click();
    void Panel7Click();
    void Panel8Click();
    void Panel10Click();

    // ---- step mode ------------------------------------------------------------------
    void StepToggle();
    void GB4Set();

    // ---- what the conditions dialog's signals run -------------------------------------
    void relayoutBoard();
    void panelCaptions();
    void quotientModeChanged();
    void showPointMax();
    void stepTimeEnabled(bool on);
    void selectScheme(int item);

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
    // Where the conditions dialog was offered to start, beside the window
    // as it opened.
    QPoint joukenStart() const { return {JoukenLeft, JoukenTop}; }

    // The word-problem panel is on; examples are loaded; the answer mode
    // last given to the word-problem window.
    int ReibunOn = 0;
    int ReibunAri = 0;
    int AmariMode = 0;
    std::array<QPixmap, 9> FaceBitmaps;
    static const std::array<const char*, 9> kFaceNames;
    int PageH = 0;
    // The speech engine, and the speaking step that Yomiage hands each
    // reading text to (tests may put their own there).
    std::unique_ptr<speech::SpeechEngine> SpVoice1;
    std::function<void(const std::string&)> speak;

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
    // The events of an entry report, one by one.
    void setInputWindowsEnabled(bool on);
    void wordProblem(int answerMode);
    void wordProblemRedraw();
    void boardChanged(BoardChange change);

    QString ExeDir;
    int Closing = 0;
    int PrevTop = 0, PrevLeft = 0, PrevHeight = 0, PrevWidth = 0;
    int LastPaintTop = 0, LastPaintLeft = 0;
    int JoukenTop = 0, JoukenLeft = 0;
    int BlinkTick = 0;
    const int BlinkPeriod = 3;
    int AppActivated = 0;
    int PageCount = 1;
    int IroChanged = 0;
    QTimer* Timer1 = nullptr;
    SettingsPanel* panel_ = nullptr;
    bool painted_ = false;                                         // the board was painted once
    QAction *actPanel = nullptr, *actPanelCtx = nullptr;           // settings panel
    QAction *actJk1st = nullptr, *actJk1stCtx = nullptr;           // conditions box at start
    QAction *actStepView = nullptr, *actStepCtx = nullptr;         // step mode check marks
    QAction *actMatsubiKake = nullptr, *actMatsubiWari = nullptr;  // trailing-zero methods
    QAction* actHomePage = nullptr;
    QMenu* contextMenu = nullptr;
    // The conditions dialog if it was built.
    dialogs::TJoukenSetFormM* conditionsBuilt() const;
    void wirePanel();
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
    void loadFaceBitmaps();
    void afterPaint();
    void repaintBoard();
    void setScroll(int value);
    void updateScrollRange();
    void showStrokeDelay();
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
