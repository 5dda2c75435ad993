#include "shell/merge_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/merge_options_view.h"
#include "options/merge_options_form.h"
#include "shell/application.h"
#include "shell/help.h"
#include "shell/message_box.h"
#include "shell/qt_front_end.h"
#include "shell/screen_fit.h"

namespace brambex {

namespace {

QString Text(std::string_view text) {
    return ToQString(text);
}

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QGroupBox* Group(std::string_view caption, const char* name, QWidget* parent) {
    return Named(new QGroupBox(Text(caption), parent), name);
}

QLineEdit* Field(const char* name, QWidget* parent) {
    auto* field = Named(new QLineEdit(parent), name);
    field->setMaxLength(MergeOptionsForm::EditTypingLimit);
    field->setMinimumWidth(300);
    return field;
}

// The limit holds for what the user types; a longer text put in by the form itself is
// shown whole, so the limit grows to it.
void ShowField(QLineEdit* field, const FieldState& state, int typingLimit) {
    QString text = Text(state.text);
    if (field->text() != text) {
        field->setMaxLength(std::max<int>(typingLimit, static_cast<int>(text.size())));
        field->setText(text);
    }
    field->setEnabled(state.enabled);
}

void ShowCheck(QCheckBox* box, const CheckState& state, const std::string& caption) {
    box->setText(Text(caption));
    box->setChecked(state.checked);
}

// A field at fault shows a warning sign, and says what is wrong when pointed at.
QAction* AddMark(QLineEdit* field) {
    QAction* mark = field->addAction(field->style()->standardIcon(QStyle::SP_MessageBoxWarning),
                                     QLineEdit::TrailingPosition);
    mark->setVisible(false);
    return mark;
}

void ShowMark(QLineEdit* field, QAction* mark, const std::string& problem) {
    const QString text = Text(problem);
    mark->setVisible(!text.isEmpty());
    mark->setToolTip(text);
    field->setToolTip(text);
    field->setAccessibleDescription(text);
}

}  // namespace

MergeOptionsDialog::MergeOptionsDialog(QWidget* parent, MergeOptionsForm& form)
    : QDialog(parent), form_(form) {
    setObjectName(QStringLiteral("mergeOptionsDialog"));
    setWindowTitle(Text(MergeOptionsForm::Caption));
    setAccessibleName(Text(MergeOptionsForm::Caption));

    auto* typeGroup = Group(MergeOptionsForm::TypeGroupCaption, "typeOfCdsGroup", this);
    auto* optionsGroup = Group(MergeOptionsForm::OptionsGroupCaption, "optionsGroup", this);
    genreGroup_ = Group(MergeOptionsForm::GenreGroupCaption, "genreGroup", this);
    titleGroup_ = Group("Album/Book title", "titleGroup", this);
    artistGroup_ = Group("Artist/Author", "artistGroup", this);
    nameGroup_ = Group("Song/Track name", "nameGroup", this);
    MakeButtons(typeGroup);
    MakeChoices(optionsGroup, genreGroup_);
    LayOut(typeGroup, optionsGroup, genreGroup_, MakeOutputChoices(), MakePreview());

    // The keyboard visits the controls in the order the dialog has always had, then
    // the output's choices.
    QWidget* order[] = {startButton_,       cancelButton_,     helpButton_,
                        musicButton_,       audioBooksButton_, keepGenreBox_,
                        keepAlbumTitleBox_, keepArtistBox_,    keepTrackNamesBox_,
                        genreBox_,          titleField_,       artistField_,
                        nameField_,         formatBox_,        jobsBox_,
                        bitrateField_,      monoBox_};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (const GenreEntry& entry : form_.GenreList()) {
        genreBox_->addItem(Text(entry.name), entry.number);
    }
    Bind();
    form_.SetChangedCallback([this] { ShowForm(); });
    ShowForm();
}

// Fitted once its controls have been shown: a combo box knows its width from then on.
void MergeOptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!fitted_) {
        fitted_ = true;
        FitToScreen(this);
    }
}

void MergeOptionsDialog::MakeButtons(QGroupBox* typeGroup) {
    startButton_ = Named(new QPushButton(this), "startMergeButton");
    cancelButton_ = Named(new QPushButton(this), "cancelButton");
    helpButton_ = Named(new QPushButton(this), "helpButton");
    musicButton_ = Named(new QRadioButton(typeGroup), "musicCdsButton");
    audioBooksButton_ = Named(new QRadioButton(typeGroup), "audioBooksButton");
    const MergeOptionsCaptions captions = MarkedCaptions(form_);
    const std::pair<QAbstractButton*, const std::string*> buttons[] = {
        {startButton_, &captions.start},
        {cancelButton_, &captions.cancel},
        {helpButton_, &captions.help},
        {musicButton_, &captions.music},
        {audioBooksButton_, &captions.audioBooks}};
    for (auto [button, caption] : buttons) {
        button->setText(Text(*caption));
        button->setAccessibleName(button->text().remove(QLatin1Char('&')));
    }
    startButton_->setDefault(true);
    cancelButton_->setAutoDefault(false);
    helpButton_->setAutoDefault(false);
}

