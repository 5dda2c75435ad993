#include "options/merge_options_form.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "options/bitrate.h"
#include "options/disc_ending.h"
#include "options/merge_preparation.h"
#include "options/merge_settings.h"
#include "options/title_numbers.h"
#include "platform/ascii_case.h"
#include "tags/genre_table.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

constexpr std::string_view AudiobookGenre = "Audiobook";
constexpr std::string_view MusicPattern = "<song>";
constexpr std::string_view BookPattern = "<disc>-<track> <book>";
}  // namespace

std::string ProposedTitle(std::string_view albumTitle) {
    std::string title(WithoutOuterBlanks(albumTitle));
    // A bare " 1" may belong to the name ("Opus 1"); a bare " 01" is a disc number.
    std::optional<DiscEnding> ending = FindDiscEnding(title);
    if (ending && ending->number == 1 &&
        (ending->word || ending->numberEnd - ending->numberAt == 2))
        title = std::string(WithoutOuterBlanks(std::string_view(title).substr(0, ending->at)));
    title += FirstFolderEnding;
    for (char& c : title) {
        if (ForbiddenTitleChars.find(c) != std::string_view::npos)
            c = '-';
    }
    return title;
}

std::string GenreDisplayName(std::string_view text) {
    const GenreText genre = ReadGenreText(text);
    if (genre.form != GenreText::Form::Reference)
        return std::string(text);
    return std::string(GenreTable::GenreName(genre.number).value_or(text));
}

namespace {

// The genre box's text for the first track's genre. 255 is ID3v1's "no genre", which
// the trailer of an untagged track carries: the box stays empty rather than say "(255)".
std::string FirstTrackGenreText(std::string_view genre) {
    return genre == "(255)" ? std::string() : GenreDisplayName(genre);
}

}  // namespace

MergeOptionsForm::MergeOptionsForm(MergeSettings& settings) : settings_(settings) {
    titleGroupCaption_ = "Album/Book title";
    artistGroupCaption_ = "Artist/Author";
    nameGroupCaption_ = "Song/Track name";
    keepGenre_.caption = "Keep the current genre";
    keepAlbumTitle_.caption = "Keep the current album title";
    keepArtist_.caption = "Keep the current artist";
    keepTrackNames_.caption = "Keep the current track names";
}

void MergeOptionsForm::SetUp() {
    musicChecked_ = !settings_.choices.audioBookMode;
    audioBooksChecked_ = settings_.choices.audioBookMode;
    // The title proposed depends on the format.
    format_ = settings_.choices.format;
    ApplyMode();
    // The list is filled after the mode's genre text went into the box, so that text is
    // shown as typed and selects no entry.
    genreList_.clear();
    for (int n = 0;; ++n) {
        std::optional<std::string_view> name = GenreTable::GenreName(n);
        if (!name)
            break;
        genreList_.push_back({std::string(*name), n});
    }
    std::stable_sort(genreList_.begin(), genreList_.end(),
                     [](const GenreEntry& a, const GenreEntry& b) {
                         return LessIgnoringAsciiCase(a.name, b.name);
                     });
    genreSelection_.reset();
    jobs_ = settings_.choices.jobs;
    bitrate_.text = std::to_string(settings_.choices.bitrateKbps);
    mono_ = settings_.choices.mono;
    if (settings_.choicesConfirmed)
        ShowConfirmed();
    Changed();
}

// The controls as their choices were confirmed: each keep box with the state it gives
// its field, and every text as it was, not as the boxes' responses would put it.
void MergeOptionsForm::ShowConfirmed() {
    const MergeChoices& confirmed = settings_.choices;
    keepGenre_.checked = confirmed.keepGenre;
    keepAlbumTitle_.checked = confirmed.keepAlbumTitle;
    keepArtist_.checked = confirmed.keepArtist;
    keepTrackNames_.checked = confirmed.keepTrackNames;
    genre_.enabled = !confirmed.keepGenre;
    title_.enabled = !confirmed.keepAlbumTitle;
    artist_.enabled = !confirmed.keepArtist;
    name_.enabled = !confirmed.keepTrackNames;
    title_.text = confirmed.title;
    artist_.text = confirmed.artist;
    name_.text = confirmed.titleTemplate;
    ShowConfirmedGenre(confirmed.genre);
}

