// The main window: construction, wiring, menus, printing and closing.
#include "app/kokuban_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRandomGenerator>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <climits>

#include "app/form_links.h"
#include "app/settings.h"
#include "core/yomi.h"
#include "dialogs/about_form.h"
#include "dialogs/help_window.h"
#include "dialogs/jouken_set_form.h"
#include "dialogs/keypad.h"
#include "dialogs/senex_form.h"
#include "dialogs/sheet_form.h"
#include "speech/face_s.h"
#include "speech/voice_set_form.h"
#include "ui/data_paths.h"

namespace app {

FormHooks& formHooks() {
    static FormHooks hooks;
    return hooks;
}

namespace {

// The address opened by "ヘルプ[HomePage] (&W)"; the item is disabled while
// no home page is known.
const char* const kHomePageUrl = "";

// The program's help, looked for among its data files.
const char* const kHelpFile = "help/hissan-help.html";

// How long after the first paint of the board start-up goes on.
const int kAfterFirstPaintMs = 15;

// The face blinks and moves its mouth on every fourth tick of the timer.
const int kBlinkPeriod = 3;

}  // namespace

// ---- construction ------------------------------------------------------------------

TKokubanFormM::TKokubanFormM(const QString& settingsDir, QWidget* parent) : QMainWindow(parent) {
    // The form: caption, green, the board with the form's scroll bar; the
    // settings panel starts hidden.
    setObjectName(QStringLiteral("KokubanFormM"));
    setWindowTitle(QStringLiteral("縦書き計算器"));
    resize(975, 629);
    move(168, 306);
    screen_ = new BoardScreen(jk_, this);
    setCentralWidget(screen_->widget());
    clearTimer_ = new QTimer(this);
    clearTimer_->setSingleShot(true);
    connect(clearTimer_, &QTimer::timeout, this, &TKokubanFormM::keepDrawingClear);
    connect(screen_, &BoardScreen::drawingMoved, clearTimer_, qOverload<>(&QTimer::start));
    panel_ = new SettingsPanel(jk_, screen_->view());
    panel_->hide();

    const QString exeDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    std::string readPath;
    if (settingsDir.isEmpty()) {
        readPath = settingsReadPath(exeDir.toStdString());
        iniWritePath_ = QString::fromStdString(settingsFilePath(exeDir.toStdString()));
    } else {
        iniWritePath_ = QDir(settingsDir).filePath(QString::fromLatin1(kSettingsFileName));
        readPath = iniWritePath_.toStdString();
    }
    const bool firstStart = !QFileInfo::exists(QString::fromStdString(readPath));
    IniRead(jk_, readPath);

    // Board font and metrics; the entry starts on a cleared board.
    keisan_ = std::make_unique<Keisan>(jk_, screen_->loadFont());
    runs_ = new RunQueue(jk_, *keisan_, *screen_, comp_, this);
    screen_->attach(*keisan_, runs_->player());
    screen_->setRelayout([this](const QtMetrics& m) {
        runs_->settle();
        apply(keisan_->relayout(m));
    });
    const WindowActions actions = windowActions();
    controls_ =
        new ConditionsControl(jk_, *keisan_, *panel_, comp_, *screen_, *runs_, actions, this);
    keys_ = new KeyCommands(jk_, *keisan_, *runs_, *screen_, *controls_, comp_, actions, this);
    buildMenus();
    connect(runs_, &RunQueue::beep, this, &TKokubanFormM::beep);
    connect(keys_, &KeyCommands::beep, this, &TKokubanFormM::beep);
    connect(keys_, &KeyCommands::speechSettingsRequested, this, &TKokubanFormM::VoiceK1Click);
    connect(runs_, &RunQueue::stepModeEnded, controls_, &ConditionsControl::showStepMode);
    connect(controls_, &ConditionsControl::panelMarked, this, [this](bool on) {
        actPanel->setChecked(on);
        actPanelCtx->setChecked(on);
    });
    connect(controls_, &ConditionsControl::stepMarked, this, [this](bool on) {
        actStepView->setChecked(on);
        actStepCtx->setChecked(on);
    });
    connect(controls_, &ConditionsControl::trailingZerosMarked, this, [this](bool kake, bool wari) {
        actMatsubiKake->setChecked(kake);
        actMatsubiWari->setChecked(wari);
    });

    if (jk_.PANELFLAG == 1) panel_->ensureBuilt();
    panel_->setVisible(jk_.PANELFLAG == 1);
    jk_.HARUFA = jk_.PANELFLAG == 1 ? 65 : 0;
    // Both panel menu items show whether the panel is there.
    actPanel->setChecked(jk_.PANELFLAG == 1);
    actPanelCtx->setChecked(jk_.PANELFLAG == 1);

    jk_.PNTDSPFLAG00 = jk_.POINTMAX;
    controls_->showPointMax();
    if (jk_.FONTSIZE < 10) jk_.FONTSIZE = 10;
    actJk1st->setChecked(jk_.JK1ST_FLAG != 0);

    // Window bounds from the settings (WIDTH and HEIGHT are the outer frame),
    // brought onto the screens whatever numbers the file holds.
    QRect bounds = frameOnScreen(jk_.LEFT, jk_.TOP, jk_.WIDTH, jk_.HEIGHT, QSize(200, 150));
    if (firstStart && QGuiApplication::primaryScreen()) {
        // No settings yet: the program's own default size, on the screen.
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        bounds.setSize(QSize(840, 780).boundedTo(avail.size()));
        bounds.moveLeft(
            std::clamp(bounds.left(), avail.left(), avail.right() + 1 - bounds.width()));
        bounds.moveTop(std::clamp(bounds.top(), avail.top(), avail.bottom() + 1 - bounds.height()));
    }
    move(bounds.topLeft());
    resizeFrame(bounds.size());
    PrevTop = LastPaintTop = y();
    PrevLeft = LastPaintLeft = x();
    PrevHeight = height();
    PrevWidth = width();
    JoukenTop = y() + 230;
    JoukenLeft = x() + width() - 270;

    // The window always opens in the blackboard scheme.
    jk_.DSP_CL_TYPE = 0;
    screen_->setScheme(0);

    connect(screen_->view(), &BoardView::painted, this, &TKokubanFormM::afterPaint);
    connect(screen_->view(), &BoardView::leftClicked, this, [this] {
        if (drawing()) player().stepGo();
    });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    jk_.CUR_SEC = std::clamp(jk_.CUR_SEC, 200, 1000);
    Timer1->setInterval(jk_.CUR_SEC);
    connect(Timer1, &QTimer::timeout, this, &TKokubanFormM::Timer1Timer);
    Timer1->start();

    panel_->showStrokeDelay(jk_.ENZANSPEED);
    panel_->showShou0();
    // Every toggle shows the stored state from the start.
    controls_->panelCaptions();
    actStepView->setChecked(false);
    actStepCtx->setChecked(false);
    panel_->showWordProblem(false);
    panel_->showQuotientMode();
    apply(keisan_->R1Click());

    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive) AppActivated = 1;
    });
    qApp->installEventFilter(this);
    screen_->view()->setFocus();
    setUpCompanions();
    controls_->showStepMode();
}

