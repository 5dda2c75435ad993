// The records of one MP3 pass and the stages that fill them, in the order MP3::Rewrite
// runs them: the header's stage finds where the input's tags lie (InputTags), the
// measuring walk learns the tag as read (TagAsRead), the edits size the output tag
// (OutputTag), the writing walk writes it, and the audio stage copies the audio and
// finds what ends the input (AudioTail). Each stage takes what it reads as a const
// reference and fills what it is named for; all report to the pass's PassReport.
// Private to the codec: MP3 holds the records, so that a pass allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/file_stream.h"
#include "tags/ape_tag.h"
#include "tags/diagnostic.h"
#include "tags/frame_conversion.h"
#include "tags/lyrics3_block.h"
#include "tags/tag_edits.h"
#include "tags/tag_header.h"
#include "tags/trailer.h"

namespace brambex {

class FrameWalk;
class TagEditor;

// Padding given to a new tag and to one that grew.
inline constexpr std::uint32_t OutputTagPadding = 1024;

// The pass's diagnostic lines, and whether a read or write of it failed: each stream's
// failure is told once.
class PassReport {
  public:
    explicit PassReport(DiagnosticSink& sink) : sink_(&sink) {}
    DiagnosticSink& Sink() { return *sink_; }
    // Lines go to `sink` until the next call; returns where they went before.
    DiagnosticSink& Redirect(DiagnosticSink& sink);
    void Fail() { failed_ = true; }
    bool Failed() const { return failed_; }
    // A new pass: nothing failed, nothing told.
    void Restart();
    // Reports what went wrong with the streams, once each, and marks the pass failed.
    void CheckStreams(const InputFile* in, const OutputFile* out);
    // The input held less than the pass had measured.
    void ShortInput(const InputFile& in, const OutputFile* out);

  private:
    DiagnosticSink* sink_;
    bool failed_ = false;
    bool readReported_ = false;
    bool writeReported_ = false;
};

// One ID3v2 tag of the input, of the one or two read as its tag.
struct TagPart {
    TagHeader header;
    std::int64_t start = 0;
    std::int64_t end = 0;  // of its frames, the footer excluded
};

// Where the input's tags lie and where its audio starts. The header's stage fills it;
// the measuring walk moves the audio's start back when a tag cannot be walked.
struct InputTags {
    TagKind kind = TagKind::None;
    TagPart first;
    TagPart second{{}, -1, 0};  // a start of -1: no second tag
    std::int64_t audioStart = 0;
    bool Walkable() const { return kind != TagKind::None && kind != TagKind::Broken; }
    bool HasSecond() const { return second.start >= 0; }
    int PartCount() const { return HasSecond() ? 2 : 1; }
};

// A frame told apart from others of its id by its description or owner.
struct FrameKey {
    char id[4];
    std::uint32_t text;
};

// What the measuring walk learnt of the input's tag: the output bytes of the frames
// that stay as they are, the editable fields, 2.4's dates and people, the frames left
// out, and the first tag's frames for a second tag's to be checked against.
struct TagAsRead {
    // Collected texts are cut to this many bytes.
    static constexpr std::size_t MaxFieldText = 2048;

    std::uint64_t keptSize = 0;  // output bytes of every frame but the fields'
    std::uint64_t fieldSize[TagFieldCount] = {};
    int fieldCount[TagFieldCount] = {};
    char fieldText[TagFieldCount][MaxFieldText + 1];  // up to fieldTextSize
    std::size_t fieldTextSize[TagFieldCount] = {};
    bool hasYear = false, hasDate = false, hasTime = false, hasOriginalYear = false;
    bool hasPeople = false;
    // The year a fresh trailer gets: the first TYER's, else 2.4's recording time's.
    char year[4 * 4 + 1] = {};
    // 2.4's recording and original release times, which become TYER, TDAT, TIME and
    // TORY; only the first frame of each counts.
    Id3Date date;
    bool dateSeen = false;
    Id3Date originalDate;
    bool originalDateSeen = false;
    // The people of 2.4's TIPL and TMCL, which become one IPLS frame: UTF-8 texts
    // separated by zero bytes.
    char people[4096];  // up to peopleSize
    std::size_t peopleSize = 0;
    // The ids left out: [0] those 2.3 has no form for, [1] those that cannot be read.
    char leftOutIds[2][128] = {};
    std::size_t leftOutSize[2] = {};
    int leftOut = 0;
    // Past its length the second tag's frames are all kept.
    FrameKey firstKeys[1024];
    std::size_t firstKeyCount = 0;

