#include "shell/help_window.h"

#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/message_box.h"
#include "shell/push_button.h"

namespace brambex {

HelpWindow::HelpWindow(const std::string& manual, QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Brambex Manual"));
    setAttribute(Qt::WA_DeleteOnClose);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setAccessibleName(QStringLiteral("Manual"));
    // Links out of the manual go to whatever the desktop has for them.
    browser_->setOpenExternalLinks(true);
    browser_->setSource(QUrl::fromLocalFile(ToQString(manual)));
    QPushButton* close = MakePushButton("&Close", "closeButton", this);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_, 1);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(760, 600);
}

void ShowHelpWindow(QWidget* owner, const std::string& manual) {
    static QPointer<HelpWindow> shown;
    if (!shown)
        shown = new HelpWindow(manual, owner);
    shown->show();
    shown->raise();
    shown->activateWindow();
}

}  // namespace brambex
