// The "Options" dialog: shows the music library path and sets or forgets it. Changes
// take effect at once, however the dialog is closed.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace brambex {

class OptionsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit OptionsDialog(QWidget* parent);

    void SetLibraryPath();
    void ForgetLibraryPath();

  private:
    void ShowPath();

    QLabel* pathLabel_;
};

}  // namespace brambex