    // Forgets what a walk learnt: for a new pass, or a tag found broken on the way.
    void Reset();
    std::string_view FieldText(int field) const { return {fieldText[field], fieldTextSize[field]}; }
    bool KnownKey(const FrameKey& key) const;
    void NoteLeftOut(std::string_view id, bool unreadable);
    // Keeps the year of the input's TYER text for a fresh trailer.
    void NoteYear(std::string_view text);
};

// The output tag: its frames' bytes, the size its header gives (the input's while
// they fit, else theirs and the padding), and whether it grew past the input's.
struct OutputTag {
    std::uint64_t framesSize = 0;
    std::uint32_t size = 0;
    bool grew = false;
};

// What follows the input's audio: the input's size, where the audio ends, the APE tag
// and Lyrics3v2 block before the trailer, and the trailer (the input's, or fresh; edited
// once the audio is copied).
struct AudioTail {
    std::int64_t inputSize = -1;  // -1: it could not be told
    std::int64_t audioEnd = -1;   // -1: none of the tags after it was looked for
    Trailer trailer;
    bool hadTrailer = false;
    ApeTag ape;
    Lyrics3Block lyrics;
};

// The input tag's header.
void ReadInputTags(InputFile& in, InputTags& tags, PassReport& report);
// A second tag right after the first, read as part of it.
void FindSecondTag(InputFile& in, InputTags& tags, PassReport& report);
// Marks the input's tag broken: read as audio, with a new tag in front.
void MarkBroken(InputTags& tags, std::string_view diagnostic, PassReport& report);

// The measuring walk over the tags; a tag it cannot walk is marked broken.
void MeasureTag(InputFile& in, InputTags& tags, FrameWalk& walk, TagAsRead& read,
                PassReport& report);
// The output tag for these edits; false, reported, when it would be too large. A tag
// written anew is padded so that the audio's offset in the output agrees with its
// offset in the input modulo `blockSize`, the output's block size: where the file
// system shares blocks, the audio's copy then shares the input's.
bool SizeOutputTag(const InputTags& tags, const TagAsRead& read, const TagEdits& edits,
                   std::uint32_t blockSize, OutputTag& tag, PassReport& report);

// The writing walk: the output tag's frames as the plans and the edits say, without
// its header and padding (none written without an output). Returns the bytes written.
std::uint64_t WriteTag(InputFile& in, OutputFile* out, const InputTags& tags, const TagAsRead& read,
                       const TagEdits& edits, FrameWalk& walk, TagEditor& editor,
                       PassReport& report);

// Copies the audio from `tags.audioStart` and the APE tag and Lyrics3v2 block after it;
// the trailer is kept in `tail` for the pass to write.
bool CopyAudio(InputFile& in, OutputFile* out, const InputTags& tags, const TagEdits& edits,
               AudioTail& tail, PassReport& report);
// Where the audio would end if it started at `from`: before the trailer, an APE tag and
// a Lyrics3v2 block. Quietly: the copy finds them again and says what it finds then.
std::int64_t AudioEndAfter(InputFile& in, std::int64_t from, PassReport& report);
// The trailer's edits; a fresh trailer takes what the track keeps of its own.
void FinishTrailer(const TagAsRead& read, const TagEdits& edits, AudioTail& tail);

}  // namespace brambex
