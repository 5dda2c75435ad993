// The walk over the input tag's frames (over both tags, when a second follows the
// first), frame header by frame header, and what each input frame becomes: the plan
// both the measuring walk and the writing walk follow, so that they cannot disagree.
// The walk owns the streams over the tag and the scratch that one frame at a time
// needs. Private to the MP3 pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/file_stream.h"
#include "tags/frame_conversion.h"
#include "tags/frame_header.h"
#include "tags/mp3_pass.h"
#include "tags/payload_converter.h"
#include "tags/tag_stream.h"

namespace brambex {

inline constexpr int FrameHeaderSize = 10;
// The bytes 2.4 puts before a frame's data: group, encryption method, data length.
inline constexpr std::size_t MaxExtras = 6;

// One input frame and what the output gets for it.
struct FramePlan {
    enum class Kind { Drop, Verbatim, Held, Converted, Chapter, Date, OriginalDate, People, Gain };
    Kind kind = Kind::Drop;
    char id[4] = {};
    int field = -1;
    FrameHeader out;
    unsigned char extras[MaxExtras] = {};
    std::size_t extrasSize = 0;
    // Verbatim: the payload's first bytes, the rest streamed after them; Held: all of it.
    const unsigned char* head = nullptr;
    std::size_t headSize = 0;
    std::uint64_t rest = 0;
    // Converted and Chapter: the payload is read again from its start to be written.
    const FrameLayout* layout = nullptr;
    std::string_view name;
    bool latin1 = true;
    PayloadSource::Mark start;
    std::uint32_t key = 0;
    std::string_view text;  // a text frame's text, as UTF-8
    VolumeAdjustment gain;
    // An input frame left out, to be named: 2.3 has no form for it, or it cannot be read.
    std::string_view leftOut;
    bool unreadable = false;
    std::string_view Id() const { return {id, 4}; }
    // Where a text starts in the head: after the group id that a 2.3 frame carries
    // there (2.4's is among the extras).
    std::size_t TextStart() const { return out.grouped && extrasSize == 0 ? 1 : 0; }
    bool Kept() const {
        return kind == Kind::Verbatim || kind == Kind::Held || kind == Kind::Converted ||
               kind == Kind::Chapter;
    }
    // Dates and people become frames of their own, each written where the tags lack it:
    // the two walks see them alike whichever tag they come from.
    bool BecomesOwnFrames() const {
        return kind == Kind::Date || kind == Kind::OriginalDate || kind == Kind::People;
    }
    FrameKey Key() const;
};

// The writing walk's output: payloads copied as they are go to it the fast way.
class PayloadOutput : public PayloadSink {
  public:
    virtual void CopyPayload(std::uint64_t n) = 0;
};

class FrameWalk {
  public:
    // The first bytes of a frame read for its text, and the most of a date, people or
    // genre frame of 2.4 that is read to make its 2.3 frames.
    static constexpr std::size_t HeadSize = 4096;

    FrameWalk() = default;
    FrameWalk(const FrameWalk&) = delete;
    FrameWalk& operator=(const FrameWalk&) = delete;

    // A new pass: the bytes at the same offsets may be another file's or changed.
    void Forget();
    // Starts on one tag. `keyed`: a second tag is merged, so kept frames are read for
    // their keys. The measuring walk gives `notes` for the frames chapters leave out;
    // the writing walk gives `output`. False when the extended header is unreadable.
    bool Start(InputFile& in, const TagPart& part, bool keyed, LeftOutNotes* notes,
               PayloadOutput* output);
    // The next frame's header; false at the padding or the tag's end, or when broken.
    bool Next(InputFile& in, FrameHeader& header, PassReport& report);
    // What the frame becomes; false when the walk broke on it.
    bool Plan(InputFile& in, const FrameHeader& header, FramePlan& plan);
    // Whether the walk broke: a frame ran past its tag, or the input changed.
    bool Broken() const { return broken_; }
    bool BrokenReported() const { return brokenReported_; }
    void ClearBroken() { broken_ = brokenReported_ = false; }
    int Version() const { return part_.header.version; }

    // The current frame's payload, as conversions read it.
    PayloadSource& Payload() { return reader_; }
    PayloadConverter& Converter() { return converter_; }
    // Copies up to n bytes of the current payload to out as they are; returns how many.
    std::uint64_t CopyPayload(OutputFile& out, std::uint64_t n);
    InputFile& Input() { return payload_->Input(); }
    // Room for a payload made in memory, such as the people's IPLS.
    unsigned char* Scratch() { return converted_; }
    static constexpr std::size_t ScratchSize = 2 * HeadSize + 256;

  private:
    class Reader : public PayloadSource {
      public:
        explicit Reader(FrameWalk& walk) : walk_(walk) {}
        std::size_t Read(unsigned char* out, std::size_t n) override;
        std::uint64_t Skip(std::uint64_t n) override;
        std::uint64_t CopyTo(PayloadSink& sink, std::uint64_t n) override;
        std::uint64_t Left() const override { return walk_.payloadLeft_; }
        Mark Here() const override;
        void Rewind(const Mark& mark) override;

      private:
        FrameWalk& walk_;
    };

    std::size_t ReadPayload(unsigned char* buffer, std::uint64_t n);
    bool ReadExtras(InputFile& in, const FrameHeader& header, FramePlan& plan);
    bool ReadHead(FramePlan& plan);
    bool PlanOwnFrames(FramePlan& plan);
    void PlanChapter(const FrameHeader& header, FramePlan& plan);
    bool PlanVerbatim(const FrameLayout* layout, FramePlan& plan);
    void PlanConverted(const FrameLayout& layout, FramePlan& plan);
    void PlanKeyed(const FrameLayout* layout, FramePlan& plan);

    // The tag walked now: the first, or the second right after it.
    TagPart part_;
    bool keyed_ = false;
    LeftOutNotes* notes_ = nullptr;
    PayloadOutput* output_ = nullptr;
    TagStream tag_;    // the frame walk
    TagStream frame_;  // the payload of one 2.4 frame
    // The payload of the current frame: what is left of it in tag_ or frame_.
    TagStream* payload_ = nullptr;
    std::uint64_t payloadLeft_ = 0;
    std::int64_t frameStart_ = 0;
    bool broken_ = false;
    bool brokenReported_ = false;
    Reader reader_{*this};
    PayloadConverter converter_;
    // Scratch for one frame at a time, left uninitialised: a track would otherwise
    // begin by clearing some 70 KiB it mostly never uses.
    unsigned char head_[HeadSize];
    unsigned char converted_[ScratchSize];
    char text_[3 * 1024 + 4];
};

// Whether a frame of the second tag repeats one of the first's, and is dropped.
bool Repeated(const FramePlan& plan, const InputTags& tags, const TagAsRead& read);
// The IPLS frame that 2.4's people become, measured from its payload in the walk's
// scratch, where the writing walk finds it again.
PayloadConverter::Result MeasurePeople(const TagAsRead& read, FrameWalk& walk);

}  // namespace brambex
