// The About box: the program's name and version, a licence line and the
// mascot's face, drawn for this program.
#pragma once

#include <QDialog>

namespace dialogs {

class TAboutFormR : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutFormR(QWidget* parent = nullptr);

    // The program's version, as the build gave it.
    static QString version();
    // The mascot's face at `size` x `size` pixels.
    static QImage picture(int size);
};

}  // namespace dialogs
