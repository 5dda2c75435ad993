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
#include <optional>
#include <string_view>

#include "platform/file_stream.h"
#include "tags/ape_tag.h"
#include "tags/diagnostic.h"
#include "tags/frame_conversion.h"
#include "tags/frame_header.h"
#include "tags/lyrics3_block.h"
#include "tags/payload_converter.h"
#include "tags/tag_header.h"
#include "tags/tag_stream.h"
#include "tags/trailer.h"

namespace brambex {

enum class TagKind : std::uint8_t { None, Broken, V22, V23, V24 };

// The frames whose texts a pass collects and an editor may set, with their 2.3 ids.
enum class TagField : std::uint8_t { Album, Artist, Band, Genre, Title, Track };
constexpr int TagFieldCount = 6;
std::string_view TagFieldId(TagField field);

// What a rewrite sets. Texts are views the caller keeps alive for the pass.
struct TagEdits {
    struct FrameEdit {
        bool set = false;  // the frame's text becomes `text`
        bool add = false;  // and an input without the frame gets it
        std::string_view text;
    };
    FrameEdit frames[TagFieldCount];
    void Set(TagField field, std::string_view text, bool addWhenMissing = true) {
        frames[static_cast<int>(field)] = {true, addWhenMissing, text};
    }

    // The ID3v1 trailer; without editTrailer it stays as read (or fresh).
    bool editTrailer = false;
    // None: the track's own title (from its trailer, else its TIT2).
    std::optional<std::string_view> trailerTitle;
    std::string_view trailerArtist;
    std::string_view trailerAlbum;
    int trailerTrack = 0;
    // -1: the track's own genre (from its trailer, else its TCON when that names a
    // genre of the list).
    int trailerGenre = -1;
};

// One frame of the output tag as it is written.
struct OutputFrame {
    enum class Origin : std::uint8_t { Kept, Converted, Set, Added };
    std::string_view id;
    std::string_view text;   // text frames only, as UTF-8
    std::uint32_t size = 0;  // payload bytes
    Origin origin = Origin::Kept;
};

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

class MP3 {
  public:
    // Padding given to a new tag and to one that grew.
    static constexpr std::uint32_t Padding = 1024;

    // The sink gets the pass's diagnostic lines; it must outlive the pass.
    explicit MP3(DiagnosticSink& diagnostics);
    MP3(const MP3&) = delete;
    MP3& operator=(const MP3&) = delete;

    // The whole pass. Without an output it only reads: the editor still sees every
    // frame, and the trailer accessors give the input's trailer. False when the editor
    // stopped the pass or a read or write failed (see Failed()).
    bool Rewrite(InputFile& in, OutputFile* out, TagEditor& editor);
    // A reading pass with no edits.
    bool Read(InputFile& in);

    TagKind InputKind() const { return kind_; }
    // The input's text of a field (several values joined with "/"); empty when the
    // input lacks the frame.
    std::string_view InputText(TagField field) const;
    bool HasInputFrame(TagField field) const;

    std::string TrailerTitle() const { return trailer_.Title(); }
    std::string TrailerArtist() const { return trailer_.Artist(); }
    std::string TrailerAlbum() const { return trailer_.Album(); }
    int TrailerGenre() const { return trailer_.Genre(); }
    std::string TrailerYear() const { return trailer_.Year(); }
    std::string TrailerComment() const { return trailer_.Comment(); }
    int TrailerTrack() const { return trailer_.Track(); }
    PassLayout Layout() const {
        return {outputSize_, grew_,     leftOut_,     secondStart_ >= 0,
                inputSize_,  audioEnd_, ape_.Found(), inputHadTrailer_};
    }
    // True once a read or write of this pass failed; the output is then incomplete.
    bool Failed() const { return failed_; }

  private:
    // The first bytes of a frame read for its text, and the most of a date, people or
    // genre frame of 2.4 that is read to make its 2.3 frames.
    static constexpr std::size_t HeadSize = 4096;
    // Collected texts are cut to this many bytes.
    static constexpr std::size_t MaxFieldText = 2048;

