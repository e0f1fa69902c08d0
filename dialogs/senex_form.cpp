#include "dialogs/senex_form.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>
#include <QTimer>

#include "ui/data_paths.h"

// The picture is compiled into the program's static library; its resources
// are registered by hand.
static void initSenexResources() {
    Q_INIT_RESOURCE(senex);
}

namespace dialogs {

namespace {

constexpr int kClientW = 811;
constexpr int kClientH = 342;
// The picture's place; the expression and the check run to its left.
const QRect kPicture(663, 202, 140, 100);
constexpr int kMargin = 8;

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

QString utf8(const std::string& s) {
    QString t = QString::fromStdString(s);
    // A line break kept at the end of an answer sentence is not drawn.
    t.remove(QLatin1Char('\n'));
    t.remove(QLatin1Char('\r'));
    return t;
}

// Draws `text` with the top of its line at y, as the window's positions are
// given, in `pointSize` points. A text wider than the room before `right` is
// drawn smaller until it fits: a long number never runs off the window or
// under the picture.
void drawText(QPainter& p, int x, int y, const QString& text, int pointSize, const QColor& colour,
              bool bold = false, bool underline = false, int right = kClientW - kMargin) {
    if (text.isEmpty()) return;
    int size = pointSize;
    QFont f = TSenExForm::textFont(size, bold, underline);
    while (size > 6 && QFontMetrics(f).horizontalAdvance(text) > right - x)
        f = TSenExForm::textFont(--size, bold, underline);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(x, y + QFontMetrics(f).ascent(), text);
}

}  // namespace

QStringList bunExDirs() {
    QStringList dirs = app::dataDirs();
    dirs << QDir::currentPath();
    dirs.removeDuplicates();
    return dirs;
}

QString bunExPath() {
    const QString name = QString::fromLatin1(kBunExFileName);
    for (const QString& dir : bunExDirs()) {
        const QFileInfo f(QDir(dir).filePath(name));
        if (f.exists()) return f.absoluteFilePath();
    }
    return {};
}

QFont TSenExForm::textFont(int pointSize, bool bold, bool underline) {
    // A proportional Japanese face, as the stories are set in books.
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const char* name : {"IPAPGothic", "Noto Sans CJK JP"})
            if (families.contains(QLatin1String(name))) return QString::fromLatin1(name);
        return QString();
    }();
    QFont f(family);
    f.setPointSize(std::max(1, pointSize));
    f.setBold(bold);
    f.setUnderline(underline);
    return f;
}

