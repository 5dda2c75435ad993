// The Merge Options dialog driven through its widgets, in both types of CDs, over the
// form model with settings as the first track would have prefilled them.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include "options/merge_options_form.h"
#include "options/merge_settings.h"
#include "shell/application.h"
#include "shell/help.h"
#include "shell/merge_options_dialog.h"
#include "shell/message_box.h"
#include "shell/qt_front_end.h"
#include "shell_test_support.h"

using namespace brambex;
using namespace brambex::testing;

class MergeOptionsDialogTest : public QObject {
    Q_OBJECT
    std::unique_ptr<MergeSettings> settings_;
    std::unique_ptr<MergeOptionsForm> form_;
    std::unique_ptr<MergeOptionsDialog> dialog_;

    void Open(bool audioBooks, const std::string& title = "Moby Dick Disc 1") {
        settings_ = std::make_unique<MergeSettings>();
        settings_->choices.audioBookMode = audioBooks;
        settings_->genre = "(17)";
        settings_->albumTitle = title;
        settings_->artist = "Herman Melville";
        settings_->titleTemplate = "<song>";
        form_ = std::make_unique<MergeOptionsForm>(*settings_);
        form_->SetUp();
        dialog_ = std::make_unique<MergeOptionsDialog>(nullptr, *form_);
        dialog_->show();
    }
    template <typename W>
    W* Find(const char* name) {
        W* w = dialog_->findChild<W*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QComboBox* Genre() { return Find<QComboBox>("genreBox"); }
    QLineEdit* Field(const char* name) { return Find<QLineEdit>(name); }
    void PickGenre(const QString& name) {
        int index = Genre()->findText(name);
        QVERIFY(index >= 0);
        Genre()->setCurrentIndex(index);
        emit Genre()->activated(index);
    }
    // Start Merge; true when the dialog closed with it.
    bool Start() {
        Find<QPushButton>("startMergeButton")->click();
        if (dialog_->result() != QDialog::Accepted)
            return false;
        form_->Confirm();
        return true;
    }

  private slots:
    void cleanup() {
        SetMessageBoxAnswererForTesting(nullptr);
        dialog_.reset();
        form_.reset();
        settings_.reset();
        QCOMPARE(VisibleTopLevels(), 0);
    }

    void musicFirstViewAndTypedGenreStoredAsText() {
        Open(false);
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("Merge Options"));
        QVERIFY(Find<QRadioButton>("musicCdsButton")->isChecked());
        QCOMPARE(Genre()->currentIndex(), -1);
        QCOMPARE(Genre()->currentText(), QStringLiteral("Rock"));
        QVERIFY(!Genre()->isEnabled());
        QCOMPARE(Genre()->count(), 126);
        QCOMPARE(Field("titleField")->text(), QStringLiteral("Moby Dick_1"));
        QVERIFY(Field("titleField")->isEnabled());
        QCOMPARE(Field("artistField")->text(), QStringLiteral("Herman Melville"));
        QVERIFY(!Field("artistField")->isEnabled());
        QCOMPARE(Field("nameField")->text(), QStringLiteral("<song>"));
        QVERIFY(!Field("nameField")->isEnabled());
        QVERIFY(Find<QCheckBox>("keepGenreBox")->isChecked());
        QVERIFY(!Find<QCheckBox>("keepAlbumTitleBox")->isChecked());
        QCOMPARE(Find<QCheckBox>("keepTrackNamesBox")->text().remove(QLatin1Char('&')),
                 QStringLiteral("Keep the current song names"));
        QCOMPARE(Find<QGroupBox>("titleGroup")->title().remove(QLatin1Char('&')),
                 QStringLiteral("Album title (and output folder name)"));
        QCOMPARE(Find<QGroupBox>("artistGroup")->title().remove(QLatin1Char('&')),
                 QStringLiteral("Artist"));
        QVERIFY(Start());
        QCOMPARE(settings_->choices.genre, std::string("Rock"));
        QCOMPARE(settings_->choices.title, std::string("Moby Dick_1"));
        QVERIFY(settings_->choices.keepGenre && settings_->choices.keepArtist &&
                settings_->choices.keepTrackNames);
    }

    void genrePickedFromListStoredAsReference() {
        Open(false);
        Find<QCheckBox>("keepGenreBox")->click();
        QVERIFY(Genre()->isEnabled());
        PickGenre(QStringLiteral("Rock"));
        QVERIFY(Start());
        QCOMPARE(settings_->choices.genre, std::string("(17)"));
        QVERIFY(!settings_->choices.keepGenre);
    }