TKokubanFormM::~TKokubanFormM() {
    qApp->removeEventFilter(this);
}

WindowActions TKokubanFormM::windowActions() {
    return {[this](const EntryReport& r) { apply(r); },
            [this](const QString& text, const QString& title) { message(text, title); },
            [this](const std::string& text) { Yomiage(text); }, [this](int k) { injectKey(k); }};
}

// The companion windows: built when first shown, in their fixed order.
void TKokubanFormM::setUpCompanions() {
    speak = [this](const std::string& reading) { speech::Hanasu(voice(), jk_, reading); };
    speech::TVoiceSetForm::levelsInRange(jk_);  // as the speech settings show them
    FormParts parts{this,
                    keisan_.get(),
                    &comp_,
                    controls_,
                    screen_,
                    keys_,
                    windowActions(),
                    [this] { Contents1Click(); },
                    [this] { VoiceK1Click(); },
                    &jk_};
    const CompanionLinks links = linkCompanions(parts);
    auto created = [this, parts](Companion c, ToolWindow* w) {
        if (c == Companion::Conditions)
            wireConditions(parts, *static_cast<dialogs::TJoukenSetFormM*>(w));
        if (c == Companion::Keypad) wireKeypad(parts, *static_cast<dialogs::TInputFormM*>(w));
        // The input windows take no input while a drawing plays.
        if (c == Companion::Keypad || c == Companion::Conditions)
            w->setEnabled(runs_->inputWindowsOn());
        if (c == Companion::WordProblem) {
            wireWordProblem(parts, *static_cast<dialogs::TSenExForm*>(w));
            controls_->readExamples();  // the patterns live there
        }
        if (c == Companion::Face)
            connect(w, &ToolWindow::activated, this, [this, w] {
                w->move(w->x(), y() + jk_.HARUFA);
                if (AppActivated == 1 && !isActiveWindow()) activateWindow();
            });
    };
    comp_.setUp(CompanionParts{this, &jk_, links, &FaceBitmaps, [this] { return &voice(); },
                               std::move(created)});
}

