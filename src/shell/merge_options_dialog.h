// The "Merge Options" dialog: widgets bound to a MergeOptionsForm. Every click and
// keystroke goes to the form; after each change the widgets show the form again,
// with the preview of the first tracks' names and titles and the output folders.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QLabel;
class QTreeWidget;

namespace brambex {

class MergeOptionsForm;

class MergeOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    MergeOptionsDialog(QWidget* parent, MergeOptionsForm& form);
    ~MergeOptionsDialog() override;

    // "Start Merge": closes with Accepted when the title passes the form's check.
    void StartMerge();

  private:
    void MakeButtons(QGroupBox* typeGroup);
    // The keep boxes, the genre box and the text fields.
    void MakeChoices(QGroupBox* optionsGroup, QGroupBox* genreGroup);
    QGroupBox* MakePreview();
    void LayOut(QGroupBox* typeGroup, QGroupBox* optionsGroup, QGroupBox* genreGroup,
                QGroupBox* previewGroup);
    void ShowForm();
    void ShowPreview();
    void Bind();

    MergeOptionsForm& form_;
    bool showing_ = false;
    QPushButton* startButton_;
    QPushButton* cancelButton_;
    QPushButton* helpButton_;
    QRadioButton* musicButton_;
    QRadioButton* audioBooksButton_;
    QCheckBox* keepGenreBox_;
    QCheckBox* keepAlbumTitleBox_;
    QCheckBox* keepArtistBox_;
    QCheckBox* keepTrackNamesBox_;
    QComboBox* genreBox_;
    QGroupBox* titleGroup_;
    QGroupBox* artistGroup_;
    QGroupBox* nameGroup_;
    QLineEdit* titleField_;
    QLineEdit* artistField_;
    QLineEdit* nameField_;
    QLabel* sharedNote_;  // instead of the title and artist, for a library's sets
    QLabel* previewFolders_;
    QTreeWidget* previewList_;
};

}  // namespace brambex
