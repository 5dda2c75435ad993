// What the Merge Options dialog shows beside the form's own values, decided without
// Qt: every control's caption with its Alt key, what keeps "Start Merge" from being
// pressed and the field at fault, the output formats and the counts of tracks written
// at a time that it offers, when it offers an M4B book's bitrate and mono, and its
// preview as a heading and rows.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "options/merge_choices.h"
#include "options/merge_preview.h"

namespace brambex {

class MergeOptionsForm;

// The caption with "&" before the key: before the first word that begins with it
// (either case), else before its first place; a caption without it gets " (&K)".
std::string WithMnemonic(std::string_view caption, char key);

// Each control's caption with its Alt key marked; no two keys alike in either type of
// CDs. The captions of the keep boxes and the fields' groups follow the form's type.
struct MergeOptionsCaptions {
    std::string start, cancel, help, music, audioBooks;
    std::string keepGenre, keepAlbumTitle, keepArtist, keepTrackNames;
    std::string genre, title, artist, name, format, jobs, bitrate, mono;
};
MergeOptionsCaptions MarkedCaptions(const MergeOptionsForm& form);

// What is wrong with the form's values, by the field at fault; all empty when the
// merge may start.
struct FormProblems {
    std::string title;    // the title cannot name the output folder
    std::string name;     // the track-title pattern holds a code that is not in the list
    std::string bitrate;  // an M4B book's bitrate is not one the encoder takes
    std::string preview;  // the merge would stop though no field is at fault
    bool StartEnabled() const {
        return title.empty() && name.empty() && bitrate.empty() && preview.empty();
    }
    // The first of the fields' problems, for a front end with one line for them.
    const std::string& FieldProblem() const;
};
FormProblems FindFormProblems(const MergeOptionsForm& form, const MergePreview& preview);

struct FormatEntry {
    OutputFormat format;
    std::string_view caption;
};
// The formats the dialog offers, in the order its list shows them.
std::span<const FormatEntry> OfferedFormats();
// The format's place in OfferedFormats(); the first's for a format not offered.
int FormatIndex(OutputFormat format);
// Whether OfferedFormats() holds the format: a build without the M4B encoder shows
// no bitrate or mono at all.
bool FormatOffered(OutputFormat format);

struct JobsEntry {
    int jobs = 0;
    std::string caption;  // "Automatic" for 0
};
// "Automatic", then 1 to MaxJobs.
std::vector<JobsEntry> JobsEntries();

// The bitrate field and the mono box are offered for an M4B book alone.
bool BookStreamOffered(const MergeOptionsForm& form);
// What the M4B book's stream will be, as the preview says it ("AAC at 64 kb/s, mono");
// empty for another format or a bitrate that does not read.
std::string BookStreamText(const MergeOptionsForm& form);

// The preview as the dialog lists it: a heading (the output folders, or why the merge
// would stop), the first column's caption ("File", or "Chapter" for a book) and a row
// of two texts for each track shown. A book's stream (BookStreamText) follows its
// file's name.
struct PreviewLines {
    std::string heading;
    std::string firstColumn;
    std::vector<std::pair<std::string, std::string>> rows;
};
PreviewLines ListPreview(const MergePreview& preview, OutputFormat format,
                         std::string_view bookStream = {});

}  // namespace brambex