// A genre picked from the list was confirmed as its reference and is picked again;
// any other text was typed and comes back as typed.
void MergeOptionsForm::ShowConfirmedGenre(std::string_view genre) {
    genreSelection_.reset();
    genre_.text = genre;
    for (std::size_t i = 0; i < genreList_.size(); ++i) {
        if (genre == GenreReference(genreList_[i].number)) {
            genreSelection_ = static_cast<int>(i);
            genre_.text = genreList_[i].name;
        }
    }
}

void MergeOptionsForm::SetFormat(OutputFormat format) {
    // A title still as proposed follows the format, with or without its "_1".
    const bool proposed = title_.text == Proposal(format_);
    format_ = format;
    if (proposed)
        title_.text = Proposal(format_);
    Changed();
}

void MergeOptionsForm::SetJobs(int jobs) {
    jobs_ = jobs;
    Changed();
}

void MergeOptionsForm::SetBitrateText(std::string_view text) {
    bitrate_.text = text;
    Changed();
}

void MergeOptionsForm::SetMono(bool mono) {
    mono_ = mono;
    Changed();
}

void MergeOptionsForm::ChooseMusic() {
    ChooseMode(false);
}

void MergeOptionsForm::ChooseAudioBooks() {
    ChooseMode(true);
}

// Either radio button, also the one already chosen, applies its mode afresh.
void MergeOptionsForm::ChooseMode(bool books) {
    settings_.choices.audioBookMode = books;
    musicChecked_ = !books;
    audioBooksChecked_ = books;
    ApplyMode();
    Changed();
}

void MergeOptionsForm::ApplyMode() {
    const bool books = audioBooksChecked_;
    keepAlbumTitle_.caption =
        books ? "Keep the current book title" : "Keep the current album title";
    keepArtist_.caption = books ? "Keep the current author" : "Keep the current artist";
    keepTrackNames_.caption =
        books ? "Keep the current track names" : "Keep the current song names";
    titleGroupCaption_ =
        books ? "Book title (and output folder name)" : "Album title (and output folder name)";
    artistGroupCaption_ = books ? "Author" : "Artist";
    nameGroupCaption_ = books ? "Track name" : "Song name";

    title_.text = Proposal(format_);
    keepAlbumTitle_.checked = false;
    artist_.text = settings_.artist;
    if (books) {
        genreSelection_.reset();
        PutGenreText(AudiobookGenre);
        keepGenre_.checked = false;
        keepArtist_.checked = false;
        keepTrackNames_.checked = false;
    } else {
        PutGenreText(FirstTrackGenreText(settings_.genre));
        name_.text = MusicPattern;
        keepGenre_.checked = true;
        keepArtist_.checked = true;
        keepTrackNames_.checked = true;
    }
    KeepGenreResponse();
    KeepAlbumTitleResponse();
    KeepArtistResponse();
    KeepTrackNamesResponse();
}

void MergeOptionsForm::KeepGenreResponse() {
    if (keepGenre_.checked || musicChecked_) {
        PutGenreText(FirstTrackGenreText(settings_.genre));
    } else {
        PutGenreText(AudiobookGenre);
    }
    genre_.enabled = !keepGenre_.checked;
}

void MergeOptionsForm::KeepAlbumTitleResponse() {
    title_.enabled = !keepAlbumTitle_.checked;
}

void MergeOptionsForm::KeepArtistResponse() {
    artist_.enabled = !keepArtist_.checked;
}

void MergeOptionsForm::KeepTrackNamesResponse() {
    name_.text = (keepTrackNames_.checked || musicChecked_) ? MusicPattern : BookPattern;
    name_.enabled = !keepTrackNames_.checked;
}

void MergeOptionsForm::PutGenreText(std::string_view text) {
    genreTextHighlighted_ = true;
    // An empty text would match every entry and silently turn "no genre" into the first
    // genre of the list; it selects nothing instead.
    if (!text.empty()) {
        for (std::size_t i = 0; i < genreList_.size(); ++i) {
            if (StartsWithIgnoringAsciiCase(genreList_[i].name, text)) {
                genreSelection_ = static_cast<int>(i);
                genre_.text = genreList_[i].name;
                return;
            }
        }
    }
    genreSelection_.reset();
    genre_.text = text;
}

void MergeOptionsForm::SetTitleText(std::string_view text) {
    title_.text = text;
    Changed();
}

void MergeOptionsForm::SetArtistText(std::string_view text) {
    artist_.text = text;
    Changed();
}

void MergeOptionsForm::SetNameText(std::string_view text) {
    name_.text = text;
    Changed();
}

void MergeOptionsForm::SetGenreText(std::string_view text) {
    genre_.text = text;
    genreSelection_.reset();
    genreTextHighlighted_ = false;
    Changed();
}