// What the first paint of the board does not show is built once it is on the
// screen, or before the first input or closing if that comes first: the
// conditions dialog (its boxes are the switches of the keys and panels; it
// sets them from the conditions, rounding stored at the ones place starting
// at the first decimal place there), the word-problem window (it holds the
// examples), the keypad, the face and the speech engine; then the step
// group's look and the step box.
void TKokubanFormM::finishStartUp() {
    if (started_) return;
    started_ = true;
    comp_.conditions();
    comp_.wordProblem();
    comp_.conditions()->FormCreate(JoukenTop + jk_.HARUFA, JoukenLeft);
    comp_.keypad();
    loadFaceBitmaps();
    comp_.face();
    controls_->showStepMode();
    controls_->showStepMode();
    voice();
    emit startedUp();
}

// The speech engine, started when first needed. Reading aloud: failures are
// told once, after the key that asked.
speech::SpeechEngine& TKokubanFormM::voice() {
    if (!SpVoice1) {
        SpVoice1 = std::make_unique<speech::SpeechEngine>();
        connect(
            SpVoice1.get(), &speech::SpeechEngine::failure, this,
            [this](const QString& m) {
                message(m, speech::speechTitle(), hissan::Message::Warning);
            },
            Qt::QueuedConnection);
    }
    return *SpVoice1;
}

