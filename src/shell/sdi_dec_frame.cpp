#include "shell/sdi_dec_frame.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "shell/audiobook_dlg_client.h"
#include "shell/message_box.h"

namespace brambex {

QPoint CentredPosition(QSize screen, QSize frame) {
    return {(screen.width() - frame.width()) / 2, (screen.height() - frame.height()) / 2};
}

TSDIDecFrame::TSDIDecFrame(TaudiobookDlgClient* client)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                           Qt::CustomizeWindowHint),
      client_(client ? client : new TaudiobookDlgClient()) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QString::fromLatin1(ApplicationName));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    client_->setParent(this, Qt::Widget);
    layout->addWidget(client_);
    client_->show();
    // "Exit" ends the client dialog; the frame follows it.
    connect(client_, &QDialog::finished, this, &QWidget::close);
}

TSDIDecFrame::~TSDIDecFrame() = default;

void TSDIDecFrame::SetupWindow() {
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        move(area.topLeft() + CentredPosition(area.size(), frameGeometry().size()));
    }
}

void TSDIDecFrame::RequestEnd() {
    if (client_->Merging()) {
        client_->CloseWhenMergeEnds();
        return;
    }
    close();
}

void TSDIDecFrame::closeEvent(QCloseEvent* event) {
    // The merge runs inside a handler of the client and works on the client's record;
    // closing now would pull that record from under it. Cancel first, close after.
    if (client_->Merging()) {
        client_->CloseWhenMergeEnds();
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace brambex