    // One input frame and what the output gets for it.
    struct FramePlan;
    // The current frame's payload, as conversions read it, and the output as they
    // write it.
    class PayloadReader : public PayloadSource {
      public:
        explicit PayloadReader(MP3& mp3) : mp3_(mp3) {}
        std::size_t Read(unsigned char* out, std::size_t n) override;
        std::uint64_t Skip(std::uint64_t n) override;
        std::uint64_t CopyTo(PayloadSink& sink, std::uint64_t n) override;
        std::uint64_t Left() const override { return mp3_.payloadLeft_; }
        Mark Here() const override;
        void Rewind(const Mark& mark) override;

      private:
        MP3& mp3_;
    };
    class PayloadWriter : public PayloadSink, public LeftOutNotes {
      public:
        explicit PayloadWriter(MP3& mp3) : mp3_(mp3) {}
        void Write(const unsigned char* bytes, std::size_t n) override {
            mp3_.WriteBytes(mp3_.output_, bytes, n);
        }
        void LeftOut(std::string_view id, bool unreadable) override {
            mp3_.NoteLeftOut(id, unreadable);
        }

      private:
        MP3& mp3_;
    };
    // One ID3v2 tag of the input, of the one or two read as its tag.
    struct TagPart {
        TagHeader header;
        std::int64_t start = 0;
        std::int64_t end = 0;  // of its frames, the footer excluded
    };
    // A frame told apart from others of its id by its description or owner.
    struct FrameKey {
        char id[4];
        std::uint32_t text;
    };

    void ReadTagHeader(InputFile& in);
    void MarkBroken(std::string_view diagnostic);
    void FindSecondTag(InputFile& in, std::int64_t at);
    std::int64_t AudioEndAfter(InputFile& in, std::int64_t from);
    // The measuring walk over the tags; the index of the tag it broke in, else -1.
    int MeasureParts(InputFile& in);
    bool StartWalk(InputFile& in, const TagPart& part);
    bool NextFrame(InputFile& in, FrameHeader& header);
    bool PlanFrame(InputFile& in, const FrameHeader& header, FramePlan& plan);
    bool ReadExtras(InputFile& in, const FrameHeader& header, FramePlan& plan);
    bool ReadHead(FramePlan& plan);
    bool PlanOwnFrames(FramePlan& plan);
    void PlanConverted(const FrameLayout& layout, FramePlan& plan);
    void PlanKeyed(const FrameLayout* layout, FramePlan& plan);
    static FrameKey KeyOf(const FramePlan& plan);
    static bool BecomesOwnFrames(const FramePlan& plan);
    bool KnownKey(const FrameKey& key) const;
    // The first tag's frames are remembered; the second tag's that repeat one of them
    // are dropped.
    void RememberKey(const FramePlan& plan);
    bool Repeated(const FramePlan& plan) const;
    void CollectOwnFrame(const FramePlan& plan);
    void MeasureFrame(const FramePlan& plan);
    void ReportLeftOut();
    std::size_t ReadPayload(unsigned char* buffer, std::uint64_t n);
    void WriteDateFrames(OutputFile* out, const Id3Date& date, bool original, TagEditor& editor);
    std::uint64_t DateFramesSize(const Id3Date& date, bool original) const;
    PayloadConverter::Result MeasurePeople();
    void MeasureTag(InputFile& in);
    // Forgets what a first walk learnt: for a tag found broken on the way.
    void ResetMeasures();
    std::uint32_t EditedFrameSize(const TagEdits& edits, int field) const;
    void WriteTag(InputFile& in, OutputFile* out, const TagEdits& edits, TagEditor& editor);
    void WriteFrame(OutputFile* out, const FramePlan& plan, TagEditor& editor);
    void WriteKeptFrame(OutputFile* out, const FramePlan& plan, const TagEdits& edits,
                        TagEditor& editor);
    void WriteUserText(OutputFile* out, std::string_view description, std::string_view value,
                       TagEditor& editor);
    void WriteTextFrame(OutputFile* out, std::string_view id, std::string_view text,
                        OutputFrame::Origin origin, TagEditor& editor);
    void WriteBytes(OutputFile* out, const void* bytes, std::size_t n);
    void CopyPayloadRest(OutputFile* out, std::uint64_t n);
    void NoteLeftOut(std::string_view id, bool unreadable);
    // Keeps the year of the input's TYER text for a fresh trailer.
    void NoteYear(std::string_view text);
    void FinishTrailer(const TagEdits& edits);

