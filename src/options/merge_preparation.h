// Getting a merge's settings before its first track is copied: prefill them from the
// first track's tags, and let the user confirm or change them in the Merge Options
// dialog.
#pragma once

#include <functional>
#include <string>

#include "options/merge_preview.h"
#include "options/message.h"
#include "platform/file_system.h"

namespace brambex {

class MergeOptionsForm;
struct MergeSettings;

// Fills genre, albumTitle, artist and titleTemplate from the album (TALB), band (TPE2,
// else the artist's TPE1), genre (TCON) and title (TIT2) frames of the file's ID3v2 tag
// (2.2, 2.3 or 2.4), taking what the tag lacks from the ID3v1 trailer (a missing genre
// becomes the reference "(N)" of the trailer's genre byte). A file that cannot be
// opened gives four empty texts; the missing ones stay empty when the file cannot be
// read to its end. Frame texts are cut to 511 characters, trailer texts to 30. Never
// fails: firstTrackPath and firstTrackError say which file was read and why it could
// not be. What the path names is asked of `files`.
void ReadFirstTrackTags(platform::FileSystem& files, MergeSettings& settings,
                        const std::string& path);

enum class Preparation {
    Confirmed,
    Cancelled,  // the user cancelled the Merge Options dialog
    Refused,    // the title cannot name a folder; the user has been told
};

// What runs the Merge Options dialog over a form (the front end's question): true when
// the user confirmed it.
using RunMergeOptionsForm = std::function<bool(MergeOptionsForm&)>;
// What a message of the preparation is given to (the front end's messages).
using TellMessage = std::function<void(const Message&)>;

// ReadFirstTrackTags, then the Merge Options dialog: builds a MergeOptionsForm over the
// settings, calls its SetUp, runs it through runForm and, when that returns true, checks
// the title once more (the form's Refusal, told; Refused) and calls Confirm. Cancelled
// or Refused with the choices untouched. The dialog shows the preview of the merge its
// values would make.
Preparation PrepareMergeSettings(platform::FileSystem& files, MergeSettings& settings,
                                 const RunMergeOptionsForm& runForm, const TellMessage& tell,
                                 const std::string& path, const PreviewSource& preview = {});

}  // namespace brambex