void TKokubanFormM::buildMenus() {
    auto add = [this](QMenu* m, const QString& text, std::function<void()> slot,
                      const QKeySequence& key = QKeySequence()) {
        QAction* a = m->addAction(text);
        if (!key.isEmpty()) a->setShortcut(key);
        if (slot) connect(a, &QAction::triggered, this, std::move(slot));
        return a;
    };
    auto own = [this](void (TKokubanFormM::*slot)()) { return [this, slot] { (this->*slot)(); }; };
    auto ctl = [this](void (ConditionsControl::*slot)()) {
        return [this, slot] { (controls_->*slot)(); };
    };
    auto key = [this](int k) { return [this, k] { injectKey(k); }; };
    auto toggle = [this](dialogs::TJoukenSetFormM::Switch s) {
        return [this, s] { comp_.conditions()->toggle(s); };
    };
    using Switch = dialogs::TJoukenSetFormM::Switch;
    QMenuBar* bar = menuBar();

    QMenu* f = bar->addMenu(QStringLiteral("黒板(&F)"));
    add(f, QStringLiteral("印刷(&P)..."), own(&TKokubanFormM::Print1Click));
    add(f, QStringLiteral("ページ設定(&R)..."), nullptr)->setEnabled(false);
    add(f, QStringLiteral("画面を前の大きさにする(&R)"), own(&TKokubanFormM::ResClick));
    add(f, QStringLiteral("画面の最大化(&Z)"), own(&TKokubanFormM::Z1Click));
    add(f, QStringLiteral("画面既定値サイズ(&D)"), own(&TKokubanFormM::N3Click),
        QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V));
    connect(add(f, QStringLiteral("文章題の例を読み込む(&E)"), nullptr), &QAction::triggered, this,
            [this] {
                // Asked for: a file that is there but cannot be used is told at once.
                controls_->readExamples();
                if (comp_.wordProblem()->readFault().kind > dialogs::BunExFault::Missing)
                    message(comp_.wordProblem()->noStoriesMessage(), QStringLiteral("★☆お願い☆★"));
            });
    add(f, QStringLiteral("プリントを作る(&W)..."), [this] {
        // Its choices are kept in a file of their own beside the settings.
        const QString ini =
            QFileInfo(iniWritePath_).dir().filePath(QStringLiteral("worksheet.ini"));
        auto* form = new dialogs::SheetForm(jk_, ini, this);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
    });
    add(f, QStringLiteral("終了(&X)"), [this] { close(); });

    QMenu* c = bar->addMenu(QStringLiteral("条件設定（&C)"));
    actPanel = add(c, QStringLiteral("設定パネルを表示/非表示(&P)"),
                   ctl(&ConditionsControl::togglePanel), QKeySequence(Qt::CTRL | Qt::Key_P));
    actPanel->setCheckable(true);
    add(c, QStringLiteral("条件設定ボックスを表示/非表示(&J)"), own(&TKokubanFormM::SokudoClick));
    add(c, QStringLiteral("読み上げ設定(&K)"), own(&TKokubanFormM::VoiceK1Click));
    add(c, QStringLiteral("ステップ表示/非表示(&Y)"), key(Qt::Key_Y));
    actJk1st = add(c, QStringLiteral("条件ボックスを起動時に表示"), own(&TKokubanFormM::N12Click),
                   QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J));
    actJk1st->setCheckable(true);
    add(c, QStringLiteral("詳細設定(&A)"), nullptr)->setEnabled(false);

    QMenu* v = bar->addMenu(QStringLiteral("表示(&V)"));
    add(v, QStringLiteral("フォント(&F)"), [this] { screen_->chooseFont(this); });
    add(v, QStringLiteral("フォント大きく(&O)"), [this] { screen_->bigger(); });
    add(v, QStringLiteral("フォント小さく(&T)"), [this] { screen_->smaller(); });
    actStepView = add(v, QStringLiteral("ステップ表示(&Y)"), key(Qt::Key_Y));
    actStepView->setCheckable(true);
    add(v, QStringLiteral("「ピコタ」の表示(&S)"), own(&TKokubanFormM::Button1Click),
        QKeySequence(Qt::Key_F4));
    actFullScreen = add(v, QStringLiteral("全画面表示(&U)"), own(&TKokubanFormM::toggleFullScreen),
                        QKeySequence(Qt::Key_F11));
    actFullScreen->setShortcutContext(Qt::ApplicationShortcut);
    actFullScreen->setCheckable(true);
    actFullScreen->setObjectName(QStringLiteral("actFullScreen"));
    // The same command as in the board menu; one accelerator serves both.
    QAction* n3 = add(v, QStringLiteral("既定値サイズ(&D)"), own(&TKokubanFormM::N3Click),
                      QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V));
    n3->setShortcutContext(Qt::WidgetShortcut);

    QMenu* h = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    add(h, QStringLiteral("ヘルプ(&C)"), own(&TKokubanFormM::Contents1Click),
        QKeySequence(Qt::Key_F1));
    QAction* actHomePage = add(h, QStringLiteral("ヘルプ[HomePage] (&W)"), [] {
        QDesktopServices::openUrl(QUrl(QString::fromUtf8(kHomePageUrl)));
    });
    actHomePage->setEnabled(kHomePageUrl[0] != '\0');
    add(h, QStringLiteral("バージョン情報(&A)"), own(&TKokubanFormM::About1Click));
    add(h, QStringLiteral("Test(&Q)"), nullptr, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_T))
        ->setVisible(false);

    // Context menu of the board. Accelerators it shares with the menu bar are
    // shown here but served by the menu bar's items.
    contextMenu = new QMenu(this);
    actPanelCtx = add(contextMenu, QStringLiteral("設定パネルを表示する(&P)"),
                      ctl(&ConditionsControl::togglePanel), QKeySequence(Qt::CTRL | Qt::Key_P));
    actPanelCtx->setShortcutContext(Qt::WidgetShortcut);
    actPanelCtx->setCheckable(true);
    add(contextMenu, QStringLiteral("条件設定ボックスを開く(&J)"), key(Qt::Key_J));
    actJk1stCtx = add(contextMenu, QStringLiteral("起動時にボックスを開く(&Z)"),
                      own(&TKokubanFormM::N12Click), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J));
    actJk1stCtx->setShortcutContext(Qt::WidgetShortcut);
    actJk1stCtx->setCheckable(true);
    actJk1stCtx->setChecked(true);
    add(contextMenu, QStringLiteral("読み上げ設定(&K)"), own(&TKokubanFormM::VoiceK1Click));
    actStepCtx = add(contextMenu, QStringLiteral("ステップ計算(&Y)"), key(Qt::Key_Y));
    actStepCtx->setCheckable(true);
    actMatsubiKake = add(contextMenu, QStringLiteral("末尾の０を分けてかけ算"),
                         toggle(Switch::MatsubiKake), QKeySequence(Qt::CTRL | Qt::Key_K));
    actMatsubiKake->setCheckable(true);
    actMatsubiWari = add(contextMenu, QStringLiteral("末尾の０を消して割り算"),
                         toggle(Switch::MatsubiWari), QKeySequence(Qt::CTRL | Qt::Key_W));
    actMatsubiWari->setCheckable(true);
    QAction* g =
        add(contextMenu, QStringLiteral("文章題の例を示す"),
            ctl(&ConditionsControl::toggleWordProblem), QKeySequence(Qt::CTRL | Qt::Key_G));
    // Accelerators only of the context menu work while the menu is closed.
    for (QAction* a : {actMatsubiKake, actMatsubiWari, g}) addAction(a);
    QAction* bubunWa = new QAction(this);
    bubunWa->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_B));
    connect(bubunWa, &QAction::triggered, this, toggle(Switch::BubunWa));
    addAction(bubunWa);
    // A checkable item flips its own mark before its handler runs; the
    // handlers set the marks from the state, so they are the only source.
    for (QAction* a : {actPanel, actPanelCtx, actJk1st, actJk1stCtx, actStepView, actStepCtx,
                       actMatsubiKake, actMatsubiWari})
        a->setCheckable(true);
    // The names the tests find the items by.
    const std::pair<QAction*, const char*> names[] = {{actPanel, "actPanel"},
                                                      {actPanelCtx, "actPanelCtx"},
                                                      {actJk1st, "actJk1st"},
                                                      {actJk1stCtx, "actJk1stCtx"},
                                                      {actStepView, "actStepView"},
                                                      {actStepCtx, "actStepCtx"},
                                                      {actMatsubiKake, "actMatsubiKake"},
                                                      {actMatsubiWari, "actMatsubiWari"},
                                                      {actHomePage, "actHomePage"}};
    for (const auto& [a, name] : names) a->setObjectName(QLatin1String(name));
}