    bool CopyAudio(InputFile& in, OutputFile* out, const TagEdits& edits);
    bool FindTagsAfterAudio(InputFile& in);
    bool FindTagBefore(InputFile& in, const unsigned char* last);
    void FindTrailerBeforeApeTag(InputFile& in);
    bool CopyKnownLength(InputFile& in, OutputFile* out, const TagEdits& edits);
    bool CopyTagsAfterAudio(InputFile& in, OutputFile& out, const TagEdits& edits);
    bool CopyToEnd(InputFile& in, OutputFile* out);
    void KeepTrailer(const unsigned char* last);
    // Reports what went wrong with the streams, once each, and marks the pass failed.
    void CheckStreams(const InputFile* in, const OutputFile* out);
    void ReportShortInput(const InputFile& in, const OutputFile* out);

    DiagnosticSink* diagnostics_;
    TagKind kind_ = TagKind::None;
    TagHeader header_;
    std::int64_t tagStart_ = 0;
    std::int64_t audioStart_ = 0;
    std::int64_t inputSize_ = -1;
    std::int64_t framesStart_ = 0;
    std::int64_t tagEnd_ = 0;
    // The tag walked now: the first, or the second right after it.
    TagPart walk_;
    TagHeader secondHeader_;
    std::int64_t secondStart_ = -1;
    std::int64_t secondEnd_ = 0;
    // The first tag's frames by id and description, for the second's to be checked
    // against; past its length the second's frames are all kept.
    FrameKey firstKeys_[1024];
    std::size_t firstKeyCount_ = 0;
    TagStream tag_;    // the frame walk
    TagStream frame_;  // the payload of one 2.4 frame
    // The payload of the current frame: what is left of it in tag_ or frame_.
    TagStream* payload_ = nullptr;
    std::uint64_t payloadLeft_ = 0;
    PayloadReader reader_{*this};
    PayloadWriter writer_{*this};
    PayloadConverter converter_;
    // Told of the frames a chapter leaves out: by the measuring walk only.
    LeftOutNotes* chapterNotes_ = nullptr;
    OutputFile* output_ = nullptr;  // of the writing walk

    // What the first walk learnt.
    std::uint64_t keptSize_ = 0;  // output bytes of every frame but the fields'
    std::uint64_t fieldSize_[TagFieldCount] = {};
    int fieldCount_[TagFieldCount] = {};
    char fieldText_[TagFieldCount][MaxFieldText + 1];  // up to fieldTextSize_
    std::size_t fieldTextSize_[TagFieldCount] = {};
    bool hasYear_ = false, hasDate_ = false, hasTime_ = false, hasOriginalYear_ = false;
    bool hasPeople_ = false;
    // The year a fresh trailer gets: the first TYER's, else 2.4's recording time's.
    char year_[4 * 4 + 1] = {};
    // 2.4's recording and original release times, which become TYER, TDAT, TIME and
    // TORY; only the first frame of each counts.
    Id3Date date_;
    bool dateSeen_ = false;
    Id3Date originalDate_;
    bool originalDateSeen_ = false;
    bool walkBroken_ = false;
    bool brokenReported_ = false;
    std::int64_t frameStart_ = 0;
    // The people of 2.4's TIPL and TMCL, which become one IPLS frame: UTF-8 texts
    // separated by zero bytes.
    char people_[4096];  // up to peopleSize_
    std::size_t peopleSize_ = 0;
    bool peopleWritten_ = false;
    // The ids left out: [0] those 2.3 has no form for, [1] those that cannot be read.
    char leftOutIds_[2][128] = {};
    std::size_t leftOutSize_[2] = {};
    int leftOut_ = 0;

    std::uint32_t outputSize_ = 0;
    std::uint64_t framesSize_ = 0;
    std::uint64_t written_ = 0;
    bool grew_ = false;

    // Scratch for one frame at a time, left uninitialised: a track would otherwise
    // begin by clearing some 70 KiB it mostly never uses.
    unsigned char head_[HeadSize];
    unsigned char converted_[2 * HeadSize + 256];
    char text_[3 * 1024 + 4];

    Trailer trailer_;
    bool inputHadTrailer_ = false;
    // What sits between the audio and the trailer.
    ApeTag ape_;
    Lyrics3Block lyrics_;
    std::int64_t audioEnd_ = -1;
    bool failed_ = false;
    bool readReported_ = false;
    bool writeReported_ = false;
};

}  // namespace brambex
