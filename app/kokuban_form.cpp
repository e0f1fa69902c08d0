// The main window: construction, menus, carrying out the key map's commands, the
// timer, the companion windows and closing. The board view and the settings
// panel are in kokuban_panel.cpp.
#include "app/kokuban_form.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QUrl>
#include <QWheelEvent>

#include "app/form_links.h"
#include "app/settings.h"
#include "core/yomi.h"
#include "dialogs/about_form.h"
#include "dialogs/help_window.h"
#include "dialogs/sheet_form.h"
#include "ui/data_paths.h"

namespace app {

FormHooks& formHooks() {
    static FormHooks hooks;
    return hooks;
}

const std::array<const char*, 9> TKokubanFormM::kFaceNames = {"FACE00",  "MOUTH_A",  "MOUTH_I",
                                                              "MOUTH_U", "MOUTH_E",  "MOUTH_O",
                                                              "MOUTH_N", "EYE_OPEN", "EYE_CLOSE"};

namespace {

const QColor kGreen(0, 128, 0);

// The address opened by "ヘルプ[HomePage] (&W)"; the item is disabled while
// no home page is known.
const char* const kHomePageUrl = "";

// The program's help, looked for among its data files.
const char* const kHelpFile = "help/hissan-help.html";

QString u8(const std::string& s) {
    return QString::fromStdString(s);
}

// The minus key of the main keyboard: "=" with or without Shift. Shift turns
// it into "_" on a US layout and "=" on a Japanese one; X11 reports scan code
// 20 for it on either.
bool isMinusKey(int key, Qt::KeyboardModifiers mods, quint32 scan) {
    if (mods & Qt::KeypadModifier) return false;
    if (key == Qt::Key_Minus) return true;
    const bool shift = mods & Qt::ShiftModifier;
    if (shift && (key == Qt::Key_Underscore || key == Qt::Key_Equal)) return true;
    return scan == 20 && QGuiApplication::platformName() == QLatin1String("xcb");
}

// A Qt key in the board's key names.
core::Key boardKey(int key, Qt::KeyboardModifiers mods, quint32 scan) {
    using core::Key;
    if (isMinusKey(key, mods, scan)) return Key::Minus;
    auto from = [](int key, int first, Key firstKey) {
        return static_cast<Key>(static_cast<int>(firstKey) + (key - first));
    };
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return from(key, Qt::Key_0, Key::Digit0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return from(key, Qt::Key_A, Key::A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return from(key, Qt::Key_F1, Key::F1);
    static const std::pair<int, Key> kNamed[] = {
        {Qt::Key_Period, Key::Period},     {Qt::Key_Comma, Key::Comma},
        {Qt::Key_Plus, Key::Plus},         {Qt::Key_Minus, Key::Minus},  // the numeric pad's
        {Qt::Key_Asterisk, Key::Asterisk}, {Qt::Key_Slash, Key::Slash},
        {Qt::Key_Return, Key::Enter},      {Qt::Key_Enter, Key::Enter},
        {Qt::Key_Escape, Key::Escape},     {Qt::Key_Backspace, Key::Backspace},
        {Qt::Key_Delete, Key::Delete},     {Qt::Key_Insert, Key::Insert},
        {Qt::Key_Home, Key::Home},         {Qt::Key_End, Key::End},
        {Qt::Key_Left, Key::Left},         {Qt::Key_Up, Key::Up},
        {Qt::Key_Right, Key::Right},       {Qt::Key_Down, Key::Down},
        {Qt::Key_PageUp, Key::PageUp},     {Qt::Key_PageDown, Key::PageDown},
    };
    for (const auto& [qt, named] : kNamed)
        if (key == qt) return named;
    return Key::Other;
}

unsigned boardMods(Qt::KeyboardModifiers mods) {
    unsigned m = core::Mods::None;
    if (mods & Qt::ShiftModifier) m |= core::Mods::Shift;
    if (mods & Qt::ControlModifier) m |= core::Mods::Ctrl;
    if (mods & Qt::AltModifier) m |= core::Mods::Alt;
    if (mods & Qt::KeypadModifier) m |= core::Mods::Keypad;
    if (mods & (Qt::MetaModifier | Qt::GroupSwitchModifier)) m |= core::Mods::Other;
    return m;
}

}  // namespace

// ---- construction ------------------------------------------------------------------

TKokubanFormM::TKokubanFormM(const QString& settingsDir, QWidget* parent) : QMainWindow(parent) {
    // The form: caption, green, the board with the form's scroll bar; the
    // settings panel starts hidden.
    setObjectName(QStringLiteral("KokubanFormM"));
    setWindowTitle(QStringLiteral("縦書き計算器"));
    resize(975, 629);
    move(168, 306);
    auto* central = new QWidget(this);
    central->setAutoFillBackground(true);
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, kGreen);
    central->setPalette(pal);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    board_ = new BoardView(central);
    vbar_ = new QScrollBar(Qt::Vertical, central);
    vbar_->setFocusPolicy(Qt::NoFocus);
    row->addWidget(board_, 1);
    row->addWidget(vbar_);
    setCentralWidget(central);
    buildMenus();
    panel_ = new SettingsPanel(jk_, board_);
    panel_->hide();

    ExeDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    std::string readPath;
    if (settingsDir.isEmpty()) {
        readPath = settingsReadPath(ExeDir.toStdString());
        iniWritePath_ = QString::fromStdString(settingsFilePath(ExeDir.toStdString()));
    } else {
        iniWritePath_ = QDir(settingsDir).filePath(QString::fromLatin1(kSettingsFileName));
        readPath = iniWritePath_.toStdString();
    }
    const bool firstStart = !QFileInfo::exists(QString::fromStdString(readPath));
    IniRead(jk_, readPath);

    if (jk_.PANELFLAG == 1) panel_->ensureBuilt();
    panel_->setVisible(jk_.PANELFLAG == 1);
    jk_.HARUFA = jk_.PANELFLAG == 1 ? 65 : 0;
    // Both panel menu items show whether the panel is there.
    actPanel->setChecked(jk_.PANELFLAG == 1);
    actPanelCtx->setChecked(jk_.PANELFLAG == 1);

    jk_.PNTDSPFLAG00 = jk_.POINTMAX;
    showPointMax();

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
    IroSet(0);

    // Board font and metrics; the entry starts on a cleared board.
    metrics_ = std::make_unique<QtMetrics>(boardFontFamily(jk_.FONTNAME));
    keisan_ = std::make_unique<Keisan>(jk_, *metrics_);
    player_ = std::make_unique<Player>(
        jk_, [this]() -> const hissan::DisplayList& { return keisan_->ops(); });
    connect(player_.get(), &Player::progressed, board_, qOverload<>(&QWidget::update));
    connect(player_.get(), &Player::finished, this, &TKokubanFormM::onRunFinished);
    connect(player_.get(), &Player::beep, this, &TKokubanFormM::beep);
    connect(player_.get(), &Player::stepModeEnded, this, &TKokubanFormM::stepEscaped);
    board_->setFrameSource([this] { return frame(); });
    connect(board_, &BoardView::painted, this, &TKokubanFormM::afterPaint);
    connect(board_, &BoardView::leftClicked, this, [this] {
        if (drawing()) player_->stepGo();
    });
    // A wheel notch scrolls as far as over any Qt scroll bar (the keys keep
    // their small steps); only a finished calculation scrolls.
    connect(board_, &BoardView::wheelTurned, this, [this](QWheelEvent* e) {
        if (keisan_->NyuryokuKa() == 0) QCoreApplication::sendEvent(vbar_, e);
    });

    const QScreen* screen = QGuiApplication::primaryScreen();
    PageH = static_cast<int>((screen ? screen->logicalDotsPerInchY() : 96.0) * 11.7);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->stop();
    jk_.CUR_SEC = std::clamp(jk_.CUR_SEC, 200, 1000);
    Timer1->setInterval(jk_.CUR_SEC);
    connect(Timer1, &QTimer::timeout, this, &TKokubanFormM::Timer1Timer);
    Timer1->start();

    panel_->showStrokeDelay(jk_.ENZANSPEED);

    vbar_->setSingleStep(5);
    vbar_->setFixedWidth(25);
    updateScrollRange();
    vbar_->setValue(0);
    vbar_->show();
    connect(vbar_, &QScrollBar::valueChanged, this, [this](int v) {
        scrollY_ = v;
        board_->update();
    });

    panel_->showShou0();

    // Every toggle shows the stored state from the start.
    panelCaptions();

    loadFaceBitmaps();

    BlinkTick = 0;
    actStepView->setChecked(false);
    actStepCtx->setChecked(false);

    Closing = 0;

    ReibunOn = 0;
    panel_->showWordProblem(false);
    panel_->showQuotientMode();
    wirePanel();
    apply(keisan_->R1Click());

    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive) AppActivated = 1;
    });
    qApp->installEventFilter(this);
    board_->setFocus();

    // The companion windows, in their fixed order after the main window.
    // Reading aloud: failures are told once, after the key that asked.
    SpVoice1 = std::make_unique<speech::SpeechEngine>();
    connect(
        SpVoice1.get(), &speech::SpeechEngine::failure, this,
        [this](const QString& m) { message(m, speech::speechTitle(), hissan::Message::Warning); },
        Qt::QueuedConnection);
    speak = [this](const std::string& reading) { speech::Hanasu(*SpVoice1, jk_, reading); };
    // The companion windows: built when first shown, in their fixed order;
    // at start the conditions dialog (its boxes are the switches of the keys
    // and panels), the word-problem window (it holds the examples), the
    // keypad and the face.
    speech::TVoiceSetForm::levelsInRange(jk_);  // as the speech settings show them
    const CompanionLinks links = linkCompanions(*this);
    comp_.setUp(CompanionParts{
        this, &jk_, links, &FaceBitmaps, SpVoice1.get(), [this](Companion c, ToolWindow* w) {
            if (c == Companion::Conditions)
                wireConditions(*this, *static_cast<dialogs::TJoukenSetFormM*>(w));
            if (c == Companion::Keypad) wireKeypad(*this, *static_cast<dialogs::TInputFormM*>(w));
            if (c == Companion::WordProblem) {
                wireWordProblem(*this, *static_cast<dialogs::TSenExForm*>(w));
                ReiGet();  // the patterns live there
            }
            if (c == Companion::Face)
                connect(w, &ToolWindow::activated, this, [this, w] {
                    w->move(w->x(), y() + jk_.HARUFA);
                    if (AppActivated == 1 && !isActiveWindow()) activateWindow();
                });
        }});
    // The conditions dialog sets its controls from the conditions (rounding
    // stored at the ones place starts at the first decimal place there);
    // then the step group's look and the step box.
    comp_.conditions();
    comp_.wordProblem();
    comp_.conditions()->FormCreate(JoukenTop + jk_.HARUFA, JoukenLeft);
    comp_.keypad();
    comp_.face();
    GB4Set();
    GB4Set();
}

