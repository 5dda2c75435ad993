// The "Merge Options" dialog: widgets bound to a MergeOptionsForm. Every click and
// keystroke goes to the form; after each change the widgets show the form again,
// with the preview of the first tracks' names and titles and the output folders; an
// M4B book's bitrate and mono are shown only while that format is chosen. The
// choices and the preview scroll where the screen is too small for them; the buttons
// stay in sight.
#pragma once

#include <QDialog>

class QAction;
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
struct FormProblems;

class MergeOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    MergeOptionsDialog(QWidget* parent, MergeOptionsForm& form);
    ~MergeOptionsDialog() override;

    // "Start Merge": closes with Accepted when the title passes the form's check.
    void StartMerge();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void MakeButtons(QGroupBox* typeGroup);
    // The keep boxes, the genre box and the text fields.
    void MakeChoices(QGroupBox* optionsGroup, QGroupBox* genreGroup);
    QGroupBox* MakeOutputChoices();
    QGroupBox* MakePreview();
    void LayOut(QGroupBox* typeGroup, QGroupBox* optionsGroup, QGroupBox* genreGroup,
                QGroupBox* outputGroup, QGroupBox* previewGroup);
    void ShowForm();
    void ShowCaptions();
    void ShowGenre();
    void ShowPreview();
    void ShowProblems(const FormProblems& problems);
    void Bind();

    MergeOptionsForm& form_;
    bool showing_ = false;
    bool fitted_ = false;
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
    QGroupBox* genreGroup_;
    QGroupBox* titleGroup_;
    QGroupBox* artistGroup_;
    QGroupBox* nameGroup_;
    QGroupBox* outputGroup_;
    QLineEdit* titleField_;
    QLineEdit* artistField_;
    QLineEdit* nameField_;
    // The marks of a field at fault, with what is wrong in their tooltips.
    QAction* titleMark_;
    QAction* nameMark_;
    QComboBox* formatBox_;
    QComboBox* jobsBox_;
    QLabel* jobsLabel_;
    QWidget* bookStreamRow_;  // the bitrate and mono, shown for an M4B book
    QLabel* bitrateLabel_;
    QLineEdit* bitrateField_;
    QAction* bitrateMark_;
    QCheckBox* monoBox_;
    QLabel* sharedNote_;  // instead of the title and artist, for a library's sets
    QLabel* previewFolders_;
    QTreeWidget* previewList_;
};

}  // namespace brambex
