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
    p.drawRoundedRect(QRectF(3, 4, 62, 54), 3, 3);
    QFont chalk(QStringLiteral("Noto Sans Mono CJK JP"));
    chalk.setPixelSize(12);
    chalk.setBold(true);
    p.setFont(chalk);
    const QRectF col(14, 0, 36, 13);
    p.setPen(Qt::white);
    p.drawText(col.translated(0, 8), Qt::AlignRight, QStringLiteral("18"));
    p.drawText(col.translated(0, 21), Qt::AlignRight, QStringLiteral("4"));
    p.setPen(QColor(255, 255, 0));
    p.drawText(QRectF(9, 21, 12, 13), Qt::AlignLeft, QStringLiteral("+"));
    p.setPen(QPen(QColor(255, 80, 80), 1.5));
    p.drawLine(QPointF(10, 37), QPointF(52, 37));
    p.setPen(QColor(255, 80, 80));
    p.drawText(col.translated(0, 39), Qt::AlignRight, QStringLiteral("22"));

    // The face, drawn around its centre.
    p.translate(75, 75);
    p.scale(0.8, 0.8);
    p.setPen(QPen(QColor(120, 70, 40), 1.5));
    p.setBrush(QColor(255, 214, 170));
    p.drawEllipse(QPointF(0, 0), 28, 27);
    QPainterPath hair;  // a fringe across the top
    hair.moveTo(-27, -4);
    hair.cubicTo(-26, -36, 26, -36, 27, -4);
    hair.cubicTo(20, -18, 8, -20, 0, -16);
    hair.cubicTo(-8, -20, -20, -18, -27, -4);
    p.setBrush(QColor(70, 40, 20));
    p.drawPath(hair);
    p.setPen(Qt::NoPen);  // eyes with a shine
    p.setBrush(QColor(30, 30, 40));
    p.drawEllipse(QPointF(-10, 0), 4.2, 5.2);
    p.drawEllipse(QPointF(10, 0), 4.2, 5.2);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(-8.5, -2), 1.5, 1.5);
    p.drawEllipse(QPointF(11.5, -2), 1.5, 1.5);
    p.setBrush(QColor(255, 140, 150, 150));  // cheeks
    p.drawEllipse(QPointF(-17, 10), 4.5, 3);
    p.drawEllipse(QPointF(17, 10), 4.5, 3);
    p.setPen(QPen(QColor(170, 50, 50), 2, Qt::SolidLine, Qt::RoundCap));  // smile
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-8, 4, 16, 10), 200 * 16, 140 * 16);
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
