// One pass of one MP3 file from an input stream to an output stream: a complete
// ID3v2.3 tag, every audio byte of the input unchanged, then the ID3v1 trailer.
//
// MP3::Rewrite is the whole pass, for the merge and for every other caller. It reads
// the input tag (ID3v2.2, 2.3 or 2.4) twice: a first walk learns the size of each
// output frame and the texts the caller may want, the caller's editor then says what
// to set, and a second walk writes the tag. Every input frame is kept: 2.2 and 2.4
// frames are converted to their 2.3 form, and only those that 2.3 has no form for, or
// that cannot be read, are left out, named in a diagnostic line. A second ID3v2 tag
// right after the first is read as part of it. An input without a tag, or with one too
// broken to walk, gets a new tag in front and is copied whole as audio. Frames stream
// through fixed buffers, converted or not, so a large picture or text is never held
// whole, and the pass allocates nothing.
//
// Texts are UTF-8 inside the program; frames are written as ISO-8859-1 when the text
// allows it and as UTF-16 with a byte-order mark otherwise. Diagnostics are single
// lines sent to the sink the pass is given (tags/diagnostic.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_stream.h"
#include "tags/diagnostic.h"
#include "tags/frame_walk.h"
#include "tags/mp3_pass.h"
#include "tags/tag_edits.h"
#include "tags/trailer.h"

namespace brambex {

class MP3;

// How the pass found the input laid out and laid out the output.
struct PassLayout {
    // Bytes after the output tag's header, and whether it had to grow past the input's.
    std::uint32_t outputTagSize = 0;
    bool tagGrew = false;
    // Input frames left out: 2.3 has no form for them, or they cannot be read.
    int framesLeftOut = 0;
    // Whether a second ID3v2 tag followed the first and was read with it.
    bool secondTag = false;
    // The input's size when its audio was copied; -1 when it could not be told.
    std::int64_t inputSize = -1;
    // Where the input's audio ended, before an APE tag, a Lyrics3v2 block and the
    // trailer; -1 when its size could not be told (then none of them is looked for).
    std::int64_t audioEnd = -1;
    bool apeTag = false;
    // Whether an ID3v1 trailer ended the input.
    bool trailer = false;
    // Where the input's audio started, after its ID3v2 tags.
    std::int64_t audioStart = 0;
};

// The caller's side of a pass.
class TagEditor {
  public:
    virtual ~TagEditor() = default;
    // Called once the input tag has been read and before anything is written; the
    // input's texts are there to be asked. False stops the pass with nothing written.
    virtual bool Edit(const MP3& input, TagEdits& edits) = 0;
    // Each frame of the output tag, in order (also when nothing is written).
    virtual void Frame(const OutputFrame&) {}
};

// The pass's orchestrator: it holds the record each stage fills and hands it on.
class MP3 {
  public:
    // The sink gets the pass's diagnostic lines; it must outlive the pass.
    explicit MP3(DiagnosticSink& diagnostics);
    MP3(const MP3&) = delete;
    MP3& operator=(const MP3&) = delete;

    // The whole pass. Without an output it only reads: the editor still sees every
    // frame, and Id3v1() gives the input's trailer. False when the editor stopped the
    // pass or a read or write failed (see Failed()).
    bool Rewrite(InputFile& in, OutputFile* out, TagEditor& editor);
    // A reading pass with no edits.
    bool Read(InputFile& in);

    TagKind InputKind() const { return tags_.kind; }
    // The input's text of a field (several values joined with "/"); empty when the
    // input lacks the frame.
    std::string_view InputText(TagField field) const;
    bool HasInputFrame(TagField field) const;
    // The input's year: its TYER's (a 2.4 tag's recording time's), else its trailer's;
    // empty when it has neither.
    std::string InputYear() const;
    // The ID3v1 trailer: the input's (fresh when it had none), as edited once written.
    const Trailer& Id3v1() const { return tail_.trailer; }
    PassLayout Layout() const;
    // True once a read or write of this pass failed; the output is then incomplete.
    bool Failed() const { return report_.Failed(); }

  private:
    void WritePadding(OutputFile* out, std::uint64_t written);

    PassReport report_;
    InputTags tags_;
    FrameWalk walk_;
    TagAsRead read_;
    OutputTag output_;
    AudioTail tail_;
};

}  // namespace brambex