void TKokubanFormM::contextMenuEvent(QContextMenuEvent* e) {
    contextMenu->popup(e->globalPos());
}

// The face pictures, read when the face is first shown; a set that is only
// partly there, or a picture that cannot be read, is reported once.
void TKokubanFormM::loadFaceBitmaps() {
    if (facesLoaded_) return;
    facesLoaded_ = true;
    if (!speech::TFaceS::loadPictures(FaceBitmaps))
        message(QStringLiteral("Could not load or display bitmap"), QString());
}

// ---- what an entry operation reported ---------------------------------------------------

void TKokubanFormM::apply(const EntryReport& report) {
    for (const EntryEvent& e : report.events) {
        switch (e.kind) {
            case EntryEvent::Board:
                runs_->boardChanged(e.change);
                break;
            case EntryEvent::ShowMessage:
                showMessage(e.message);
                break;
            case EntryEvent::Speak:
                Yomiage(e.text);
                break;
            case EntryEvent::InputWindows:
                runs_->setInputWindowsEnabled(e.on);
                break;
            case EntryEvent::WordProblem:
                controls_->wordProblem(e.answerMode);
                break;
            case EntryEvent::WordProblemRedraw:
                controls_->redrawWordProblem();
                break;
            case EntryEvent::Hint:
                screen_->view()->showHint(QString::fromStdString(e.text));
                break;
            case EntryEvent::Busy:
                // Laying out takes a moment only; the board shows the busy
                // cursor for as long as the drawing plays instead (RunQueue).
                break;
        }
    }
}