    void audioBooksKeepGenreToggleShowsAudiobook() {
        Open(true);
        QCOMPARE(Genre()->currentText(), QStringLiteral("Audiobook"));
        QCOMPARE(Field("nameField")->text(), QStringLiteral("<disc>-<track> <book>"));
        QVERIFY(Field("artistField")->isEnabled());
        PickGenre(QStringLiteral("Jazz"));
        QCOMPARE(Genre()->currentText(), QStringLiteral("Jazz"));
        Find<QCheckBox>("keepGenreBox")->click();
        QCOMPARE(Genre()->currentText(), QStringLiteral("Rock"));
        Find<QCheckBox>("keepGenreBox")->click();
        QCOMPARE(Genre()->currentText(), QStringLiteral("Audiobook"));
        QCOMPARE(Genre()->currentIndex(), -1);
        QVERIFY(Start());
        QCOMPARE(settings_->choices.genre, std::string("Audiobook"));
    }

    void typedTextReachesTheForm() {
        Open(true);
        Field("artistField")->selectAll();
        QTest::keyClicks(Field("artistField"), QStringLiteral("Frank Muller"));
        Genre()->lineEdit()->selectAll();
        QTest::keyClicks(Genre()->lineEdit(), QStringLiteral("Spoken Word"));
        QCOMPARE(Genre()->lineEdit()->text(), QStringLiteral("Spoken Word"));
        QVERIFY(Start());
        QCOMPARE(settings_->choices.artist, std::string("Frank Muller"));
        QCOMPARE(settings_->choices.genre, std::string("Spoken Word"));
    }

    void forbiddenCharacterKeepsDialogOpen() {
        Open(true, "AC/DC Live");
        QCOMPARE(Field("titleField")->text(), QStringLiteral("AC-DC Live_1"));
        QTest::keyClicks(Field("titleField"), QStringLiteral("/"));
        const QString refusal = QStringLiteral(
            "The album name cannot contain any of\nthese characters: \\ / : * ? \" < > |\n"
            "Please remove all of these characters or\nreplace them with some other ones.");
        // The field at fault says why, and Start Merge waits for it to be put right.
        QCOMPARE(Field("titleField")->toolTip(), refusal);
        QVERIFY(Field("titleField")->actions().front()->isVisible());
        QVERIFY(!Find<QPushButton>("startMergeButton")->isEnabled());
        QVERIFY(!Start());
        // Start Merge reached otherwise is refused with the message.
        SeenBox seen;
        AnswerMessageBox(&seen);
        dialog_->StartMerge();
        QCOMPARE(seen.text, refusal);
        QCOMPARE(seen.caption, QStringLiteral("Error"));
        QCOMPARE(int(seen.icon), int(QMessageBox::Warning));
        QVERIFY(dialog_->isVisible());
        QCOMPARE(Field("titleField")->text(), QStringLiteral("AC-DC Live_1/"));
        QTest::keyClick(Field("titleField"), Qt::Key_Backspace);
        QVERIFY(!Field("titleField")->actions().front()->isVisible());
        QVERIFY(Start());
        QCOMPARE(settings_->choices.title, std::string("AC-DC Live_1"));
    }

    void unknownPatternCodeMarksTheNameField() {
        Open(true);
        Field("nameField")->selectAll();
        QTest::keyClicks(Field("nameField"), QStringLiteral("<Title>"));
        QCOMPARE(Field("nameField")->toolTip(),
                 QStringLiteral("Unrecognized code: <Title> ignored."));
        QVERIFY(!Find<QPushButton>("startMergeButton")->isEnabled());
        Field("nameField")->selectAll();
        QTest::keyClicks(Field("nameField"), QStringLiteral("<track>"));
        QVERIFY(Field("nameField")->toolTip().isEmpty());
        QVERIFY(Find<QPushButton>("startMergeButton")->isEnabled());
    }

    void formatAndJobsReachTheForm() {
        Open(true);
        auto* format = Find<QComboBox>("formatBox");
        QCOMPARE(format->currentText(), QStringLiteral("Folders of tracks"));
        QCOMPARE(Find<QComboBox>("jobsBox")->currentText(), QStringLiteral("Automatic"));
        format->setCurrentIndex(1);
        emit format->activated(1);
        auto* jobs = Find<QComboBox>("jobsBox");
        jobs->setCurrentIndex(3);
        emit jobs->activated(3);
        QVERIFY(Start());
        QCOMPARE(int(settings_->choices.format), int(OutputFormat::Mp3Book));
        QCOMPARE(settings_->choices.jobs, 3);
    }

