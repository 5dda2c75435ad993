// The Merge Options dialog as a model without widgets: every control's text, check
// state, enabled state and the genre list with its selection, and the dialog's own
// behaviour (the two types of CDs with their wording and defaults, the keep boxes, the
// genre box, the title check and the confirmation). The desktop dialog binds widgets to
// it; the command-line program drives it from its options; the tests drive it directly.
//
// Who calls what during one run of the dialog:
//   1. PrepareMergeSettings constructs the form over the merge's settings and calls
//      SetUp().
//   2. It then calls Questions::RunMergeOptions(form). The front end shows the controls,
//      forwards every click and keystroke to the setters below and re-reads the getters
//      after each call (or whenever the changed callback fires). When the user presses
//      "Start Merge" it asks for Refusal(): with one the dialog shows it and stays
//      open; without one it returns true. Cancel, the close box and Escape return false
//      without asking.
//   3. When RunMergeOptions returned true, PrepareMergeSettings calls Confirm(), which
//      writes the controls' values into the settings. Nothing is written otherwise.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "options/merge_choices.h"
#include "options/merge_preview.h"
#include "options/message.h"
#include "options/title_check.h"

namespace brambex {

struct MergeSettings;

// The title proposed from an album title alone: the album title without leading and
// trailing blanks and a trailing disc-1 ending, marked as the first of numbered output
// folders ("_1"), with characters a folder name cannot hold replaced by "-". The merge
// proposes what ProposedSetTitle (engine/library.h) makes of it; this alone serves a
// form that was told no proposal.
std::string ProposedTitle(std::string_view albumTitle);

// The name of the genre that a genre reference such as "(17)" stands for ("Rock"); any
// text that does not read as a reference to a known genre is given back unchanged.
// The number is decimal (ReadGenreText).
std::string GenreDisplayName(std::string_view text);

// One entry of the genre list: the name shown and the genre number it carries.
struct GenreEntry {
    std::string name;
    int number = 0;
};

// An edit field: its text and whether the user may change it.
struct FieldState {
    std::string text;
    bool enabled = true;
};

// A check box: its caption (which may depend on the type of CDs) and check state.
struct CheckState {
    std::string caption;
    bool checked = false;
};

class MergeOptionsForm {
  public:
    // The dialog's caption and the fixed captions of its controls.
    static constexpr std::string_view Caption = "Merge Options";
    static constexpr std::string_view TypeGroupCaption = "Type of CDs";
    static constexpr std::string_view OptionsGroupCaption = "Options";
    static constexpr std::string_view GenreGroupCaption = "Genre";
    static constexpr std::string_view MusicCaption = "Music CDs";
    static constexpr std::string_view AudioBooksCaption = "Audio Books";
    static constexpr std::string_view StartCaption = "Start Merge";
    static constexpr std::string_view CancelCaption = "Cancel";
    static constexpr std::string_view HelpCaption = "Help";
    // How many characters the user may type into the title, artist and name fields and
    // into the genre box. The view enforces these; text the form puts into a control
    // itself may be longer.
    static constexpr int EditTypingLimit = 254;
    static constexpr int GenreTypingLimit = 29;
    static constexpr int BitrateTypingLimit = 3;

    // The form proposes the first track's tags and the type of CDs of the settings,
    // which must outlive it; Confirm writes the controls' values into their choices,
    // and the radio buttons the type of CDs.
    explicit MergeOptionsForm(MergeSettings& settings);

    // Called once before the dialog is shown: checks the radio button of the current
    // type of CDs, applies that type's wording and defaults, then fills the genre list.
    // Settings whose choices were confirmed for this set already (choicesConfirmed)
    // are shown as confirmed instead of the defaults.
    void SetUp();

    // The two radio buttons: set the program-wide type of CDs and apply its wording and
    // defaults, discarding what the user had typed. Also when it was chosen already.
    void ChooseMusic();
    void ChooseAudioBooks();

    // What the user types.
    void SetTitleText(std::string_view text);
    void SetArtistText(std::string_view text);
    void SetNameText(std::string_view text);
    // Typing into the genre box; clears the list selection.
    void SetGenreText(std::string_view text);
    // Picking a genre from the list by its position in GenreList(); false (and nothing
    // changed) when there is no such position.
    bool PickGenre(int listIndex);
    // Picking the entry that carries a genre number; false when none does.
    bool PickGenreNumber(int number);

    // What the merge writes, and how many tracks it writes at a time (0: as many as
    // suit the machine); both stay from one merge to the next, as the type of CDs does.
    void SetFormat(OutputFormat format);
    void SetJobs(int jobs);
    OutputFormat Format() const { return format_; }
    int Jobs() const { return jobs_; }
    // An M4B book's AAC bitrate as typed (ReadBitrate reads it) and whether it is mixed
    // down to one channel; they stay from one merge to the next as the format does. A
    // bitrate that does not read leaves the one confirmed before.
    void SetBitrateText(std::string_view text);
    void SetMono(bool mono);
    const FieldState& Bitrate() const { return bitrate_; }
    bool Mono() const { return mono_; }

