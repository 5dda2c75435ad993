#include "shell/push_button.h"

#include <QPushButton>

namespace brambex {

QPushButton* MakePushButton(const char* text, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    // A screen reader says the caption without its mnemonic's marker.
    button->setAccessibleName(QString::fromLatin1(text).remove(QLatin1Char('&')));
    return button;
}

}  // namespace brambex