TKokubanFormM::~TKokubanFormM() {
    qApp->removeEventFilter(this);
    // The player may still hold a timer into the board's list.
    if (player_) player_->disconnect(this);
}

void TKokubanFormM::buildMenus() {
    auto add = [this](QMenu* m, const QString& text, void (TKokubanFormM::*slot)(),
                      const QKeySequence& key = QKeySequence()) {
        QAction* a = m->addAction(text);
        if (!key.isEmpty()) a->setShortcut(key);
        if (slot) connect(a, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
        return a;
    };
    QMenuBar* bar = menuBar();

    QMenu* f = bar->addMenu(QStringLiteral("黒板(&F)"));
    add(f, QStringLiteral("印刷(&P)..."), &TKokubanFormM::Print1Click);
    add(f, QStringLiteral("ページ設定(&R)..."), nullptr)->setEnabled(false);
    add(f, QStringLiteral("画面を前の大きさにする(&R)"), &TKokubanFormM::ResClick);
    add(f, QStringLiteral("画面の最大化(&Z)"), &TKokubanFormM::Z1Click);
    add(f, QStringLiteral("画面既定値サイズ(&D)"), &TKokubanFormM::N3Click,
        QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V));
    connect(add(f, QStringLiteral("文章題の例を読み込む(&E)"), nullptr), &QAction::triggered, this,
            [this] {
                // Asked for: a file that is there but cannot be used is told at once.
                ReiGet();
                if (comp_.wordProblem()->readFault().kind > dialogs::BunExFault::Missing)
                    message(comp_.wordProblem()->noStoriesMessage(), QStringLiteral("★☆お願い☆★"));
            });
    connect(add(f, QStringLiteral("プリントを作る(&W)..."), nullptr), &QAction::triggered, this,
            [this] {
                // Its choices are kept in a file of their own beside the settings.
                const QString ini =
                    QFileInfo(iniWritePath_).dir().filePath(QStringLiteral("worksheet.ini"));
                auto* form = new dialogs::SheetForm(jk_, ini, this);
                form->setAttribute(Qt::WA_DeleteOnClose);
                form->show();
            });
    add(f, QStringLiteral("終了(&X)"), &TKokubanFormM::Exit1Click);

    QMenu* c = bar->addMenu(QStringLiteral("条件設定（&C)"));
    actPanel = add(c, QStringLiteral("設定パネルを表示/非表示(&P)"), &TKokubanFormM::P1Click,
                   QKeySequence(Qt::CTRL | Qt::Key_P));
    actPanel->setCheckable(true);
    add(c, QStringLiteral("条件設定ボックスを表示/非表示(&J)"), &TKokubanFormM::SokudoClick);
    add(c, QStringLiteral("読み上げ設定(&K)"), &TKokubanFormM::VoiceK1Click);
    add(c, QStringLiteral("ステップ表示/非表示(&Y)"), &TKokubanFormM::Y1Click);
    actJk1st = add(c, QStringLiteral("条件ボックスを起動時に表示"), &TKokubanFormM::N12Click,
                   QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J));
    actJk1st->setCheckable(true);
    add(c, QStringLiteral("詳細設定(&A)"), nullptr)->setEnabled(false);

    QMenu* v = bar->addMenu(QStringLiteral("表示(&V)"));
    add(v, QStringLiteral("フォント(&F)"), &TKokubanFormM::Font1Click);
    add(v, QStringLiteral("フォント大きく(&O)"), &TKokubanFormM::MojiBigButtonClick);
    add(v, QStringLiteral("フォント小さく(&T)"), &TKokubanFormM::MojiSmallButtonClick);
    actStepView = add(v, QStringLiteral("ステップ表示(&Y)"), &TKokubanFormM::Y1Click);
    actStepView->setCheckable(true);
    add(v, QStringLiteral("「ピコタ」の表示(&S)"), &TKokubanFormM::Button1Click,
        QKeySequence(Qt::Key_F4));
    // The same command as in the board menu; one accelerator serves both.
    QAction* n3 = add(v, QStringLiteral("既定値サイズ(&D)"), &TKokubanFormM::N3Click,
                      QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V));
    n3->setShortcutContext(Qt::WidgetShortcut);

    QMenu* h = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    add(h, QStringLiteral("ヘルプ(&C)"), &TKokubanFormM::Contents1Click, QKeySequence(Qt::Key_F1));
    actHomePage = add(h, QStringLiteral("ヘルプ[HomePage] (&W)"), &TKokubanFormM::HomePage1Click);
    actHomePage->setEnabled(kHomePageUrl[0] != '\0');
    add(h, QStringLiteral("バージョン情報(&A)"), &TKokubanFormM::About1Click);
    add(h, QStringLiteral("Test(&Q)"), nullptr, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_T))
        ->setVisible(false);

    // Context menu of the board. Accelerators it shares with the menu bar are
    // shown here but served by the menu bar's items.
    contextMenu = new QMenu(this);
    actPanelCtx = add(contextMenu, QStringLiteral("設定パネルを表示する(&P)"),
                      &TKokubanFormM::P1Click, QKeySequence(Qt::CTRL | Qt::Key_P));
    actPanelCtx->setShortcutContext(Qt::WidgetShortcut);
    actPanelCtx->setCheckable(true);
    add(contextMenu, QStringLiteral("条件設定ボックスを開く(&J)"), &TKokubanFormM::J2Click);
    actJk1stCtx = add(contextMenu, QStringLiteral("起動時にボックスを開く(&Z)"),
                      &TKokubanFormM::N12Click, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J));
    actJk1stCtx->setShortcutContext(Qt::WidgetShortcut);
    actJk1stCtx->setCheckable(true);
    actJk1stCtx->setChecked(true);
    add(contextMenu, QStringLiteral("読み上げ設定(&K)"), &TKokubanFormM::VoiceK1Click);
    actStepCtx = add(contextMenu, QStringLiteral("ステップ計算(&Y)"), &TKokubanFormM::Y1Click);
    actStepCtx->setCheckable(true);
    actMatsubiKake = add(contextMenu, QStringLiteral("末尾の０を分けてかけ算"),
                         &TKokubanFormM::N11Click, QKeySequence(Qt::CTRL | Qt::Key_K));
    actMatsubiKake->setCheckable(true);
    actMatsubiWari = add(contextMenu, QStringLiteral("末尾の０を消して割り算"),
                         &TKokubanFormM::N15Click, QKeySequence(Qt::CTRL | Qt::Key_W));
    actMatsubiWari->setCheckable(true);
    QAction* g = add(contextMenu, QStringLiteral("文章題の例を示す"), &TKokubanFormM::Panel10Click,
                     QKeySequence(Qt::CTRL | Qt::Key_G));
    // Accelerators only of the context menu work while the menu is closed.
    for (QAction* a : {actMatsubiKake, actMatsubiWari, g}) addAction(a);
    QAction* bubunWa = new QAction(this);
    bubunWa->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_B));
    connect(bubunWa, &QAction::triggered, this,
            [this] { comp_.conditions()->toggle(dialogs::TJoukenSetFormM::Switch::BubunWa); });
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

