#include "shell/message_box.h"

#include <QMessageBox>

#include "shell/application.h"

namespace brambex {

QMessageBox::Icon MessageBoxIcon(MessageKind style) {
    switch (style) {
        case MessageKind::Notice:
            return QMessageBox::NoIcon;
        case MessageKind::Error:
            return QMessageBox::Critical;
        case MessageKind::Question:
            return QMessageBox::Question;
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

namespace {

// The application's answerer, a copy: the answerer may take itself away.
MessageBoxAnswerer Answerer() {
    Application* app = Application::Instance();
    return app ? app->BoxAnswerer() : MessageBoxAnswerer();
}

}  // namespace

void SetMessageBoxAnswererForTesting(MessageBoxAnswerer answerer) {
    if (Application* app = Application::Instance())
        app->SetBoxAnswerer(std::move(answerer));
}

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString CaptionText(std::optional<std::string_view> caption) {
    return caption ? ToQString(*caption) : QString::fromLatin1(ApplicationName);
}

void ShowMessageBox(QWidget* owner, std::string_view text, std::optional<std::string_view> caption,
                    MessageKind style) {
    if (style == MessageKind::Question) {
        AskYesNo(owner, text, caption);
        return;
    }
    if (MessageBoxAnswerer answerer = Answerer()) {
        answerer({ToQString(text), CaptionText(caption), style, false});
        return;
    }
    QMessageBox box(MessageBoxIcon(style), CaptionText(caption), ToQString(text), QMessageBox::Ok,
                    owner);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setTextFormat(Qt::PlainText);
    // A path or a reason in a message can be copied from it.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

Answer AskYesNo(QWidget* owner, std::string_view text, std::optional<std::string_view> caption,
                MessageKind icon, Answer defaultAnswer) {
    if (MessageBoxAnswerer answerer = Answerer())
        return answerer({ToQString(text), CaptionText(caption), icon, true, defaultAnswer});
    QMessageBox box(MessageBoxIcon(icon), CaptionText(caption), ToQString(text),
                    QMessageBox::Yes | QMessageBox::No, owner);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultAnswer == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

}  // namespace brambex
