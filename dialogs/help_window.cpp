#include "dialogs/help_window.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace dialogs {

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("縦書き計算器 ヘルプ"));
    resize(760, 680);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    auto* back = new QPushButton(QStringLiteral("◀ もどる"), this);
    auto* home = new QPushButton(QStringLiteral("目次"), this);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    row->addWidget(back);
    row->addWidget(home);
    row->addStretch();
    row->addWidget(close);
    v->addLayout(row);
    browser_ = new QTextBrowser(this);
    // Links inside the document stay here; links out go to the desktop.
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(true);
    QFont f = browser_->font();
    f.setPointSize(12);
    browser_->setFont(f);
    v->addWidget(browser_, 1);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(home, &QPushButton::clicked, browser_, &QTextBrowser::home);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    back->setEnabled(false);
}

HelpWindow* HelpWindow::showFile(QWidget* owner, const QString& file) {
    auto* w =
        owner ? owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!w) w = new HelpWindow(owner);
    const QUrl url = QUrl::fromLocalFile(file);
    if (w->browser_->source() != url) w->browser_->setSource(url);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

}  // namespace dialogs