void MergeOptionsDialog::MakeChoices(QGroupBox* optionsGroup, QGroupBox* genreGroup) {
    keepGenreBox_ = Named(new QCheckBox(optionsGroup), "keepGenreBox");
    keepAlbumTitleBox_ = Named(new QCheckBox(optionsGroup), "keepAlbumTitleBox");
    keepArtistBox_ = Named(new QCheckBox(optionsGroup), "keepArtistBox");
    keepTrackNamesBox_ = Named(new QCheckBox(optionsGroup), "keepTrackNamesBox");
    genreBox_ = Named(new QComboBox(genreGroup), "genreBox");
    genreBox_->setEditable(true);
    genreBox_->setInsertPolicy(QComboBox::NoInsert);
    // Typed text stays as typed: a genre that is not in the list is allowed.
    genreBox_->setCompleter(nullptr);
    genreBox_->setMaxVisibleItems(12);
    genreBox_->lineEdit()->setMaxLength(MergeOptionsForm::GenreTypingLimit);
    titleField_ = Field("titleField", titleGroup_);
    artistField_ = Field("artistField", artistGroup_);
    nameField_ = Field("nameField", nameGroup_);
    titleMark_ = AddMark(titleField_);
    nameMark_ = AddMark(nameField_);
    sharedNote_ = Named(new QLabel(this), "sharedNote");
    sharedNote_->setTextFormat(Qt::PlainText);
    sharedNote_->setWordWrap(true);
}

// What the merge writes, and how many tracks at a time.
QGroupBox* MergeOptionsDialog::MakeOutputChoices() {
    outputGroup_ = Group("Output", "outputGroup", this);
    formatBox_ = Named(new QComboBox(outputGroup_), "formatBox");
    for (const FormatEntry& entry : OfferedFormats())
        formatBox_->addItem(Text(entry.caption));
    jobsBox_ = Named(new QComboBox(outputGroup_), "jobsBox");
    for (const JobsEntry& entry : JobsEntries())
        jobsBox_->addItem(Text(entry.caption), entry.jobs);
    jobsLabel_ = Named(new QLabel(outputGroup_), "jobsLabel");
    jobsLabel_->setBuddy(jobsBox_);
    auto* jobsRow = new QHBoxLayout;
    jobsRow->addWidget(jobsLabel_);
    jobsRow->addWidget(jobsBox_);
    jobsRow->addStretch();
    bookStreamRow_ = Named(new QWidget(outputGroup_), "bookStreamRow");
    bitrateField_ = Named(new QLineEdit(bookStreamRow_), "bitrateField");
    bitrateField_->setMaxLength(MergeOptionsForm::BitrateTypingLimit);
    bitrateField_->setFixedWidth(bitrateField_->fontMetrics().horizontalAdvance(u'0') * 6 + 30);
    bitrateMark_ = AddMark(bitrateField_);
    bitrateLabel_ = Named(new QLabel(bookStreamRow_), "bitrateLabel");
    bitrateLabel_->setBuddy(bitrateField_);
    monoBox_ = Named(new QCheckBox(bookStreamRow_), "monoBox");
    auto* streamRow = new QHBoxLayout(bookStreamRow_);
    streamRow->setContentsMargins(0, 0, 0, 0);
    streamRow->addWidget(bitrateLabel_);
    streamRow->addWidget(bitrateField_);
    streamRow->addWidget(monoBox_);
    streamRow->addStretch();
    auto* layout = new QVBoxLayout(outputGroup_);
    layout->addWidget(formatBox_);
    layout->addLayout(jobsRow);
    layout->addWidget(bookStreamRow_);
    return outputGroup_;
}

// What the values would make, from the plan of the merge itself.
QGroupBox* MergeOptionsDialog::MakePreview() {
    auto* previewGroup = Group("Preview", "previewGroup", this);
    previewFolders_ = Named(new QLabel(previewGroup), "previewFolders");
    previewFolders_->setTextFormat(Qt::PlainText);
    previewFolders_->setWordWrap(true);
    previewFolders_->setAccessibleName(QStringLiteral("Output folders"));
    previewList_ = Named(new QTreeWidget(previewGroup), "previewList");
    previewList_->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Title")});
    previewList_->setRootIsDecorated(false);
    previewList_->setSelectionMode(QAbstractItemView::NoSelection);
    previewList_->setFocusPolicy(Qt::NoFocus);
    previewList_->setAccessibleName(QStringLiteral("First tracks of the merge"));
    previewList_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    previewList_->setMinimumHeight(130);
    auto* previewLayout = new QVBoxLayout(previewGroup);
    previewLayout->addWidget(previewFolders_);
    previewLayout->addWidget(previewList_);
    return previewGroup;
}

