// The blackboard: the program's main window. It builds the board, the entry,
// the settings panel and the companion windows, wires them to each other,
// runs the menus, prints and closes; the board screen, the run queue, the
// conditions control and the key commands do the rest.
#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <array>
#include <functional>
#include <memory>

#include "app/board_screen.h"
#include "app/companions.h"
#include "app/conditions_control.h"
#include "app/key_commands.h"
#include "app/run_queue.h"
#include "app/settings_panel.h"
#include "core/keisan.h"
#include "hissan/jouken.h"
#include "speech/speech_engine.h"

class QAction;
class QMenu;
class QPrinter;
class QScrollBar;
class QTimer;

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

    // Carries out the events of `report` in their order: a message box is
    // closed before the next event is applied.
    void apply(const EntryReport& report);
    // A modal message box; a message that asks for it then clears the board
    // and types the previous expression again.
    void showMessage(const hissan::Message& m);
    void message(const QString& text, const QString& title,
                 hissan::Message::Icon icon = hissan::Message::NoIcon);
    void beep();
    // Reads a calculation text aloud.
    void Yomiage(const std::string& text);

    // A key press of the user (see KeyCommands), and one posted to be
    // handled later like a typed key.
    void keyPressed(int key, Qt::KeyboardModifiers mods, quint32 scanCode = 0) {
        keys_->keyPressed(key, mods, scanCode);
    }
    void injectKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);

    // ---- the menus ------------------------------------------------------------
    void Timer1Timer();
    void N3Click();
    void Z1Click();
    void ResClick();
    void SokudoClick();
    void VoiceK1Click();
    void N12Click();
    void Button1Click();
    // F11: full screen and back.
    void toggleFullScreen();
    void Print1Click();
    // Prints the expression and its calculation on one page of `printer`,
    // laid out on the printer's own metrics, in the whiteboard colours.
    bool printOn(QPrinter& printer);
    void Contents1Click();
    void About1Click();

    // ---- the parts, for the other windows and the tests ----------------------
    hissan::TJouken& jouken() { return jk_; }
    Keisan& keisan() { return *keisan_; }
    Player& player() { return runs_->player(); }
    BoardScreen& screen() { return *screen_; }
    ConditionsControl& controls() { return *controls_; }
    // The companion windows, start-up finished.
    Companions& companions() {
        finishStartUp();
        return comp_;
    }
    BoardView* board() const { return screen_->view(); }
    QScrollBar* scrollBar() const { return screen_->scrollBar(); }
    const QtMetrics& boardMetrics() const { return screen_->metrics(); }
    int scrollY() const { return screen_->scrollY(); }
    int scheme() const { return screen_->scheme(); }
    QColor cursorColour() const { return screen_->cursorColour(); }
    bool cursorVisible() const { return screen_->cursorVisible(); }
    QRect cursorRect() const { return screen_->cursorRect(); }
    QImage grabBoard() { return screen_->grab(); }
    // True while a recorded calculation is being played on the board.
    bool drawing() const { return runs_->drawing(); }
    // Shows the rest of the current drawing at once and handles the keys
    // that waited for it.
    void finishDrawing() { runs_->finish(); }
    QString settingsPath() const { return iniWritePath_; }
    // The companion windows are there: the board was painted, or input came.
    bool started() const { return started_; }
    // Where the conditions dialog was offered to start, beside the window
    // as it opened.
    QPoint joukenStart() const { return {JoukenLeft, JoukenTop}; }

    std::array<QPixmap, 9> FaceBitmaps;
    // The speech engine, and the speaking step that Yomiage hands each
    // reading text to (tests may put their own there).
    std::unique_ptr<speech::SpeechEngine> SpVoice1;
    std::function<void(const std::string&)> speak;

  signals:
    // Every paint of the board (after the frame was drawn).
    void boardPainted();
    // Start-up is over: the companion windows are there.
    void startedUp();

  protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

  private:
    void buildMenus();
    WindowActions windowActions();
    void setUpCompanions();
    void finishStartUp();
    speech::SpeechEngine& voice();
    void loadFaceBitmaps();
    void afterPaint();
    void placeCompanions();
    void keepDrawingClear();
    // The window's stored bounds are its outer frame, as on every desktop;
    // the frame size waits here until the window manager has framed us.
    void resizeFrame(QSize frame);
    void fitPendingFrame();

    hissan::TJouken jk_;
    BoardScreen* screen_ = nullptr;
    std::unique_ptr<Keisan> keisan_;
    RunQueue* runs_ = nullptr;
    SettingsPanel* panel_ = nullptr;
    ConditionsControl* controls_ = nullptr;
    KeyCommands* keys_ = nullptr;
    Companions comp_;
    QTimer* Timer1 = nullptr;
    QTimer* clearTimer_ = nullptr;  // keeps the tool windows off the drawing, once per change
    bool wasMaximised_ = false;
    QAction* actFullScreen = nullptr;
    QString iniWritePath_;
    QSize pendingFrame_;
    int Closing = 0;
    int PrevTop = 0, PrevLeft = 0, PrevHeight = 0, PrevWidth = 0;
    int LastPaintTop = 0, LastPaintLeft = 0;
    int JoukenTop = 0, JoukenLeft = 0;
    int BlinkTick = 0;
    int AppActivated = 0;
    bool painted_ = false;      // the board was painted once
    bool started_ = false;      // what the first paint does not show was built
    bool facesLoaded_ = false;  // the face pictures were read
    QAction *actPanel = nullptr, *actPanelCtx = nullptr;           // settings panel
    QAction *actJk1st = nullptr, *actJk1stCtx = nullptr;           // conditions box at start
    QAction *actStepView = nullptr, *actStepCtx = nullptr;         // step mode check marks
    QAction *actMatsubiKake = nullptr, *actMatsubiWari = nullptr;  // trailing-zero methods
    QMenu* contextMenu = nullptr;
};

}  // namespace app