    // At any scale the buttons stay on the screen; the choices scroll instead.
    void buttonsLieOnTheScreen() {
        Open(true);
        const QRect room = dialog_->screen()->availableGeometry();
        QVERIFY(dialog_->height() <= room.height());
        for (const char* name : {"startMergeButton", "cancelButton", "helpButton"}) {
            auto* button = Find<QPushButton>(name);
            const QRect place(button->mapToGlobal(QPoint(0, 0)), button->size());
            QVERIFY2(room.contains(place), name);
        }
    }

    void switchingTypeDiscardsEdits() {
        Open(false);
        QTest::keyClicks(Field("titleField"), QStringLiteral(" edited"));
        Find<QRadioButton>("audioBooksButton")->click();
        QTest::keyClicks(Field("artistField"), QStringLiteral(" edited"));
        Find<QRadioButton>("musicCdsButton")->click();
        QCOMPARE(Field("titleField")->text(), QStringLiteral("Moby Dick_1"));
        QCOMPARE(Field("artistField")->text(), QStringLiteral("Herman Melville"));
        QCOMPARE(Genre()->currentText(), QStringLiteral("Rock"));
        QCOMPARE(Field("nameField")->text(), QStringLiteral("<song>"));
        QCOMPARE(Find<QCheckBox>("keepGenreBox")->text().remove(QLatin1Char('&')),
                 QStringLiteral("Keep the current genre"));
        // The type that is already chosen applies its defaults again too.
        QTest::keyClicks(Field("titleField"), QStringLiteral("!"));
        Find<QRadioButton>("musicCdsButton")->click();
        QCOMPARE(Field("titleField")->text(), QStringLiteral("Moby Dick_1"));
        QCOMPARE(Find<QCheckBox>("keepGenreBox")->text().remove(QLatin1Char('&')),
                 QStringLiteral("Keep the current genre"));
    }

    void longPrefilledTitleIsShownWhole() {
        Open(true, std::string(300, 'a'));
        QCOMPARE(Field("titleField")->text().size(), 302);
        QVERIFY(Start());
        QCOMPARE(settings_->choices.title.size(), std::size_t(302));
    }

    void tabOrderFollowsTheDialog() {
        Open(true);
        QStringList expected = {"startMergeButton",  "cancelButton",     "helpButton",
                                "musicCdsButton",    "audioBooksButton", "keepGenreBox",
                                "keepAlbumTitleBox", "keepArtistBox",    "keepTrackNamesBox",
                                "genreBox",          "titleField",       "artistField",
                                "nameField",         "formatBox",        "jobsBox"};
        QWidget* w = Find<QPushButton>("startMergeButton");
        QStringList seen = {w->objectName()};
        for (int i = 1; i < expected.size(); ++i) {
            w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus) || w->parentWidget() == Genre()) {
                w = w->nextInFocusChain();
            }
            seen << w->objectName();
        }
        // The exclusive radio pair is one tab stop for the keyboard, but keeps its place.
        QCOMPARE(seen, expected);
    }

    void helpButtonOpensManual() {
        QTemporaryDir dir;
        QString manual = dir.filePath(QStringLiteral("Brambex.html"));
        QFile file(manual);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        std::string saved = Application::Instance()->HelpFilePath();
        Application::Instance()->SetHelpFilePath(manual.toStdString());
        FakeDesktop desktop;
        SetDesktopServices(&desktop);
        Open(true);
        Find<QPushButton>("helpButton")->click();
        SetDesktopServices(nullptr);
        Application::Instance()->SetHelpFilePath(saved);
        QCOMPARE(desktop.helpOpened, std::vector<std::string>{manual.toStdString()});
        QVERIFY(dialog_->isVisible());
    }

    void cancelAndEscapeReturnFalse() {
        Open(true);
        dialog_.reset();
        MergeSettings settings;
        settings.albumTitle = "Moby Dick";
        MergeOptionsForm form(settings);
        form.SetUp();
        QtFrontEnd ui(nullptr);
        WhenModal(QStringLiteral("mergeOptionsDialog"),
                  [](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QVERIFY(!ui.RunMergeOptions(form));
        WhenModal(QStringLiteral("mergeOptionsDialog"), [](QWidget* dialog) {
            dialog->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        });
        QVERIFY(!ui.RunMergeOptions(form));
        WhenModal(QStringLiteral("mergeOptionsDialog"), [](QWidget* dialog) {
            dialog->findChild<QPushButton*>(QStringLiteral("startMergeButton"))->click();
        });
        QVERIFY(ui.RunMergeOptions(form));
    }
};

BRAMBEX_SHELL_TEST_MAIN(MergeOptionsDialogTest)
#include "merge_options_dialog_test.moc"
