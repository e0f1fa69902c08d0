#include "dialogs/sheet_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace dialogs {

namespace {

// The kinds of problems offered first; any other pattern can be typed.
struct Preset {
    const char* pattern;
    const char* name;
};
constexpr Preset kPresets[] = {
    {"dd+dd", "2けた＋2けた"},   {"ddd+ddd", "3けた＋3けた"}, {"dd-dd", "2けた－2けた"},
    {"ddd-ddd", "3けた－3けた"}, {"dd*d", "2けた×1けた"},     {"ddd*dd", "3けた×2けた"},
    {"dd/d", "2けた÷1けた"},     {"ddd/d", "3けた÷1けた"},    {"ddd/dd", "3けた÷2けた"},
    {"d.d*d.d", "小数×小数"},    {"dd.d+d.dd", "小数＋小数"},
};

QString yesNoText(int i) {
    static const char* const texts[] = {"どちらでも", "あり", "なし"};
    return QString::fromUtf8(texts[i]);
}

worksheet::Choice choiceOf(const QComboBox* box) {
    return box->currentIndex() == 1   ? worksheet::Choice::Yes
           : box->currentIndex() == 2 ? worksheet::Choice::No
                                      : worksheet::Choice::Any;
}

}  // namespace

SheetForm::SheetForm(const hissan::TJouken& jk, QString settingsFile, QWidget* parent)
    : QDialog(parent), jk_(jk), settingsFile_(std::move(settingsFile)) {
    setWindowTitle(QStringLiteral("プリントを作る"));
    // The sheet is printed in the whiteboard's colours, outside step mode.
    jk_.DSP_CL_TYPE = 1;
    jk_.STEPFLAG = 0;
    jk_.AUTOSTEP = 0;
    jk_.StrokeDelay = 0;
    jk_.YOMIAGEFLAG1 = 0;
    jk_.YOMIAGEFLAG2 = 0;

    pattern_ = new QComboBox;
    pattern_->setEditable(true);
    for (const Preset& p : kPresets)
        pattern_->addItem(
            QString::fromUtf8(p.name) + QStringLiteral("　") + QString::fromUtf8(p.pattern),
            QString::fromUtf8(p.pattern));
    pattern_->setToolTip(
        QStringLiteral("d は数字、n は0でない数字、数字はその数字：ddd*dd、d0d-dd、2d*n"));
    count_ = new QSpinBox;
    count_->setRange(1, 200);
    cols_ = new QSpinBox;
    cols_->setRange(1, 10);
    rows_ = new QSpinBox;
    rows_->setRange(1, 10);
    carry_ = new QComboBox;
    remainder_ = new QComboBox;
    for (int i = 0; i < 3; ++i) {
        carry_->addItem(yesNoText(i));
        remainder_->addItem(yesNoText(i));
    }
    quotientDigits_ = new QSpinBox;
    quotientDigits_->setRange(0, 12);
    quotientDigits_->setSpecialValueText(QStringLiteral("どれでも"));
    zeroInQuotient_ = new QCheckBox(QStringLiteral("商の途中に0が立つ"));
    noTrivial_ = new QCheckBox(QStringLiteral("×0・×1・÷1 や 0 の数を除く"));
    decimals_ = new QSpinBox;
    decimals_->setRange(-1, 10);
    decimals_->setSpecialValueText(QStringLiteral("どれでも"));
    unique_ = new QCheckBox(QStringLiteral("同じ問題を出さない"));
    title_ = new QLineEdit;
    squares_ = new QCheckBox(QStringLiteral("マス目"));
    numbering_ = new QComboBox;
    numbering_->addItems({QStringLiteral("(1) (2) (3)"), QStringLiteral("① ② ③")});
    form_ = new QComboBox;
    form_->addItems({QStringLiteral("筆算の形で"), QStringLiteral("式だけ")});
    answers_ = new QCheckBox(QStringLiteral("答えのページをつける"));

    auto* problems = new QGroupBox(QStringLiteral("問題"));
    auto* pf = new QFormLayout(problems);
    pf->addRow(QStringLiteral("問題の形"), pattern_);
    pf->addRow(QStringLiteral("問題の数"), count_);
    pf->addRow(QStringLiteral("繰り上がり・繰り下がり"), carry_);
    pf->addRow(QStringLiteral("あまり"), remainder_);
    pf->addRow(QStringLiteral("商のけた数"), quotientDigits_);
    pf->addRow(QString(), zeroInQuotient_);
    pf->addRow(QString(), noTrivial_);
    pf->addRow(QStringLiteral("答えの小数のけた数"), decimals_);
    pf->addRow(QString(), unique_);
    auto* another = new QPushButton(QStringLiteral("別の問題にする"));
    pf->addRow(QString(), another);

    auto* page = new QGroupBox(QStringLiteral("用紙"));
    auto* gf = new QFormLayout(page);
    gf->addRow(QStringLiteral("題名"), title_);
    auto* grid = new QHBoxLayout;
    grid->addWidget(new QLabel(QStringLiteral("横")));
    grid->addWidget(cols_);
    grid->addWidget(new QLabel(QStringLiteral("たて")));
    grid->addWidget(rows_);
    gf->addRow(QStringLiteral("ならべ方"), grid);
    gf->addRow(QStringLiteral("番号"), numbering_);
    gf->addRow(QStringLiteral("問題の見せ方"), form_);
    gf->addRow(QString(), squares_);
    gf->addRow(QString(), answers_);

    messageLabel_ = new QLabel;
    messageLabel_->setWordWrap(true);
    messageLabel_->setStyleSheet(QStringLiteral("color: #b00000"));
    saveButton_ = new QPushButton(QStringLiteral("保存..."));
    printButton_ = new QPushButton(QStringLiteral("印刷..."));
    auto* close = new QPushButton(QStringLiteral("閉じる"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton_);
    buttons->addWidget(printButton_);
    buttons->addWidget(close);

    auto* left = new QVBoxLayout;
    left->addWidget(problems);
    left->addWidget(page);
    left->addWidget(messageLabel_);
    left->addStretch();
    previewLabel_ = new QLabel;
    previewLabel_->setFixedSize(372, 526);  // A4 at about 45 dots per inch
    previewLabel_->setAlignment(Qt::AlignCenter);
    previewLabel_->setStyleSheet(QStringLiteral("background: #808080"));
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(previewLabel_);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(buttons);

    delay_ = new QTimer(this);
    delay_->setSingleShot(true);
    delay_->setInterval(150);
    connect(delay_, &QTimer::timeout, this, [this] {
        rebuild();
        showPreview();
    });

    load();
    for (QComboBox* box : {carry_, remainder_, numbering_, form_})
        connect(box, &QComboBox::currentIndexChanged, this, &SheetForm::changed);
    connect(pattern_, &QComboBox::currentTextChanged, this, &SheetForm::changed);
    for (QSpinBox* box : {count_, cols_, rows_, quotientDigits_, decimals_})
        connect(box, &QSpinBox::valueChanged, this, &SheetForm::changed);
    for (QCheckBox* box : {zeroInQuotient_, noTrivial_, unique_, squares_, answers_})
        connect(box, &QCheckBox::toggled, this, &SheetForm::changed);
    connect(title_, &QLineEdit::textChanged, this, &SheetForm::changed);
    connect(another, &QPushButton::clicked, this, [this] {
        seed_ = QRandomGenerator::global()->generate64();
        changed();
    });
    connect(saveButton_, &QPushButton::clicked, this, &SheetForm::saveClicked);
    connect(printButton_, &QPushButton::clicked, this, &SheetForm::printClicked);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(this, &QDialog::finished, this, [this] { store(); });
    rebuild();
    showPreview();
}

SheetForm::~SheetForm() = default;

void SheetForm::changed() {
    delay_->start();
}

bool SheetForm::rebuild() {
    delay_->stop();
    sheet_.reset();
    expressions_.clear();
    message_.clear();
    if (!measure_) measure_ = std::make_unique<worksheet::MeasuringPage>(jk_.FONTNAME);

    // A preset shows its name before the pattern; what is typed is the pattern.
    QString text = pattern_->currentText().trimmed();
    const int index = pattern_->findText(text);
    if (index >= 0) text = pattern_->itemData(index).toString();
    std::string why;
    const auto pattern = worksheet::Pattern::parse(text.toStdString(), why);
    if (!pattern) {
        message_ = QStringLiteral(
                       "問題の形「%1」が読めません。d（数字）、n（0でない数字）と数字で、"
                       "ddd*dd や d0d-dd のように書いてください。")
                       .arg(text);
    } else {
        worksheet::Choices c;
        c.carry = choiceOf(carry_);
        c.remainder = choiceOf(remainder_);
        c.quotientDigits = quotientDigits_->value();
        c.zeroInQuotient = zeroInQuotient_->isChecked();
        c.noTrivial = noTrivial_->isChecked();
        c.decimals = decimals_->value();
        c.unique = unique_->isChecked();
        c.quotientPlaces = worksheet::quotientPlaces(jk_);
        std::vector<worksheet::Calculation> calculations;
        const worksheet::Refusal r = worksheet::drawCalculations(
            *pattern, c, count_->value(), seed_, jk_, measure_->metrics(), calculations);
        if (r.kind != worksheet::Refusal::None) {
            message_ = QString::fromStdString(
                worksheet::refusalText(r, text.toStdString(), c, count_->value()));
        } else {
            for (const worksheet::Calculation& calc : calculations)
                expressions_.push_back(calc.expression);
            worksheet::Style style;
            style.problems = true;
            style.answers = answers_->isChecked();
            style.title = title_->text();
            style.squares = squares_->isChecked();
            style.circled = numbering_->currentIndex() == 1;
            style.expressionOnly = form_->currentIndex() == 1;
            sheet_ = std::make_unique<worksheet::Sheet>(
                measure_->size(), worksheet::Grid{cols_->value(), rows_->value()},
                std::move(calculations), style, measure_->metrics());
        }
    }
    messageLabel_->setText(message_);
    saveButton_->setEnabled(sheet_ != nullptr);
    printButton_->setEnabled(sheet_ != nullptr);
    return sheet_ != nullptr;
}

void SheetForm::showPreview() {
    preview_ = QImage(previewLabel_->size(), QImage::Format_RGB32);
    preview_.fill(sheet_ ? Qt::white : QColor(224, 224, 224));
    if (sheet_) {
        QPainter p(&preview_);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = preview_.width() / measure_->size().width();
        p.scale(s, s);
        sheet_->paintPage(p, 0);
    }
    previewLabel_->setPixmap(QPixmap::fromImage(preview_));
}

QString SheetForm::message() const {
    return message_;
}

int SheetForm::pageCount() const {
    return sheet_ ? sheet_->pageCount() : 0;
}

std::vector<std::string> SheetForm::expressions() const {
    return expressions_;
}

bool SheetForm::save(const QString& file) {
    if (delay_->isActive() || !sheet_) rebuild();
    if (!sheet_) return false;
    QString why;
    const QString title = title_->text().isEmpty() ? QStringLiteral("筆算") : title_->text();
    if (worksheet::writePdf(*sheet_, file, title, why)) return true;
    message_ = QStringLiteral("%1 に書き込めません。%2").arg(file, why);
    messageLabel_->setText(message_);
    return false;
}

void SheetForm::saveClicked() {
    QString file =
        QFileDialog::getSaveFileName(this, QStringLiteral("プリントを保存"),
                                     QStringLiteral("プリント.pdf"), QStringLiteral("PDF (*.pdf)"));
    if (file.isEmpty()) return;
    if (!file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) file += QStringLiteral(".pdf");
    store();
    save(file);
}

void SheetForm::printClicked() {
    if (delay_->isActive() || !sheet_) rebuild();
    if (!sheet_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setFromTo(1, sheet_->pageCount());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    store();
    QPainter p;
    if (!p.begin(&printer)) {
        message_ = QStringLiteral("印刷を始められません。");
        messageLabel_->setText(message_);
        return;
    }
    // The sheet's page is A4 at 96 dots per inch; the printer's is scaled to it.
    const double s = printer.pageRect(QPrinter::DevicePixel).width() / measure_->size().width();
    int first = 0, last = sheet_->pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange) {
        first = std::max(0, printer.fromPage() - 1);
        last = std::min(last, printer.toPage() - 1);
    }
    for (int page = first; page <= last; ++page) {
        if (page > first) printer.newPage();
        p.save();
        p.scale(s, s);
        sheet_->paintPage(p, page);
        p.restore();
    }
    p.end();
}

void SheetForm::load() {
    const QSettings ini(settingsFile_, QSettings::IniFormat);
    const QString pattern = ini.value(QStringLiteral("pattern"), QStringLiteral("dd*d")).toString();
    int index = -1;
    for (int i = 0; i < pattern_->count(); ++i)
        if (pattern_->itemData(i).toString() == pattern) index = i;
    if (index >= 0)
        pattern_->setCurrentIndex(index);
    else
        pattern_->setEditText(pattern);
    cols_->setValue(ini.value(QStringLiteral("cols"), 3).toInt());
    rows_->setValue(ini.value(QStringLiteral("rows"), 4).toInt());
    count_->setValue(ini.value(QStringLiteral("count"), 12).toInt());
    carry_->setCurrentIndex(std::clamp(ini.value(QStringLiteral("carry"), 0).toInt(), 0, 2));
    remainder_->setCurrentIndex(
        std::clamp(ini.value(QStringLiteral("remainder"), 0).toInt(), 0, 2));
    quotientDigits_->setValue(ini.value(QStringLiteral("quotientDigits"), 0).toInt());
    zeroInQuotient_->setChecked(ini.value(QStringLiteral("zeroInQuotient"), false).toBool());
    noTrivial_->setChecked(ini.value(QStringLiteral("noTrivial"), true).toBool());
    decimals_->setValue(ini.value(QStringLiteral("decimals"), -1).toInt());
    unique_->setChecked(ini.value(QStringLiteral("unique"), true).toBool());
    title_->setText(ini.value(QStringLiteral("title"), QStringLiteral("筆算の練習")).toString());
    squares_->setChecked(ini.value(QStringLiteral("squares"), true).toBool());
    numbering_->setCurrentIndex(
        std::clamp(ini.value(QStringLiteral("numbering"), 0).toInt(), 0, 1));
    form_->setCurrentIndex(std::clamp(ini.value(QStringLiteral("form"), 0).toInt(), 0, 1));
    answers_->setChecked(ini.value(QStringLiteral("answers"), true).toBool());
    seed_ = ini.value(QStringLiteral("seed"), 1).toULongLong();
}

void SheetForm::store() const {
    QSettings ini(settingsFile_, QSettings::IniFormat);
    QString text = pattern_->currentText().trimmed();
    const int index = pattern_->findText(text);
    if (index >= 0) text = pattern_->itemData(index).toString();
    ini.setValue(QStringLiteral("pattern"), text);
    ini.setValue(QStringLiteral("cols"), cols_->value());
    ini.setValue(QStringLiteral("rows"), rows_->value());
    ini.setValue(QStringLiteral("count"), count_->value());
    ini.setValue(QStringLiteral("carry"), carry_->currentIndex());
    ini.setValue(QStringLiteral("remainder"), remainder_->currentIndex());
    ini.setValue(QStringLiteral("quotientDigits"), quotientDigits_->value());
    ini.setValue(QStringLiteral("zeroInQuotient"), zeroInQuotient_->isChecked());
    ini.setValue(QStringLiteral("noTrivial"), noTrivial_->isChecked());
    ini.setValue(QStringLiteral("decimals"), decimals_->value());
    ini.setValue(QStringLiteral("unique"), unique_->isChecked());
    ini.setValue(QStringLiteral("title"), title_->text());
    ini.setValue(QStringLiteral("squares"), squares_->isChecked());
    ini.setValue(QStringLiteral("numbering"), numbering_->currentIndex());
    ini.setValue(QStringLiteral("form"), form_->currentIndex());
    ini.setValue(QStringLiteral("answers"), answers_->isChecked());
    ini.setValue(QStringLiteral("seed"), QVariant::fromValue<qulonglong>(seed_));
}

void SheetForm::closeEvent(QCloseEvent* e) {
    store();
    QDialog::closeEvent(e);
}

}  // namespace dialogs
