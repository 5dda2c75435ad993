// The manual in a window of the program's own, for a desktop where no web browser can
// be started: the installed HTML manual in a text browser that follows its links. One
// such window at a time; Help again brings it to the front.
#pragma once

#include <QWidget>
#include <string>

class QTextBrowser;

namespace brambex {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    HelpWindow(const std::string& manual, QWidget* owner);

  private:
    QTextBrowser* browser_;
};

// Shows the manual in the program's help window, making the window when there is none.
void ShowHelpWindow(QWidget* owner, const std::string& manual);

}  // namespace brambex
