#include "app/merge_options_view.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "options/bitrate.h"
#include "options/merge_options_form.h"
#include "options/title_template.h"

namespace brambex {

namespace {

bool SameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

// A build without the M4B encoder does not offer what it cannot write.
constexpr auto Formats = std::to_array<FormatEntry>({
    {OutputFormat::FolderOfTracks, "Folders of tracks"},
    {OutputFormat::Mp3Book, "One MP3 with chapters"},
#ifdef BRAMBEX_M4B
    {OutputFormat::M4bBook, "One M4B audiobook"},
#endif
});

// "Into the folder "A":", "Into the folders "A_1", "A_2" and "A_3":".
std::string FoldersHeading(const std::vector<std::string>& folders) {
    std::string heading = folders.size() == 1 ? "Into the folder " : "Into the folders ";
    for (std::size_t f = 0; f < folders.size(); ++f) {
        if (f > 0)
            heading += f + 1 == folders.size() ? " and " : ", ";
        heading += '"' + folders[f] + '"';
    }
    return heading + ':';
}

}  // namespace

std::string WithMnemonic(std::string_view caption, char key) {
    std::optional<std::size_t> at;
    // A word that begins with the key first, then the key anywhere.
    for (const bool wordStart : {true, false}) {
        for (std::size_t i = 0; i < caption.size() && !at; ++i) {
            if (SameLetter(caption[i], key) && (!wordStart || i == 0 || caption[i - 1] == ' '))
                at = i;
        }
    }
    if (!at)
        return std::string(caption) + " (&" +
               static_cast<char>(std::toupper(static_cast<unsigned char>(key))) + ")";
    std::string marked(caption);
    marked.insert(*at, 1, '&');
    return marked;
}

// The keys stay the same in both types of CDs, so a hand that has learnt them keeps
// them: each is in the captions of both.
MergeOptionsCaptions MarkedCaptions(const MergeOptionsForm& form) {
    MergeOptionsCaptions c;
    c.start = WithMnemonic(MergeOptionsForm::StartCaption, 's');
    c.cancel = WithMnemonic(MergeOptionsForm::CancelCaption, 'c');
    c.help = WithMnemonic(MergeOptionsForm::HelpCaption, 'h');
    c.music = WithMnemonic(MergeOptionsForm::MusicCaption, 'm');
    c.audioBooks = WithMnemonic(MergeOptionsForm::AudioBooksCaption, 'a');
    c.keepGenre = WithMnemonic(form.KeepGenre().caption, 'k');
    c.keepAlbumTitle = WithMnemonic(form.KeepAlbumTitle().caption, 'b');
    c.keepArtist = WithMnemonic(form.KeepArtist().caption, 'u');
    c.keepTrackNames = WithMnemonic(form.KeepTrackNames().caption, 'p');
    c.genre = WithMnemonic(MergeOptionsForm::GenreGroupCaption, 'g');
    c.title = WithMnemonic(form.TitleGroupCaption(), 't');
    c.artist = WithMnemonic(form.ArtistGroupCaption(), 'r');
    c.name = WithMnemonic(form.NameGroupCaption(), 'n');
    c.format = WithMnemonic("Output", 'o');
    c.jobs = WithMnemonic("Tracks written at a time", 'w');
    c.bitrate = WithMnemonic("Bitrate (kb/s)", 'i');
    c.mono = WithMnemonic("Mix down to mono", 'd');
    return c;
}

FormProblems FindFormProblems(const MergeOptionsForm& form, const MergePreview& preview) {
    FormProblems problems;
    if (std::optional<Message> refusal = form.Refusal())
        problems.title = refusal->text;
    // A code that is not in the list fails every track that has a title of its own,
    // whatever that title is.
    std::string title;
    std::string error;
    if (!form.KeepTrackNames().checked &&
        !ExpandTitleTemplate(form.Title().text, form.Name().text, 1, 1, "", title, error))
        problems.name = error;
    if (BookStreamOffered(form) && !ReadBitrate(form.Bitrate().text))
        problems.bitrate = "The bitrate needs " + BitrateRangeText() + ".";
    if (problems.title.empty() && problems.name.empty() && problems.bitrate.empty())
        problems.preview = preview.problem;
    return problems;
}

const std::string& FormProblems::FieldProblem() const {
    return !title.empty() ? title : !name.empty() ? name : bitrate;
}

std::span<const FormatEntry> OfferedFormats() {
    return Formats;
}

int FormatIndex(OutputFormat format) {
    const auto offered = OfferedFormats();
    const auto at = std::find_if(offered.begin(), offered.end(),
                                 [&](const FormatEntry& entry) { return entry.format == format; });
    return at == offered.end() ? 0 : static_cast<int>(at - offered.begin());
}

bool FormatOffered(OutputFormat format) {
    const auto offered = OfferedFormats();
    return std::any_of(offered.begin(), offered.end(),
                       [&](const FormatEntry& entry) { return entry.format == format; });
}

std::vector<JobsEntry> JobsEntries() {
    std::vector<JobsEntry> entries{{0, "Automatic"}};
    for (int jobs = 1; jobs <= MaxJobs; ++jobs)
        entries.push_back({jobs, std::to_string(jobs)});
    return entries;
}

bool BookStreamOffered(const MergeOptionsForm& form) {
    return form.Format() == OutputFormat::M4bBook;
}

std::string BookStreamText(const MergeOptionsForm& form) {
    const std::optional<int> kbps = ReadBitrate(form.Bitrate().text);
    if (!BookStreamOffered(form) || !kbps)
        return {};
    return "AAC at " + std::to_string(*kbps) + " kb/s" + (form.Mono() ? ", mono" : "");
}

PreviewLines ListPreview(const MergePreview& preview, OutputFormat format,
                         std::string_view bookStream) {
    PreviewLines lines;
    const bool book = format != OutputFormat::FolderOfTracks;
    lines.firstColumn = book ? "Chapter" : "File";
    for (std::size_t i = 0; i < preview.tracks.size(); ++i) {
        const PreviewTrack& track = preview.tracks[i];
        lines.rows.emplace_back(book ? std::to_string(i + 1) : track.fileName, track.title);
    }
    if (!preview.problem.empty() || preview.folders.empty()) {
        lines.heading = preview.problem;
        return lines;
    }
    lines.heading = FoldersHeading(preview.folders);
    // A book is one file in its folder, and the tracks are its chapters.
    if (book && !preview.bookFile.empty()) {
        lines.heading.pop_back();
        lines.heading += ", the file \"" + preview.bookFile + "\"";
        if (!bookStream.empty())
            lines.heading += " (" + std::string(bookStream) + ")";
        lines.heading += " with the chapters:";
    }
    return lines;
}

}  // namespace brambex