TSenExForm::TSenExForm(QWidget* owner, SenExHost* host)
    : ToolWindow(owner, QStringLiteral("文章題の例文"), QSize(kClientW, kClientH), true),
      host_(host) {
    setObjectName(QStringLiteral("SenExForm"));
    setFixedSize(kClientW, kClientH);

    initSenexResources();
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(kPicture);
    Image1->setAlignment(Qt::AlignCenter);
    QSvgRenderer svg(QStringLiteral(":/senex/senex_picture.svg"));
    if (svg.isValid()) {
        QPixmap pm(kPicture.size() * devicePixelRatioF());
        pm.setDevicePixelRatio(devicePixelRatioF());
        pm.fill(Qt::transparent);
        QPainter pp(&pm);
        svg.render(&pp, QRectF(QPointF(0, 0), QSizeF(kPicture.size())));
        pp.end();
        Image1->setPixmap(pm);
    }

    StaticText1 = new QLabel(QStringLiteral("考え方："), this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setStyleSheet(QStringLiteral(
        "QLabel { color: red; background: white; border: 1px solid #707070; padding: 1px 3px; }"));
    StaticText1->move(36, 180);
    setLabel(StaticText1->text(), 16);
    StaticText1->raise();
}

int TSenExForm::ReiGet(const QString& path) {
    faultPath_ = path;
    if (path.isEmpty()) {
        fault_ = BunExFault{BunExFault::Missing};
        return -1;
    }
    return dialogs::ReiGet(table, QFile::encodeName(path).toStdString(), &fault_);
}

QString TSenExForm::noStoriesMessage() const {
    const QString missing = QStringLiteral(
        "文章題の例文ファイル<>がありません。\nご確認をお願いします。\n"
        "なくても文章例がないだけです。");
    QString why;
    switch (fault_.kind) {
        case BunExFault::None:
        case BunExFault::Missing:
            return missing;
        case BunExFault::NotAFile:
            why = QStringLiteral("ふつうのファイルではありません（フォルダーなど）。");
            break;
        case BunExFault::TooLarge:
            why = QStringLiteral("大きすぎます（%1KB までです）。").arg(kBunExMaxSize / 1024);
            break;
        case BunExFault::Unreadable:
            why = QStringLiteral("読み取れません（読む許可がないなど）。");
            break;
        case BunExFault::NotShiftJis:
            why = QStringLiteral(
                      "%1行目から、文字コードが Shift-JIS（または UTF-8）では"
                      "ありません。\nShift-JIS で保存し直してください。")
                      .arg(fault_.line);
            break;
    }
    return QStringLiteral(
               "文章題の例文ファイル<%1>を読めませんでした。\n%2\n%3\n\n"
               "探したフォルダー：\n%4\n\nなくても文章例がないだけです。")
        .arg(QString::fromLatin1(kBunExFileName), QDir::toNativeSeparators(faultPath_), why,
             bunExDirs().join(QLatin1Char('\n')));
}

void TSenExForm::setLabel(const QString& text, int pointSize) {
    // The label grows with its text, at most to the window's right edge.
    const int room = kClientW - kMargin - StaticText1->x() - 10;
    int size = pointSize;
    QFont f = textFont(size, true);
    while (size > 6 && QFontMetrics(f).horizontalAdvance(text) > room) f = textFont(--size, true);
    if (StaticText1->text() != text) StaticText1->setText(text);
    if (StaticText1->font() != f) StaticText1->setFont(f);
    StaticText1->adjustSize();
}

void TSenExForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    ReibunDsp(p);
}

void TSenExForm::ReibunDsp(QPainter& p) {
    const ReibunInput in = host_->reibunInput();
    if (in.ReibunOn == 0) {
        karaDsp(p);
        return;
    }
    shown_ = ReibunCompose(table, in, EnzanIndex);
    ReibunType = shown_.type;
    drawn_ = true;
    // The title in one fixed style, whatever was drawn before it.
    drawText(p, 30, 10, utf8(shown_.title), 18, kBlue);
    drawText(p, 30, 60, QStringLiteral("[問題]"), 20, kRed, true);
    drawText(p, 130, 60, utf8(shown_.bun1), 20, Qt::black);
    drawText(p, 80, 100, utf8(shown_.bun2), 20, Qt::black);
    drawText(p, 80, 140, utf8(shown_.bun3), shown_.bun3Size, Qt::black);
    setLabel(utf8(shown_.label), shown_.labelSize);
    const int besidePicture = kPicture.left() - kMargin;
    drawText(p, 30, 225, QStringLiteral("［式］"), 20, kRed);
    drawText(p, 90, 225, utf8(shown_.expression), shown_.expressionSize, kBlue, false, false,
             besidePicture);
    drawText(p, 100, shown_.checkY, utf8(shown_.check), 16, Qt::black, true, false, besidePicture);
    drawText(p, 30, 294, QStringLiteral("［答］"), 20, kRed, true);
    drawText(p, 90, 294, utf8(shown_.answer), shown_.answerSize, kBlue, true, true);
    // The keyboard goes on on the board (only taken from this window, never
    // from another program while the window is merely repainted).
    QTimer::singleShot(0, this, [this] {
        if (isActiveWindow()) emit boardFocusRequested();
    });
}

void TSenExForm::karaDsp(QPainter& p) {
    // The story goes; the title and the two headings of the last example stay.
    if (drawn_) {
        drawText(p, 30, 10, utf8(shown_.title), 18, kBlue);
        drawText(p, 30, 60, QStringLiteral("[問題]"), 20, kRed, true);
        drawText(p, 30, 294, QStringLiteral("［答］"), 20, kRed, true);
    }
    setLabel(QStringLiteral("考え方:") + QString(49, QLatin1Char(' ')), 16);
}

void TSenExForm::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Delete) {
        emit eraseRequested();
        hide();
        return;
    }
    emit keyTyped(e->key(), e->modifiers(), e->nativeScanCode());
}

}  // namespace dialogs