void MergeOptionsDialog::LayOut(QGroupBox* typeGroup, QGroupBox* optionsGroup,
                                QGroupBox* genreGroup, QGroupBox* outputGroup,
                                QGroupBox* previewGroup) {
    auto* typeLayout = new QVBoxLayout(typeGroup);
    typeLayout->addWidget(musicButton_);
    typeLayout->addWidget(audioBooksButton_);
    auto* optionsLayout = new QVBoxLayout(optionsGroup);
    optionsLayout->addWidget(keepGenreBox_);
    optionsLayout->addWidget(keepAlbumTitleBox_);
    optionsLayout->addWidget(keepArtistBox_);
    optionsLayout->addWidget(keepTrackNamesBox_);
    (new QVBoxLayout(genreGroup))->addWidget(genreBox_);
    (new QVBoxLayout(titleGroup_))->addWidget(titleField_);
    (new QVBoxLayout(artistGroup_))->addWidget(artistField_);
    (new QVBoxLayout(nameGroup_))->addWidget(nameField_);

    // The choices and the preview scroll on a small screen; the buttons below them do not.
    auto* scroll = Named(new FittingScrollArea(this), "choicesArea");
    auto* choices = new QWidget(scroll);
    auto* grid = new QGridLayout(choices);
    grid->addWidget(typeGroup, 0, 0);
    grid->addWidget(optionsGroup, 1, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(outputGroup, 3, 0);
    grid->addWidget(genreGroup, 0, 1);
    grid->addWidget(titleGroup_, 1, 1);
    grid->addWidget(artistGroup_, 2, 1);
    // Shown in their place when the title and artist are each set's own.
    grid->addWidget(sharedNote_, 1, 1, 2, 1);
    grid->addWidget(nameGroup_, 3, 1);
    grid->addWidget(previewGroup, 4, 0, 1, 2);
    scroll->setWidget(choices);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(startButton_);
    buttons->addWidget(cancelButton_);
    buttons->addWidget(helpButton_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    layout->addLayout(buttons);
}

MergeOptionsDialog::~MergeOptionsDialog() {
    form_.SetChangedCallback(nullptr);
}

void MergeOptionsDialog::Bind() {
    // Only the user's own actions go to the form; what ShowForm puts into a widget
    // must not come back as an edit.
    connect(musicButton_, &QRadioButton::clicked, this, [this] { form_.ChooseMusic(); });
    connect(audioBooksButton_, &QRadioButton::clicked, this, [this] { form_.ChooseAudioBooks(); });
    connect(keepGenreBox_, &QCheckBox::clicked, this, [this](bool on) { form_.SetKeepGenre(on); });
    connect(keepAlbumTitleBox_, &QCheckBox::clicked, this,
            [this](bool on) { form_.SetKeepAlbumTitle(on); });
    connect(keepArtistBox_, &QCheckBox::clicked, this,
            [this](bool on) { form_.SetKeepArtist(on); });
    connect(keepTrackNamesBox_, &QCheckBox::clicked, this,
            [this](bool on) { form_.SetKeepTrackNames(on); });
    connect(titleField_, &QLineEdit::textEdited, this,
            [this](const QString& text) { form_.SetTitleText(text.toStdString()); });
    connect(artistField_, &QLineEdit::textEdited, this,
            [this](const QString& text) { form_.SetArtistText(text.toStdString()); });
    connect(nameField_, &QLineEdit::textEdited, this,
            [this](const QString& text) { form_.SetNameText(text.toStdString()); });
    connect(genreBox_->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { form_.SetGenreText(text.toStdString()); });
    connect(genreBox_, &QComboBox::activated, this, [this](int index) {
        if (!showing_)
            form_.PickGenre(index);
    });
    connect(formatBox_, &QComboBox::activated, this, [this](int index) {
        if (!showing_)
            form_.SetFormat(OfferedFormats()[static_cast<std::size_t>(index)].format);
    });
    connect(jobsBox_, &QComboBox::activated, this, [this](int index) {
        if (!showing_)
            form_.SetJobs(jobsBox_->itemData(index).toInt());
    });
    connect(bitrateField_, &QLineEdit::textEdited, this,
            [this](const QString& text) { form_.SetBitrateText(text.toStdString()); });
    connect(monoBox_, &QCheckBox::clicked, this, [this](bool on) { form_.SetMono(on); });
    connect(startButton_, &QPushButton::clicked, this, [this] { StartMerge(); });
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpButton_, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { ShowHelp(this); }); });
}

