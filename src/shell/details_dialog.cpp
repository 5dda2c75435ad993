#include "shell/details_dialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/message_box.h"
#include "shell/push_button.h"

namespace brambex {

DetailsDialog::DetailsDialog(QWidget* parent, const std::vector<std::string>& notes)
    : QDialog(parent) {
    setObjectName(QStringLiteral("detailsDialog"));
    setWindowTitle(QStringLiteral("Details"));
    setAccessibleName(QStringLiteral("Notes on the merged tracks"));
    auto* list = new QListWidget(this);
    list->setObjectName(QStringLiteral("detailsList"));
    list->setAccessibleName(QStringLiteral("Notes, one line per track"));
    list->setMinimumSize(560, 240);
    for (const std::string& note : notes)
        list->addItem(ToQString(note));
    QPushButton* close = MakePushButton("&Close", "closeButton", this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);
}

}  // namespace brambex
