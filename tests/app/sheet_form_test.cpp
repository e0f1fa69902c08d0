// The worksheet window: choices change the sheet and its preview, a choice
// no problem meets is said in the program's words and nothing is saved, the
// saved PDF is the sheet, and the choices are there again next time.
#include "dialogs/sheet_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>

namespace {

// Pixels of the preview that are not white: the page's ink.
int ink(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) != qRgb(255, 255, 255);
    return n;
}

int pdfPages(const QByteArray& pdf) {
    return int(pdf.count("/Type /Page\n")) + int(pdf.count("/Type /Page ")) +
           int(pdf.count("/Type /Page/"));
}

TEST(SheetForm, ChoicesMakeTheSheetItsPreviewAndItsPdfAndAreRemembered) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("worksheet.ini"));
    {
        dialogs::SheetForm form({}, ini);
        ASSERT_TRUE(form.rebuild()) << form.message().toStdString();
        const int plainInk = ink(form.preview());
        EXPECT_GT(plainInk, 1000);  // a page is drawn

        form.patternBox()->setEditText(QStringLiteral("ddd/d"));
        form.remainderBox()->setCurrentIndex(1);  // あり
        form.countBox()->setValue(8);
        form.colsBox()->setValue(2);
        form.rowsBox()->setValue(2);
        form.numberingBox()->setCurrentIndex(1);
        form.squaresBox()->setChecked(true);
        form.answersBox()->setChecked(true);
        form.titleBox()->setText(QStringLiteral("わり算"));
        ASSERT_TRUE(form.rebuild()) << form.message().toStdString();
        EXPECT_EQ(form.pageCount(), 4);  // 2 pages of problems, 2 of answers
        const std::vector<std::string> exprs = form.expressions();
        ASSERT_EQ(exprs.size(), 8u);
        for (const std::string& e : exprs) {
            const int a = std::stoi(e.substr(0, 3)), b = std::stoi(e.substr(4, 1));
            EXPECT_EQ(e.size(), 6u) << e;  // ddd/d=
            EXPECT_NE(a % b, 0) << e << " leaves no remainder";
        }

        const QString pdf = dir.filePath(QStringLiteral("わり算.pdf"));
        ASSERT_TRUE(form.save(pdf)) << form.message().toStdString();
        QFile f(pdf);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_TRUE(bytes.startsWith("%PDF-"));
        EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
        EXPECT_EQ(pdfPages(bytes), 4);

        // A choice no problem meets: said by name; nothing is saved.
        form.patternBox()->setEditText(QStringLiteral("dd+dd"));
        ASSERT_FALSE(form.rebuild());
        EXPECT_NE(form.message().indexOf(QStringLiteral("あまり")), -1)
            << form.message().toStdString();
        const QString none = dir.filePath(QStringLiteral("none.pdf"));
        EXPECT_FALSE(form.save(none));
        EXPECT_FALSE(QFile::exists(none));
        form.patternBox()->setEditText(QStringLiteral("9d+9d"));
        form.remainderBox()->setCurrentIndex(0);
        form.carryBox()->setCurrentIndex(2);  // なし
        ASSERT_FALSE(form.rebuild());
        EXPECT_NE(form.message().indexOf(QStringLiteral("繰り上がり")), -1)
            << form.message().toStdString();
        form.patternBox()->setEditText(QStringLiteral("dd*d"));
        form.carryBox()->setCurrentIndex(0);
        ASSERT_TRUE(form.rebuild());

        // A file that cannot be written is said so, and nothing is left behind.
        EXPECT_FALSE(form.save(dir.filePath(QStringLiteral("no/such/folder/x.pdf"))));
        EXPECT_FALSE(form.message().isEmpty());
        form.close();
    }
    // Opened again: the last choices.
    dialogs::SheetForm again({}, ini);
    EXPECT_EQ(again.patternBox()->currentText().right(4), QStringLiteral("dd*d"));
    EXPECT_EQ(again.countBox()->value(), 8);
    EXPECT_EQ(again.colsBox()->value(), 2);
    EXPECT_EQ(again.numberingBox()->currentIndex(), 1);
    EXPECT_TRUE(again.squaresBox()->isChecked());
    EXPECT_EQ(again.titleBox()->text(), QStringLiteral("わり算"));
}

}  // namespace