void MergeOptionsDialog::StartMerge() {
    if (std::optional<Message> refusal = form_.Refusal()) {
        QtFrontEnd messages(this);
        messages.Show(*refusal);
        return;
    }
    accept();
}

void MergeOptionsDialog::ShowForm() {
    showing_ = true;
    musicButton_->setChecked(form_.MusicChecked());
    audioBooksButton_->setChecked(form_.AudioBooksChecked());
    ShowCaptions();
    ShowField(titleField_, form_.Title(), MergeOptionsForm::EditTypingLimit);
    ShowField(artistField_, form_.Artist(), MergeOptionsForm::EditTypingLimit);
    titleGroup_->setVisible(!form_.SharedAmongSets());
    artistGroup_->setVisible(!form_.SharedAmongSets());
    sharedNote_->setText(Text(form_.SharedNote()));
    sharedNote_->setVisible(form_.SharedAmongSets());
    ShowField(nameField_, form_.Name(), MergeOptionsForm::EditTypingLimit);
    ShowGenre();
    formatBox_->setCurrentIndex(FormatIndex(form_.Format()));
    jobsBox_->setCurrentIndex(std::max(0, jobsBox_->findData(form_.Jobs())));
    ShowField(bitrateField_, form_.Bitrate(), MergeOptionsForm::BitrateTypingLimit);
    monoBox_->setChecked(form_.Mono());
    bookStreamRow_->setVisible(BookStreamOffered(form_));
    ShowPreview();
    showing_ = false;
}

// The keep boxes and the fields' groups speak of the type of CDs chosen.
void MergeOptionsDialog::ShowCaptions() {
    const MergeOptionsCaptions captions = MarkedCaptions(form_);
    titleGroup_->setTitle(Text(captions.title));
    artistGroup_->setTitle(Text(captions.artist));
    nameGroup_->setTitle(Text(captions.name));
    genreGroup_->setTitle(Text(captions.genre));
    outputGroup_->setTitle(Text(captions.format));
    jobsLabel_->setText(Text(captions.jobs));
    bitrateLabel_->setText(Text(captions.bitrate));
    monoBox_->setText(Text(captions.mono));
    ShowCheck(keepGenreBox_, form_.KeepGenre(), captions.keepGenre);
    ShowCheck(keepAlbumTitleBox_, form_.KeepAlbumTitle(), captions.keepAlbumTitle);
    ShowCheck(keepArtistBox_, form_.KeepArtist(), captions.keepArtist);
    ShowCheck(keepTrackNamesBox_, form_.KeepTrackNames(), captions.keepTrackNames);
}

void MergeOptionsDialog::ShowGenre() {
    // Changing the selection rewrites the edit field; what the user is typing comes
    // back with the cursor where it was.
    QLineEdit* genreEdit = genreBox_->lineEdit();
    QString typed = genreEdit->text();
    int cursor = genreEdit->cursorPosition();
    int selection = form_.GenreSelection().value_or(-1);
    if (genreBox_->currentIndex() != selection)
        genreBox_->setCurrentIndex(selection);
    QString genreText = Text(form_.Genre().text);
    if (genreEdit->text() != genreText) {
        genreEdit->setMaxLength(
            std::max<int>(MergeOptionsForm::GenreTypingLimit, static_cast<int>(genreText.size())));
        genreEdit->setText(genreText);
        if (genreText == typed)
            genreEdit->setCursorPosition(cursor);
    }
    if (form_.GenreTextHighlighted())
        genreEdit->selectAll();
    genreBox_->setEnabled(form_.Genre().enabled);
}

void MergeOptionsDialog::ShowPreview() {
    const MergePreview preview = form_.Preview();
    const PreviewLines lines = ListPreview(preview, form_.Format(), BookStreamText(form_));
    previewList_->clear();
    previewList_->setHeaderLabels({Text(lines.firstColumn), QStringLiteral("Title")});
    for (const auto& [first, title] : lines.rows)
        previewList_->addTopLevelItem(new QTreeWidgetItem(QStringList{Text(first), Text(title)}));
    previewFolders_->setText(Text(lines.heading));
    ShowProblems(FindFormProblems(form_, preview));
}

void MergeOptionsDialog::ShowProblems(const FormProblems& problems) {
    ShowMark(titleField_, titleMark_, problems.title);
    ShowMark(nameField_, nameMark_, problems.name);
    ShowMark(bitrateField_, bitrateMark_, problems.bitrate);
    startButton_->setEnabled(problems.StartEnabled());
}

}  // namespace brambex
