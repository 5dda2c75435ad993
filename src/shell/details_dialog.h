// The notes of a merge, one line for each track that something was noted of (a
// converted tag, a frame left out, audio shorter than usual), in a list the user opens
// from the main window's "Details" rather than in a message box for each track.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

namespace brambex {

class DetailsDialog : public QDialog {
    Q_OBJECT
  public:
    DetailsDialog(QWidget* parent, const std::vector<std::string>& notes);
};

}  // namespace brambex