// The face pictures come with the program's resources as :/face/<name>.svg
// (or .png, .bmp). A program built without them shows the plain window; a set that
// is only partly there, or a picture that cannot be read, is reported once.
void TKokubanFormM::loadFaceBitmaps() {
    speech::faceResources();
    auto resourceOf = [](const char* name) {
        for (const char* ext : {".svg", ".png", ".bmp"}) {
            const QString path =
                QStringLiteral(":/face/") + QLatin1String(name) + QLatin1String(ext);
            if (QFile::exists(path)) return path;
        }
        return QString();
    };
    bool any = false;
    for (const char* name : kFaceNames)
        if (!resourceOf(name).isEmpty()) any = true;
    if (!any) return;
    for (size_t i = 0; i < kFaceNames.size(); ++i) {
        const QString path = resourceOf(kFaceNames[i]);
        if (path.isEmpty() || !FaceBitmaps[i].load(path)) {
            FaceBitmaps[i] = QPixmap();
            message(QStringLiteral("Could not load or display bitmap"), QString());
            return;
        }
    }
}

// ---- what an entry operation reported ---------------------------------------------------

void TKokubanFormM::apply(const EntryReport& report) {
    for (const EntryEvent& e : report.events) {
        switch (e.kind) {
            case EntryEvent::Board:
                boardChanged(e.change);
                break;
            case EntryEvent::ShowMessage:
                showMessage(e.message);
                break;
            case EntryEvent::Speak:
                Yomiage(e.text);
                break;
            case EntryEvent::InputWindows:
                setInputWindowsEnabled(e.on);
                break;
            case EntryEvent::WordProblem:
                wordProblem(e.answerMode);
                break;
            case EntryEvent::WordProblemRedraw:
                wordProblemRedraw();
                break;
            case EntryEvent::Busy:
                // Laying out takes a moment only; the board shows the busy
                // cursor for as long as the drawing plays instead (see
                // boardChanged / onRunFinished).
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
        QMessageBox box(icon, u8(m.title), u8(m.text), QMessageBox::Ok, this);
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

// The keypad and the conditions dialog take no input while a calculation is
// drawn; they come back when the drawing is over.
void TKokubanFormM::setInputWindowsEnabled(bool on) {
    inputWindowsWanted_ = on;
    enableInputWindows(on && !drawing());
}

void TKokubanFormM::enableInputWindows(bool on) {
    for (Companion c : {Companion::Keypad, Companion::Conditions})
        if (ToolWindow* w = comp_.built(c)) w->setEnabled(on);
}

void TKokubanFormM::wordProblem(int answerMode) {
    // Only with stories to tell; the story comes once the calculation is drawn.
    if (ReibunOn != 1 || ReibunAri != 1) return;
    AmariMode = answerMode;
    whenIdle([this] {
        comp_.wordProblem()->show();
        comp_.wordProblem()->update();
    });
}

void TKokubanFormM::wordProblemRedraw() {
    if (ToolWindow* w = comp_.built(Companion::WordProblem); ReibunOn == 1 && w) w->update();
}

void TKokubanFormM::boardChanged(BoardChange change) {
    switch (change) {
        case BoardChange::Cleared:
            if (drawing()) player_->finish();
            setScroll(0);
            break;
        case BoardChange::Typed:
            break;
        case BoardChange::Run:
            if (!busyCursor_) {
                board_->setCursor(Qt::BusyCursor);
                busyCursor_ = true;
            }
            enableInputWindows(false);
            player_->start(keisan_->runStart());
            break;
        case BoardChange::Relaid:
            if (drawing()) player_->finish();
            break;
    }
    updateScrollRange();
    board_->update();
}

void TKokubanFormM::onRunFinished() {
    if (busyCursor_) {
        board_->unsetCursor();
        busyCursor_ = false;
    }
    enableInputWindows(inputWindowsWanted_);
    board_->update();
    if (!deferred_.empty()) QTimer::singleShot(0, this, &TKokubanFormM::drainDeferred);
}

void TKokubanFormM::drainDeferred() {
    while (!drawing() && !deferred_.empty()) {
        auto action = std::move(deferred_.front());
        deferred_.pop_front();
        action();
    }
}

void TKokubanFormM::whenIdle(std::function<void()> action) {
    if (drawing())
        deferred_.push_back(std::move(action));
    else
        action();
}

void TKokubanFormM::finishDrawing() {
    for (int guard = 0; guard < 1000 && (drawing() || !deferred_.empty()); ++guard) {
        player_->finish();
        drainDeferred();
    }
}

// ---- keyboard ---------------------------------------------------------------------

bool TKokubanFormM::eventFilter(QObject* o, QEvent* e) {
    // The settings panel spans the board's width.
    if (o == board_ && e->type() == QEvent::Resize && panel_) {
        panel_->fitWidth(width());
        updateScrollRange();
        return false;
    }
    // A control of the panel changed its size (the division group's texts
    // follow the quotient mode): the panel takes the width it needs now.
    if (o == panel_ && e->type() == QEvent::LayoutRequest) {
        panel_->fitWidth(width());
        return false;
    }
    if (e->type() != QEvent::KeyPress) return false;
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

void TKokubanFormM::keyPressed(int qtKey, Qt::KeyboardModifiers qtMods, quint32 scan) {
    const core::Key key = boardKey(qtKey, qtMods, scan);
    const unsigned mods = boardMods(qtMods);
    if (drawing()) {
        switch (core::whileDrawing(key, mods, keyState())) {
            case core::WhileDrawing::StepEscape:
                player_->stepEscape();
                return;
            case core::WhileDrawing::StepGo:
                player_->stepGo();
                return;
            case core::WhileDrawing::Later:
                deferred_.push_back([this, key, mods] { FormKeyDown(key, mods); });
                return;
            case core::WhileDrawing::AtOnce:
                break;
        }
    }
    FormKeyDown(key, mods);
}

core::KeyState TKokubanFormM::keyState() const {
    return {.drawing = drawing(),
            .manualStep = jk_.STEPFLAG == 1,
            .typing = keisan_->NyuryokuKa() == 1,
            .speechOn = jk_.YOMIAGEFLAG2 > 0,
            .roundingAtOnePlace = jk_.SHOU_ITI == 1 && jk_.POINTMAX == 1};
}

void TKokubanFormM::FormKeyDown(core::Key key, unsigned mods) {
    Keisan& k = *keisan_;
    using C = core::Command;
    using Switch = dialogs::TJoukenSetFormM::Switch;
    switch (const C command = core::commandFor(key, mods, keyState())) {
        case C::Nothing:
            return;
        case C::EndStepping:
            jk_.STEPFLAG = 0;
            jk_.StrokeDelay = 0;
            stepEscaped();
            return;
        case C::MorePlaces:
        case C::FewerPlaces:
            jk_.POINTMAX = std::clamp(jk_.POINTMAX + (command == C::MorePlaces ? 1 : -1), 0, 10);
            showPointMax();
            comp_.conditions()->showPointMax();
            if (jk_.RENDOFLAG == 1) apply(k.ReCalcButtonClick());
            return;
        case C::SlowerStrokes:
        case C::FasterStrokes:
            jk_.StrokeDelay =
                std::clamp(jk_.StrokeDelay + (command == C::SlowerStrokes ? 1 : -1), 0, 100);
            showStrokeDelay();
            return;
        case C::DeleteCalculation:
            apply(k.VK_DeleteKey());
            comp_.hide(Companion::WordProblem);
            return;
        case C::ToggleStepMode:
            StepToggle();
            return;
        case C::ReadAloud:
            SpeedButton8Click();
            return;
        case C::Beep:
            beep();
            return;
        case C::ChooseFont:
            Font1Click();
            return;
        case C::SpeechSettings:
            VoiceK1Click();
            return;
        case C::ToggleDecimalLine:
            comp_.conditions()->toggle(Switch::SyouPtLn);
            return;
        case C::ToggleRecalc:
            Panel8Click();
            return;
        case C::ToggleQQ:
            comp_.conditions()->toggle(Switch::QQ);
            return;
        case C::SwitchColours: {
            const int item = IroChanged == 0 ? 1 : 1 - jk_.DSP_CL_TYPE;
            panel_->selectScheme(item, false);
            RadioGroup1Click();
            return;
        }
        case C::Recalculate:
            apply(k.ReCalcButtonClick());
            return;
        case C::ToggleLineBreak:
            Panel4Click();
            return;
        case C::ToggleWordProblem:
            Panel10Click();
            return;
        case C::BiggerFont:
            MojiBigButtonClick();
            return;
        case C::SmallerFont:
            MojiSmallButtonClick();
            return;
        case C::ToggleCarries:
            comp_.conditions()->toggle(Switch::Kuriagari);
            return;
        case C::ToggleBorrows:
            comp_.conditions()->toggle(Switch::Kurisagari);
            return;
        case C::RestoreExpression:
            apply(k.Hukkatu());
            return;
        case C::Home:
            HomeDsp();
            return;
        case C::ToggleConditions:
            if (comp_.shown(Companion::Conditions)) {
                comp_.hide(Companion::Conditions);
                repaintBoard();
            } else {
                comp_.conditions()->show();
            }
            return;
        case C::ToggleKeypad:
            if (!comp_.keypad()->isMinimised()) {
                comp_.keypad()->minimise();
            } else {
                comp_.keypad()->restoreNormal();
                if (k.ShikiNyuryoku().empty()) {
                    apply(k.reopenEmpty());
                    repaintBoard();
                }
            }
            return;
        case C::ScrollUp:
            ScrollUp();
            return;
        case C::ScrollDown:
            ScrollDown();
            return;
        case C::TypePi:
            apply(k.TypePi());
            return;
        case C::BackSpace:
            apply(k.BackSpace());
            return;
        case C::TypeDigit:
            apply(k.MojiInput(core::digitOf(key)));
            return;
        case C::TypePoint:
            apply(k.MojiInput('.'));
            return;
        case C::TypePlus:
            apply(k.MojiInput('+'));
            return;
        case C::TypeMinus:
            apply(k.MojiInput('-'));
            return;
        case C::TypeTimes:
            apply(k.MojiInput('*'));
            return;
        case C::TypeDivide:
            apply(k.MojiInput('/'));
            return;
        case C::TypeEquals:
            apply(k.MojiInput('='));
            return;
    }
}

// Stepping ended (Escape, or Y / End during a run): the step box goes, the
// step panel shows "なし" and the dialog "無", while the rest is drawn.
void TKokubanFormM::stepEscaped() {
    GB4Set();
}

// ---- start-up and lifecycle ----------------------------------------------------------

void TKokubanFormM::FormResize() {
    if (Closing == 1) return;
    if (panel_) panel_->fitWidth(width());
    comp_.place(QRect(x(), y(), width(), height()));
}

void TKokubanFormM::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    fitPendingFrame();
    FormResize();
}

void TKokubanFormM::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    fitPendingFrame();
    updateScrollRange();
    FormResize();
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
    // The face blinks and moves its mouth on every fourth tick.
    BlinkTick += 1;
    if (BlinkTick > BlinkPeriod) {
        if (auto* f = static_cast<speech::TFaceS*>(comp_.built(Companion::Face))) {
            f->move(f->x(), y() + jk_.HARUFA + 65);
            const int viseme = static_cast<int>(QRandomGenerator::global()->generate() % 11);
            f->MabatakiDsp(100, [f, viseme] { f->VisemeDsp(viseme); });
        }
        BlinkTick = 0;
    }
    // The keyboard belongs to the board once the keypad is left.
    if (comp_.keypad()->KeypadActive == 0) {
        QWidget* active = QApplication::activeWindow();
        for (Companion c : {Companion::Keypad, Companion::Face, Companion::Conditions})
            if (active && active == comp_.built(c)) activateWindow();
    }
    // The block cursor blinks; with input disabled it is erased once and
    // then stays off.
    const bool wasOn = keisan_->cursorOn() == 1;
    if (!keisan_->blinkCursor()) return;
    cursorShown_ = wasOn;
    board_->update(cursorRect().translated(0, -scrollY_).adjusted(-1, -1, 1, 1));
}

void TKokubanFormM::closeEvent(QCloseEvent* e) {
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

void TKokubanFormM::Exit1Click() {
    close();
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
        HomeDsp();
    }
}

void TKokubanFormM::VoiceK1Click() {
    comp_.voice()->setVisible(!comp_.shown(Companion::Voice));
}

void TKokubanFormM::Y1Click() {
    injectKey(Qt::Key_Y);
}

void TKokubanFormM::J2Click() {
    injectKey(Qt::Key_J);
}

void TKokubanFormM::N12Click() {
    jk_.JK1ST_FLAG = 1 - jk_.JK1ST_FLAG;
    actJk1st->setChecked(jk_.JK1ST_FLAG != 0);
    actJk1stCtx->setChecked(jk_.JK1ST_FLAG != 0);
}

void TKokubanFormM::N11Click() {
    comp_.conditions()->toggle(dialogs::TJoukenSetFormM::Switch::MatsubiKake);
}

void TKokubanFormM::N15Click() {
    comp_.conditions()->toggle(dialogs::TJoukenSetFormM::Switch::MatsubiWari);
}

void TKokubanFormM::Button1Click() {
    jk_.PKTIMAGE = 1 - jk_.PKTIMAGE;
    PktImgDsp();
}

void TKokubanFormM::PktImgDsp() {
    comp_.face()->setVisible(jk_.PKTIMAGE == 1);
}

void TKokubanFormM::ReiGet() {
    ReibunAri = comp_.wordProblem()->ReiGet(dialogs::bunExPath()) == 1 ? 1 : 0;
}

void TKokubanFormM::Print1Click() {
    setScroll(0);
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
    QtMetrics pm(metrics_->family(), &printer);
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

void TKokubanFormM::HomePage1Click() {
    if (kHomePageUrl[0] != '\0') QDesktopServices::openUrl(QUrl(QString::fromUtf8(kHomePageUrl)));
}

void TKokubanFormM::About1Click() {
    (new dialogs::TAboutFormR(this))->open();
}

}  // namespace app
