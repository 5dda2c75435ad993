#include "engine/library_merge.h"

#include <memory>
#include <utility>

#include "engine/merge_outcome.h"
#include "engine/merge_session.h"
#include "options/form_answers.h"
#include "options/merge_options_form.h"

namespace brambex {

namespace {

// The front end as one set of the library sees it: its title goes into the Merge
// Options form, its progress is a stretch of the library's one window, and what it
// says is kept for the results.
class LibraryFrontEnd : public ForwardingFrontEnd {
  public:
    LibraryFrontEnd(FrontEnd& inner, const LibraryMergeSettings& settings, std::size_t setCount,
                    int totalTracks)
        : ForwardingFrontEnd(inner),
          settings_(settings),
          setCount_(setCount),
          totalTracks_(totalTracks) {}

    void BeginSet(std::size_t index, const LibrarySet& set, int tracksBefore) {
        index_ = index;
        set_ = &set;
        tracksBefore_ = tracksBefore;
        message_.clear();
    }
    const std::string& Message() const { return message_; }
    // Closes the library's progress window.
    void End() { window_.reset(); }

    void ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                     MessageKind style) override {
        // The last word is the reason a set failed; a note before it ("Too many
        // tracks ...") is not.
        if (style != MessageKind::Information)
            message_ = text;
        if (!settings_.keepMessages)
            inner_.ShowMessage(text, caption, style);
    }
    Answer Ask(std::string_view text, std::optional<std::string_view> caption) override {
        // The only question of a merge is whether to empty an earlier output; one that
        // did not finish is replaced as a matter of course.
        if ((settings_.redo && set_->merged) || set_->interrupted)
            return Answer::Yes;
        if (settings_.keepMessages) {
            if (message_.empty())
                message_ = text;
            return Answer::No;
        }
        return inner_.Ask(text, caption);
    }
    // A set whose earlier merge was kept says so as its last word.
    void ShowStatus(std::string_view text) override {
        ShowMessage(text, NoCaption, MessageKind::Notice);
    }
    bool RunMergeOptions(MergeOptionsForm& form) override {
        // The artist the form proposes is this set's, from its first track.
        const std::string artist = form.Artist().text;
        form.SetTitleText(set_->title);
        if (settings_.askOnce && shared_) {
            ApplySharedOptions(*shared_, form);
        } else {
            // The title and artist typed would be this set's alone: they are not asked.
            if (settings_.askOnce)
                form.ShareAmongSets();
            if (!inner_.RunMergeOptions(form))
                return false;
            if (!settings_.askOnce)
                return true;
            shared_ = RecordSharedOptions(form);
        }
        form.SetTitleText(set_->title);
        form.SetArtistText(artist);
        return true;
    }
    std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption,
                                                 std::string_view initialMessage, int) override {
        if (!window_)
            window_ = inner_.OpenProgress(caption, initialMessage, totalTracks_);
        return std::make_unique<Stretch>(*this);
    }

  private:
    // One set's view of the library's progress window.
    class Stretch : public ProgressWindow {
      public:
        explicit Stretch(LibraryFrontEnd& owner) : owner_(owner) {}
        void SetTitle(std::string_view caption) override {
            if (owner_.window_)
                owner_.window_->SetTitle(owner_.Prefix() + std::string(caption));
        }
        void SetMessage(std::string_view text) override {
            if (owner_.window_)
                owner_.window_->SetMessage(owner_.Prefix() + std::string(text));
        }
        void SetProgress(int done) override {
            if (owner_.window_)
                owner_.window_->SetProgress(owner_.tracksBefore_ + done);
        }

      private:
        LibraryFrontEnd& owner_;
    };

    std::string Prefix() const {
        return "Set " + std::to_string(index_ + 1) + " of " + std::to_string(setCount_) + ": ";
    }