    // Clicks on the keep boxes: set the check state, then run the box's response.
    void SetKeepGenre(bool checked);
    void SetKeepAlbumTitle(bool checked);
    void SetKeepArtist(bool checked);
    void SetKeepTrackNames(bool checked);

    // The first track whose tags filled the form, and why they could not be read (see
    // MergeSettings::firstTrackError); none when they were.
    const std::string& FirstTrackPath() const;
    std::error_code FirstTrackError() const;

    // True while the title shown is the proposal made from the set's folder name
    // rather than from the first track's album (which names none, or would give the
    // output folder of another set beside it).
    bool TitleFromFolder() const;

    // The test when "Start Merge" is pressed: while the title is not allowed
    // (TitleAllowed), the message (caption "Error", a warning) that keeps the dialog
    // open; nothing when it may close.
    std::optional<Message> Refusal() const;
    // True when the title is not empty and holds no forbidden character, nor, on
    // Windows, a name FindWindowsNameProblem finds (Refusal without the message).
    bool TitleAllowed() const;
    // Writes the controls' values into the settings' choices, each text cut to 511
    // characters.
    void Confirm();

    // Where Preview gets its plan; without one Preview is empty.
    void SetPreviewSource(PreviewSource source) { preview_ = std::move(source); }
    // The merge the controls' values would make now, planned over a copy of the
    // settings; the settings themselves are not touched.
    MergePreview Preview() const;

    // The form answers for several sets at once (a library's merge): each set keeps its
    // own title and artist, so the title and artist fields are not offered, and a note
    // says so instead. Before the dialog is shown.
    void ShareAmongSets() { sharedAmongSets_ = true; }
    bool SharedAmongSets() const { return sharedAmongSets_; }
    // "Each set keeps its own title and author, from its first track."; empty for a
    // form of one set.
    std::string SharedNote() const;

    // A view may register one callback; it runs after every operation above that
    // changed the form (SetUp, the radio buttons, the setters and picks).
    void SetChangedCallback(std::function<void()> callback);

    // The radio buttons' check states (both false before SetUp).
    bool MusicChecked() const { return musicChecked_; }
    bool AudioBooksChecked() const { return audioBooksChecked_; }

    const FieldState& Title() const { return title_; }
    const FieldState& Artist() const { return artist_; }
    const FieldState& Name() const { return name_; }

    // Captions of the three groups around the fields; they follow the type of CDs.
    const std::string& TitleGroupCaption() const { return titleGroupCaption_; }
    const std::string& ArtistGroupCaption() const { return artistGroupCaption_; }
    const std::string& NameGroupCaption() const { return nameGroupCaption_; }

    const CheckState& KeepGenre() const { return keepGenre_; }
    const CheckState& KeepAlbumTitle() const { return keepAlbumTitle_; }
    const CheckState& KeepArtist() const { return keepArtist_; }
    const CheckState& KeepTrackNames() const { return keepTrackNames_; }

    // The genre box: its list in alphabetical order (empty before SetUp), the selected
    // position in that list or none, the edit field's text and enabled state, and
    // whether the edit field's text is shown highlighted (selected as a whole).
    const std::vector<GenreEntry>& GenreList() const { return genreList_; }
    std::optional<int> GenreSelection() const { return genreSelection_; }
    const FieldState& Genre() const { return genre_; }
    bool GenreTextHighlighted() const { return genreTextHighlighted_; }

  private:
    // The message that refuses the title; empty when it is allowed.
    std::string_view TitleRefusal() const;
    std::string Proposal(OutputFormat format) const;
    void ChooseMode(bool books);
    void ApplyMode();
    void ShowConfirmed();
    void ShowConfirmedGenre(std::string_view genre);
    void KeepGenreResponse();
    void KeepAlbumTitleResponse();
    void KeepArtistResponse();
    void KeepTrackNamesResponse();
    void PutGenreText(std::string_view text);
    void Changed();
    void ConfirmInto(MergeSettings& settings) const;

    MergeSettings& settings_;
    std::function<void()> changed_;
    PreviewSource preview_;

    bool musicChecked_ = false;
    bool audioBooksChecked_ = false;
    FieldState title_;
    FieldState artist_;
    FieldState name_;
    std::string titleGroupCaption_;
    std::string artistGroupCaption_;
    std::string nameGroupCaption_;
    CheckState keepGenre_;
    CheckState keepAlbumTitle_;
    CheckState keepArtist_;
    CheckState keepTrackNames_;
    std::vector<GenreEntry> genreList_;
    std::optional<int> genreSelection_;
    FieldState genre_;
    bool genreTextHighlighted_ = false;
    bool sharedAmongSets_ = false;
    OutputFormat format_ = OutputFormat::FolderOfTracks;
    int jobs_ = 0;
    FieldState bitrate_;
    bool mono_ = false;
};

}  // namespace brambex
