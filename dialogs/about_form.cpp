#include "dialogs/about_form.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#ifndef HISSAN_VERSION
#define HISSAN_VERSION "0"
#endif

namespace dialogs {

QString TAboutFormR::version() {
    return QStringLiteral(HISSAN_VERSION);
}

// A small blackboard with a column addition in chalk, and the mascot in
// front of it: a round face with big eyes, rosy cheeks and a smile.
QImage TAboutFormR::picture(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);

    // The board in its wooden frame.
    p.setPen(QPen(QColor(150, 95, 40), 3));
    p.setBrush(QColor(0, 110, 60));
    p.drawRoundedRect(QRectF(4, 6, 70, 52), 3, 3);
    QFont chalk(QStringLiteral("Noto Sans Mono CJK JP"));
    chalk.setPixelSize(13);
    chalk.setBold(true);
    p.setFont(chalk);
    p.setPen(Qt::white);
    p.drawText(QRectF(22, 10, 40, 14), Qt::AlignRight, QStringLiteral("18"));
    p.setPen(QColor(255, 255, 0));
    p.drawText(QRectF(12, 24, 14, 14), Qt::AlignLeft, QStringLiteral("+"));
    p.setPen(Qt::white);
    p.drawText(QRectF(22, 24, 40, 14), Qt::AlignRight, QStringLiteral("4"));
    p.setPen(QPen(QColor(255, 80, 80), 1.5));
    p.drawLine(QPointF(14, 40), QPointF(62, 40));
    p.setPen(QColor(255, 80, 80));
    p.drawText(QRectF(22, 41, 40, 14), Qt::AlignRight, QStringLiteral("22"));

    // The face.
    const QPointF c(66, 66);
    p.setPen(QPen(QColor(120, 70, 40), 1.5));
    p.setBrush(QColor(255, 214, 170));
    p.drawEllipse(c, 28, 27);
    // Hair: a fringe across the top.
    QPainterPath hair;
    hair.moveTo(39, 62);
    hair.cubicTo(40, 30, 92, 30, 93, 62);
    hair.cubicTo(86, 48, 74, 46, 66, 50);
    hair.cubicTo(58, 46, 46, 48, 39, 62);
    p.setBrush(QColor(70, 40, 20));
    p.drawPath(hair);
    // Eyes with a shine.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 40));
    p.drawEllipse(QPointF(56, 66), 4.2, 5.2);
    p.drawEllipse(QPointF(76, 66), 4.2, 5.2);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(57.5, 64), 1.5, 1.5);
    p.drawEllipse(QPointF(77.5, 64), 1.5, 1.5);
    // Cheeks.
    p.setBrush(QColor(255, 140, 150, 150));
    p.drawEllipse(QPointF(49, 76), 4.5, 3);
    p.drawEllipse(QPointF(83, 76), 4.5, 3);
    // Smile.
    p.setPen(QPen(QColor(170, 50, 50), 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(58, 70, 16, 10), 200 * 16, 140 * 16);
    // A stick of chalk in hand.
    p.setPen(QPen(QColor(120, 70, 40), 1));
    p.setBrush(QColor(255, 214, 170));
    p.drawEllipse(QPointF(92, 88), 5, 5);
    p.setBrush(Qt::white);
    p.save();
    p.translate(92, 82);
    p.rotate(-30);
    p.drawRoundedRect(QRectF(-1.8, -9, 3.6, 10), 1, 1);
    p.restore();
    return img;
}

TAboutFormR::TAboutFormR(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutFormR"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setModal(true);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* v = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* pic = new QLabel(this);
    pic->setObjectName(QStringLiteral("AboutPicture"));
    pic->setPixmap(QPixmap::fromImage(picture(128)));
    row->addWidget(pic, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    auto* name = new QLabel(QStringLiteral("縦書き計算器"), this);
    name->setObjectName(QStringLiteral("AboutName"));
    QFont big = name->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    name->setFont(big);
    texts->addWidget(name);
    auto* ver = new QLabel(QStringLiteral("バージョン ") + version(), this);
    ver->setObjectName(QStringLiteral("AboutVersion"));
    texts->addWidget(ver);
    texts->addWidget(
        new QLabel(QStringLiteral("小学校の筆算を、黒板に書くとおりに見せる計算器です。"), this));
    auto* licence =
        new QLabel(QStringLiteral("学校や家庭で自由に使い、配ることができます（無保証）。"), this);
    licence->setObjectName(QStringLiteral("AboutLicence"));
    texts->addWidget(licence);
    texts->addStretch();
    row->addLayout(texts);
    v->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    v->addWidget(buttons);
}

}  // namespace dialogs