    const LibraryMergeSettings& settings_;
    const std::size_t setCount_;
    const int totalTracks_;
    std::size_t index_ = 0;
    const LibrarySet* set_ = nullptr;
    int tracksBefore_ = 0;
    std::string message_;
    std::optional<SharedMergeOptions> shared_;
    std::unique_ptr<ProgressWindow> window_;
};

}  // namespace

SharedMergeOptions RecordSharedOptions(const MergeOptionsForm& form) {
    SharedMergeOptions shared;
    shared.music = form.MusicChecked();
    shared.keepGenre = form.KeepGenre().checked;
    shared.keepAlbumTitle = form.KeepAlbumTitle().checked;
    shared.keepArtist = form.KeepArtist().checked;
    shared.keepTrackNames = form.KeepTrackNames().checked;
    shared.genre = form.Genre().text;
    if (std::optional<int> at = form.GenreSelection())
        shared.genreNumber = form.GenreList()[static_cast<std::size_t>(*at)].number;
    shared.pattern = form.Name().text;
    shared.format = form.Format();
    shared.jobs = form.Jobs();
    shared.bitrate = form.Bitrate().text;
    shared.mono = form.Mono();
    return shared;
}

void ApplySharedOptions(const SharedMergeOptions& shared, MergeOptionsForm& form) {
    FormAnswers answers;
    answers.music = shared.music;
    answers.keepGenre = shared.keepGenre;
    answers.keepAlbumTitle = shared.keepAlbumTitle;
    answers.keepArtist = shared.keepArtist;
    answers.keepTrackNames = shared.keepTrackNames;
    if (!shared.keepGenre) {
        answers.genre = shared.genre;
        answers.genreNumber = shared.genreNumber;
    }
    if (!shared.keepTrackNames)
        answers.pattern = shared.pattern;
    answers.format = shared.format;
    answers.jobs = shared.jobs;
    answers.bitrate = shared.bitrate;
    answers.mono = shared.mono;
    AnswerMergeOptions(form, answers);
}

std::vector<LibrarySetResult> MergeLibrary(platform::FileSystem& files,
                                           const std::vector<LibrarySet>& sets, FrontEnd& ui,
                                           const Cancellation& cancel,
                                           const LibraryMergeSettings& settings,
                                           const LibraryPlanFor& planFor) {
    std::vector<LibrarySetResult> results(sets.size());
    int totalTracks = 0;
    for (const LibrarySet& set : sets)
        totalTracks += set.numberedTracks;
    LibraryFrontEnd libraryUi(ui, settings, sets.size(), totalTracks);
    int tracksBefore = 0;
    for (std::size_t i = 0; i < sets.size(); ++i) {
        if (cancel.Requested())
            break;
        const LibrarySet& set = sets[i];
        LibrarySetResult& result = results[i];
        libraryUi.BeginSet(i, set, tracksBefore);
        tracksBefore += set.numberedTracks;
        MergeSession session(libraryUi, files);
        MergeOutcome outcome = session.Scan(set.discOneFolder);
        if (outcome.Completed()) {
            session.Settings().choices.audioBookMode = settings.audioBookMode;
            session.Settings().choices.jobs = settings.jobs;
            session.Settings().choices.format = settings.format;
            session.Settings().choices.bitrateKbps = settings.bitrateKbps;
            session.Settings().choices.mono = settings.mono;
            session.Settings().proposedTitle = set.title;
            outcome = session.Merge(cancel, planFor ? planFor(i, session) : nullptr);
        }
        result.tracks = outcome.tracks;
        result.message = libraryUi.Message();
        if (outcome.kind == MergeOutcome::Kind::Cancelled) {
            result.state = LibrarySetResult::State::Cancelled;
            break;
        }
        if (!outcome.Completed()) {
            result.state = LibrarySetResult::State::Failed;
            continue;
        }
        result.state = LibrarySetResult::State::Merged;
        result.outputFolders = MergedFolders(session.LastRun(), false);
        result.convertedTags = session.LastRun().convertedTags;
        result.newTags = session.LastRun().newTags;
    }
    libraryUi.End();
    return results;
}

}  // namespace brambex
