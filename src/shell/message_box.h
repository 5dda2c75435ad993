// Modal message boxes in the program's conventions: a message without a caption is
// captioned with the application's name, and the style picks the icon and buttons.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <optional>
#include <string_view>

#include "engine/front_end.h"

class QWidget;

namespace brambex {

inline constexpr const char* ApplicationName = "Brambex";

QString ToQString(std::string_view text);
// The icon a box of that style shows.
QMessageBox::Icon MessageBoxIcon(MessageKind style);
QString CaptionText(std::optional<std::string_view> caption);

// Shows an OK box owned by owner (may be null) and waits until it is closed.
void ShowMessageBox(QWidget* owner, std::string_view text, std::optional<std::string_view> caption,
                    MessageKind style);

// Asks a Yes/No question with the question icon (or the given icon); Enter gives
// defaultAnswer.
Answer AskYesNo(QWidget* owner, std::string_view text, std::optional<std::string_view> caption,
                MessageKind icon = MessageKind::Question, Answer defaultAnswer = Answer::Yes);

// What a box shows, for tests that answer boxes without showing them.
struct MessageBoxShown {
    QString text;
    QString caption;  // the application's name when none was given
    MessageKind style;
    bool question;
    Answer defaultAnswer = Answer::Yes;  // a question's
};
using MessageBoxAnswerer = std::function<Answer(const MessageBoxShown& box)>;

// While set, every box goes to the answerer instead of the screen, which answers the
// questions (OK boxes ignore its answer). Pass nullptr to show boxes again.
void SetMessageBoxAnswererForTesting(MessageBoxAnswerer answerer);

}  // namespace brambex