void TKokubanFormM::showMessage(const hissan::Message& m) {
    if (formHooks().message) {
        formHooks().message(m);
    } else {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        switch (m.icon) {
            case hissan::Message::Information:
                icon = QMessageBox::Information;
                break;
            case hissan::Message::Warning:
            case hissan::Message::Exclamation:
                icon = QMessageBox::Warning;
                break;
            case hissan::Message::NoIcon:
                break;
        }
        QMessageBox box(icon, QString::fromStdString(m.title), QString::fromStdString(m.text),
                        QMessageBox::Ok, this);
        box.exec();
    }
    if (m.then == hissan::Message::ClearAndRestore) {
        injectKey(Qt::Key_Delete);
        injectKey(Qt::Key_Insert);
    }
}

void TKokubanFormM::message(const QString& text, const QString& title, hissan::Message::Icon icon) {
    showMessage(
        hissan::Message{text.toStdString(), title.toStdString(), icon, hissan::Message::Nothing});
}

void TKokubanFormM::beep() {
    if (formHooks().beep)
        formHooks().beep();
    else
        QApplication::beep();
}

void TKokubanFormM::Yomiage(const std::string& text) {
    if (speak && !text.empty()) speak(speech::YomiHenkan(text));
}

// After every paint: a window that moved since the last paint takes the
// keypad along.
void TKokubanFormM::afterPaint() {
    if (y() != LastPaintTop || x() != LastPaintLeft) {
        ToolWindow* pad = comp_.built(Companion::Keypad);
        if (pad && !(pad->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
            pad->move(x() + width() - 200, y() + height() - 220);
        LastPaintTop = y();
        LastPaintLeft = x();
    }
    // The companion windows and a hidden settings panel are built once the
    // board is on the screen: after the event loop has been idle once, so
    // that the painted board reaches the display first.
    if (!painted_) {
        painted_ = true;
        QTimer::singleShot(kAfterFirstPaintMs, this, [this] {
            finishStartUp();
            panel_->ensureBuilt();
        });
    }
    emit boardPainted();
}

bool TKokubanFormM::eventFilter(QObject* o, QEvent* e) {
    // The settings panel spans the board's width.
    if (o == screen_->view() && e->type() == QEvent::Resize && panel_) {
        panel_->fitWidth(width());
        screen_->updateScrollRange();
        return false;
    }
    // A control of the panel changed its size (the division group's texts
    // follow the quotient mode): the panel takes the width it needs now.
    if (o == panel_ && e->type() == QEvent::LayoutRequest) {
        panel_->fitWidth(width());
        return false;
    }
    // Input waits for the end of start-up.
    const QEvent::Type t = e->type();
    if (t == QEvent::KeyPress || t == QEvent::ShortcutOverride || t == QEvent::MouseButtonPress)
        finishStartUp();
    // A tool window that shows stands clear of the drawing.
    if (t == QEvent::Show && qobject_cast<ToolWindow*>(o)) clearTimer_->start();
    if (t != QEvent::KeyPress) return false;
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || w->window() != this || qobject_cast<QMenuBar*>(w)) return false;
    auto* ke = static_cast<QKeyEvent*>(e);
    // The window sees every key before its controls. The quotient-places box
    // still steps with its arrows when it has the focus.
    const bool arrowForEdit1 = panel_->isPlacesBox(w) && !(ke->modifiers() & ~Qt::KeypadModifier) &&
                               (ke->key() == Qt::Key_Up || ke->key() == Qt::Key_Down);
    keyPressed(ke->key(), ke->modifiers(), ke->nativeScanCode());
    return !arrowForEdit1;
}

void TKokubanFormM::injectKey(int key, Qt::KeyboardModifiers mods) {
    QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, key, mods));
}

