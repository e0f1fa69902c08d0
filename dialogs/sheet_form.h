// The window that makes a worksheet without a terminal: the kind of problems
// (a pattern of digits and what their working must show), the page (how
// many across and down, squares, numbering, title), a preview of the first
// page that follows every change, and saving as PDF or printing. The choices
// are remembered in a settings file of their own beside the program's.
#pragma once

#include <QDialog>
#include <QImage>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "core/worksheet_pattern.h"
#include "hissan/jouken.h"
#include "ui/worksheet.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace dialogs {

class SheetForm : public QDialog {
    Q_OBJECT
  public:
    // `jk`: the board's conditions the problems are worked with;
    // `settingsFile`: where the choices are kept (created when missing).
    SheetForm(const hissan::TJouken& jk, QString settingsFile, QWidget* parent = nullptr);
    ~SheetForm() override;

    // The sheet the choices make, laid out again now; nothing, with
    // message() saying why, when no sheet can be made of them.
    bool rebuild();
    // Writes the sheet to `file` as PDF, whole or not at all; false with
    // message() saying why.
    bool save(const QString& file);
    QString message() const;
    const QImage& preview() const { return preview_; }
    int pageCount() const;
    // The expressions of the sheet, in order.
    std::vector<std::string> expressions() const;

    // The widgets, for the window's tests.
    QComboBox* patternBox() const { return pattern_; }
    QSpinBox* countBox() const { return count_; }
    QComboBox* carryBox() const { return carry_; }
    QComboBox* remainderBox() const { return remainder_; }
    QCheckBox* squaresBox() const { return squares_; }
    QComboBox* numberingBox() const { return numbering_; }
    QCheckBox* answersBox() const { return answers_; }
    QLineEdit* titleBox() const { return title_; }
    QSpinBox* colsBox() const { return cols_; }
    QSpinBox* rowsBox() const { return rows_; }

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void saveClicked();
    void printClicked();
    void changed();
    void load();
    void store() const;
    void showPreview();

    hissan::TJouken jk_;
    QString settingsFile_;
    uint64_t seed_ = 1;

    QComboBox* pattern_;
    QSpinBox* count_;
    QSpinBox* cols_;
    QSpinBox* rows_;
    QComboBox* carry_;
    QComboBox* remainder_;
    QSpinBox* quotientDigits_;
    QCheckBox* zeroInQuotient_;
    QCheckBox* noTrivial_;
    QSpinBox* decimals_;
    QCheckBox* unique_;
    QLineEdit* title_;
    QCheckBox* squares_;
    QComboBox* numbering_;
    QComboBox* form_;
    QCheckBox* answers_;
    QLabel* previewLabel_;
    QLabel* messageLabel_;
    QPushButton* saveButton_;
    QPushButton* printButton_;
    QTimer* delay_;

    std::unique_ptr<worksheet::MeasuringPage> measure_;
    std::unique_ptr<worksheet::Sheet> sheet_;
    std::vector<std::string> expressions_;
    QImage preview_;
    QString message_;
};

}  // namespace dialogs