bool MergeOptionsForm::PickGenre(int listIndex) {
    if (listIndex < 0 || listIndex >= static_cast<int>(genreList_.size()))
        return false;
    genreSelection_ = listIndex;
    genre_.text = genreList_[static_cast<std::size_t>(listIndex)].name;
    genreTextHighlighted_ = true;
    Changed();
    return true;
}

bool MergeOptionsForm::PickGenreNumber(int number) {
    for (std::size_t i = 0; i < genreList_.size(); ++i) {
        if (genreList_[i].number == number)
            return PickGenre(static_cast<int>(i));
    }
    return false;
}

void MergeOptionsForm::SetKeepGenre(bool checked) {
    keepGenre_.checked = checked;
    KeepGenreResponse();
    Changed();
}

void MergeOptionsForm::SetKeepAlbumTitle(bool checked) {
    keepAlbumTitle_.checked = checked;
    KeepAlbumTitleResponse();
    Changed();
}

void MergeOptionsForm::SetKeepArtist(bool checked) {
    keepArtist_.checked = checked;
    KeepArtistResponse();
    Changed();
}

void MergeOptionsForm::SetKeepTrackNames(bool checked) {
    keepTrackNames_.checked = checked;
    KeepTrackNamesResponse();
    Changed();
}

const std::string& MergeOptionsForm::FirstTrackPath() const {
    return settings_.firstTrackPath;
}

std::error_code MergeOptionsForm::FirstTrackError() const {
    return settings_.firstTrackError;
}

std::string_view MergeOptionsForm::TitleRefusal() const {
    // The title names the output folder as it is cut for the settings.
    return TitleRefusalText(CutUtf8Chars(title_.text, MaxSettingsText));
}

std::string MergeOptionsForm::Proposal(OutputFormat format) const {
    return ProposedTitleFor(format, settings_.proposedTitle.empty()
                                        ? ProposedTitle(settings_.albumTitle)
                                        : settings_.proposedTitle);
}

bool MergeOptionsForm::TitleFromFolder() const {
    return !settings_.proposedTitle.empty() &&
           title_.text == ProposedTitleFor(format_, settings_.proposedTitle) &&
           title_.text != ProposedTitleFor(format_, ProposedTitle(settings_.albumTitle));
}

bool MergeOptionsForm::TitleAllowed() const {
    return TitleRefusal().empty();
}

std::optional<Message> MergeOptionsForm::Refusal() const {
    if (TitleAllowed())
        return std::nullopt;
    return Message{std::string(TitleRefusal()), "Error", MessageKind::Warning};
}

void MergeOptionsForm::Confirm() {
    ConfirmInto(settings_);
}

MergePreview MergeOptionsForm::Preview() const {
    if (!preview_)
        return {};
    if (!TitleAllowed())
        return {{}, {}, std::string(TitleRefusal()), {}};
    MergeSettings tentative = settings_;
    ConfirmInto(tentative);
    return preview_(tentative.choices);
}

void MergeOptionsForm::ConfirmInto(MergeSettings& settings) const {
    auto cut = [](std::string_view text) {
        return std::string(CutUtf8Chars(text, MaxSettingsText));
    };
    MergeChoices& choices = settings.choices;
    if (genreSelection_) {
        choices.genre =
            GenreReference(genreList_[static_cast<std::size_t>(*genreSelection_)].number);
    } else {
        choices.genre = cut(genre_.text);
    }
    choices.title = cut(title_.text);
    choices.artist = cut(artist_.text);
    choices.titleTemplate = cut(name_.text);
    choices.keepTrackNames = keepTrackNames_.checked;
    choices.keepGenre = keepGenre_.checked;
    choices.keepArtist = keepArtist_.checked;
    choices.keepAlbumTitle = keepAlbumTitle_.checked;
    choices.format = format_;
    choices.jobs = jobs_;
    if (const std::optional<int> kbps = ReadBitrate(bitrate_.text))
        choices.bitrateKbps = *kbps;
    choices.mono = mono_;
}

void MergeOptionsForm::SetChangedCallback(std::function<void()> callback) {
    changed_ = std::move(callback);
}

void MergeOptionsForm::Changed() {
    if (changed_)
        changed_();
}

std::string MergeOptionsForm::SharedNote() const {
    if (!sharedAmongSets_)
        return {};
    return std::string("Each set keeps its own title and ") +
           (audioBooksChecked_ ? "author" : "artist") + ", from its first track.";
}

}  // namespace brambex