// ---- the window's frame -------------------------------------------------------------

void TKokubanFormM::placeCompanions() {
    if (Closing == 1) return;
    if (panel_) panel_->fitWidth(width());
    comp_.place(QRect(x(), y(), width(), height()));
    clearTimer_->start();
}

// The shown tool windows stand clear of the drawing and of each other, on
// the screen of the board.
void TKokubanFormM::keepDrawingClear() {
    if (Closing == 1 || !isVisible()) return;
    const QScreen* s = QWidget::screen();
    if (!s) return;
    const std::vector<QRect> stuck = comp_.keepClear(
        screen_->drawnArea(true), isFullScreen() ? s->geometry() : s->availableGeometry());
    // A window with no place beside the drawing keeps the board below its
    // top edge free: the drawing scrolls in what is left.
    int top = INT_MAX;
    for (const QRect& r : stuck) top = std::min(top, r.top());
    screen_->reserveBelow(top);
}

// Full screen shows the finished calculation filling the board; the tool
// windows go until they are needed, and those it put away come back after.
void TKokubanFormM::toggleFullScreen() {
    if (!isFullScreen()) {
        wasMaximised_ = isMaximized();
        comp_.putAway();
        showFullScreen();
    } else if (wasMaximised_) {
        showMaximized();
    } else {
        showNormal();
    }
    screen_->setFit(isFullScreen());
    if (!isFullScreen()) comp_.bringBack();
    actFullScreen->setChecked(isFullScreen());
    clearTimer_->start();
}

void TKokubanFormM::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    fitPendingFrame();
    placeCompanions();
}

void TKokubanFormM::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    fitPendingFrame();
    if (screen_) screen_->updateScrollRange();
    placeCompanions();
}

void TKokubanFormM::resizeFrame(QSize frame) {
    pendingFrame_ = frame;
    fitPendingFrame();
}

void TKokubanFormM::fitPendingFrame() {
    if (!pendingFrame_.isValid()) return;
    const QSize frame = pendingFrame_;
    const QSize margins = frameGeometry().size() - size();
    // Until a frame shows, the size is the frame's; once it does, the window
    // gives the frame its room and the size is settled.
    if (margins.width() > 0 || margins.height() > 0) pendingFrame_ = QSize();
    if (size() != frame - margins) resize(frame - margins);
}

void TKokubanFormM::Timer1Timer() {
    BlinkTick += 1;
    if (BlinkTick > kBlinkPeriod) {
        if (auto* f = static_cast<speech::TFaceS*>(comp_.built(Companion::Face))) {
            if (!comp_.displaced(Companion::Face)) f->move(f->x(), y() + jk_.HARUFA + 65);
            const int viseme = static_cast<int>(QRandomGenerator::global()->generate() % 11);
            f->MabatakiDsp(100, [f, viseme] { f->VisemeDsp(viseme); });
        }
        BlinkTick = 0;
    }
    // The keyboard belongs to the board once the keypad is left.
    const auto* pad = static_cast<const dialogs::TInputFormM*>(comp_.built(Companion::Keypad));
    if (pad && pad->KeypadActive == 0) {
        QWidget* active = QApplication::activeWindow();
        for (Companion c : {Companion::Keypad, Companion::Face, Companion::Conditions})
            if (active && active == comp_.built(c)) activateWindow();
    }
    // The block cursor blinks.
    screen_->blinkCursor();
}

void TKokubanFormM::closeEvent(QCloseEvent* e) {
    finishStartUp();
    Closing = 1;
    finishDrawing();
    jk_.LEFT = x();
    jk_.TOP = y();
    jk_.HEIGHT = frameGeometry().height();
    jk_.WIDTH = frameGeometry().width();
    // Manual stepping is kept for the next start only with automatic stepping.
    if (jk_.AUTOSTEP == 0) jk_.STEPFLAG = 0;
    const ToolWindow* senEx = comp_.built(Companion::WordProblem);
    const int bLeft = senEx ? senEx->x() : jk_.BLEFT;
    const int bTop = senEx ? senEx->y() : jk_.BTOP;
    IniWrite(jk_, iniWritePath_.toStdString(), bLeft, bTop);
    Timer1->stop();
    // The companions go with the board.
    for (ToolWindow* w : comp_.all())
        if (w) w->hide();
    e->accept();
}

void TKokubanFormM::N3Click() {
    showNormal();
    move(100, 100);
    resizeFrame(QSize(840, 780));
}

void TKokubanFormM::Z1Click() {
    PrevTop = y();
    PrevLeft = x();
    PrevHeight = height();
    PrevWidth = width();
    showMaximized();
}

void TKokubanFormM::ResClick() {
    showNormal();
    move(PrevLeft, PrevTop);
    resize(PrevWidth, PrevHeight);
}

void TKokubanFormM::SokudoClick() {
    if (!comp_.shown(Companion::Conditions)) {
        comp_.conditions()->show();
        screen_->home();
    }
}

void TKokubanFormM::VoiceK1Click() {
    comp_.voice()->setVisible(!comp_.shown(Companion::Voice));
}

void TKokubanFormM::N12Click() {
    jk_.JK1ST_FLAG = 1 - jk_.JK1ST_FLAG;
    actJk1st->setChecked(jk_.JK1ST_FLAG != 0);
    actJk1stCtx->setChecked(jk_.JK1ST_FLAG != 0);
}

void TKokubanFormM::Button1Click() {
    jk_.PKTIMAGE = 1 - jk_.PKTIMAGE;
    loadFaceBitmaps();
    comp_.face()->setVisible(jk_.PKTIMAGE == 1);
}

void TKokubanFormM::Print1Click() {
    screen_->setScroll(0);
    if (keisan_->ShikiNyuryoku().empty()) {
        message(QStringLiteral("印刷する式がありません。"), QStringLiteral("お知らせ"));
        return;
    }
    finishDrawing();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("筆算"));  // "Print to File" offers 筆算.pdf
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() != QDialog::Accepted) return;
    if (!printOn(printer))
        message(QStringLiteral("印刷を始められませんでした。"), QStringLiteral("お知らせ"),
                hissan::Message::Warning);
}

bool TKokubanFormM::printOn(QPrinter& printer) {
    QtMetrics pm(screen_->metrics().family(), &printer);
    const hissan::DisplayList ops = keisan_->printLayout(pm);
    QPainter p;
    if (!p.begin(&printer)) return false;
    // A calculation wider or taller than the paper is printed smaller, whole,
    // keeping a margin on the right and at the bottom as wide as the left one.
    const QRect ink = opsExtent(ops);
    const QSizeF room = printer.pageRect(QPrinter::DevicePixel).size();
    const double fit = std::min({1.0, room.width() / std::max(1, ink.right() + ink.left() / 2),
                                 room.height() / std::max(1, ink.bottom() + ink.left() / 2)});
    if (fit < 1.0) p.scale(fit, fit);
    RenderOptions opt;
    opt.scheme = 1;
    opt.stepMode = jk_.STEPFLAG == 1;
    renderOps(p, ops, pm, opt);
    p.end();
    keisan_->rememberExpression();
    return true;
}

void TKokubanFormM::Contents1Click() {
    const QString help = dataFile(QString::fromLatin1(kHelpFile));
    if (help.isEmpty())
        message(QFileInfo(QString::fromLatin1(kHelpFile)).fileName() +
                    QStringLiteral(" が見あたりません。"),
                QStringLiteral("お知らせ"));
    else
        dialogs::HelpWindow::showFile(this, help);
}

void TKokubanFormM::About1Click() {
    (new dialogs::TAboutFormR(this))->open();
}

}  // namespace app
