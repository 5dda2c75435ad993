// Frame payloads converted to their ID3v2.3 form as they stream from the input tag to
// the output, whatever their length: a converter reads a payload once to tell what it
// becomes (whether its texts fit ISO-8859-1, how many bytes result) and once more to
// write it. Texts pass through a fixed buffer a few kilobytes at a time; a character
// split by the buffer's edge comes out whole, and binary data (a picture) is handed to
// the source to copy as it is.
//
// Chapters (CHAP) and tables of contents (CTOC) are converted frame by frame: each
// frame they embed is measured, then written, the chapter's size being the sum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "tags/frame_bodies.h"
#include "tags/frame_text.h"

namespace brambex {

class PayloadSink {
  public:
    virtual ~PayloadSink() = default;
    virtual void Write(const unsigned char* bytes, std::size_t n) = 0;
};

// A payload read in order, which can go back to a place it has passed.
class PayloadSource {
  public:
    struct Mark {
        std::int64_t position = 0;
        bool afterFF = false;
        std::uint64_t left = 0;
        std::uint64_t embeddedLeft = 0;
        bool embeddedAfterFF = false;
    };
    // For Skip and CopyTo: up to the payload's end.
    static constexpr std::uint64_t All = std::numeric_limits<std::uint64_t>::max();
    virtual ~PayloadSource() = default;
    // Up to n bytes; fewer at the payload's end.
    virtual std::size_t Read(unsigned char* out, std::size_t n) = 0;
    // Passes over up to n bytes; returns how many.
    virtual std::uint64_t Skip(std::uint64_t n) = 0;
    // Copies up to n bytes to the sink as they are; returns how many.
    virtual std::uint64_t CopyTo(PayloadSink& sink, std::uint64_t n);
    // The bytes before the payload's end (as stored, for an unsynchronised one).
    virtual std::uint64_t Left() const = 0;
    virtual Mark Here() const = 0;
    virtual void Rewind(const Mark& mark) = 0;
};

// A payload held in memory.
class MemorySource : public PayloadSource {
  public:
    MemorySource(const unsigned char* bytes, std::size_t n) : bytes_(bytes), size_(n) {}
    std::size_t Read(unsigned char* out, std::size_t n) override;
    std::uint64_t Skip(std::uint64_t n) override;
    std::uint64_t Left() const override { return size_ - pos_; }
    Mark Here() const override { return {static_cast<std::int64_t>(pos_), false, 0, 0, false}; }
    void Rewind(const Mark& mark) override { pos_ = static_cast<std::size_t>(mark.position); }

  private:
    const unsigned char* bytes_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Told of each embedded frame a chapter leaves out: 2.3 has no form for it, or it
// cannot be read.
class LeftOutNotes {
  public:
    virtual ~LeftOutNotes() = default;
    virtual void LeftOut(std::string_view id, bool unreadable) = 0;
};

class PayloadConverter {
  public:
    static constexpr std::size_t BufferSize = 4096;
    static constexpr std::size_t MaxCapture = 3 * 1024;

    struct Result {
        bool valid = false;  // the bytes follow the layout
        bool latin1 = true;  // every text fits ISO-8859-1
        std::uint64_t size = 0;
        std::uint32_t key = 0;  // a hash of the layout's key field
    };

    PayloadConverter() = default;
    PayloadConverter(const PayloadConverter&) = delete;
    PayloadConverter& operator=(const PayloadConverter&) = delete;

    // Reads the payload to its end. A Name field takes `name`.
    Result Measure(const FrameLayout& layout, PayloadSource& in, std::string_view name = {});
    // Writes the payload converted, its texts in the encoding Measure chose.
    void Write(const FrameLayout& layout, PayloadSource& in, bool latin1, PayloadSink& out,
               std::string_view name = {});
    // The first text of the last payload read, as UTF-8, cut at MaxCapture bytes.
    std::string_view FirstText() const { return {capture_, captureSize_}; }

    // A 2.4 chapter or table of contents (id CHAP or CTOC): its own fields as they are,
    // then its frames in their 2.3 form. Not valid when a frame runs past its end.
    Result MeasureChapter(std::string_view id, PayloadSource& in, LeftOutNotes* notes);
    void WriteChapter(std::string_view id, PayloadSource& in, PayloadSink& out);

  private:
    bool Run(const FrameLayout& layout, std::string_view name);
    bool Next(unsigned char& byte);
    bool AtEnd();
    void Raw(unsigned char byte);
    void Flush();
    void BeginText(bool key);
    void Char(char32_t c);
    void EndText(bool terminate);
    // One field of a layout; false when the payload ends before it does.
    bool FieldOf(Field field, TextEncoding encoding, bool key, std::string_view name);
    bool FixedField(Field field);
    // TextPairs and Synced: texts to the payload's end.
    bool TextsEach(TextEncoding encoding, bool synced);
    // One text up to its terminator (true) or the payload's end (false).
    bool Text(TextEncoding encoding);
    bool Utf8Text();
    bool Utf16Text(bool little);
    void Name(std::string_view utf8);
    bool CopyRest();
    std::uint64_t ChapterHead(std::string_view id, PayloadSource& in, PayloadSink* out);
    // One frame of a chapter, added to chapterSize_; false once they have ended.
    bool EmbeddedFrame(PayloadSource& in, PayloadSink* out, LeftOutNotes* notes);

    PayloadSource* in_ = nullptr;
    PayloadSink* out_ = nullptr;  // none: measuring
    bool latin1_ = true;
    // Measuring counts the bytes for either encoding.
    bool fits_ = true;
    std::uint64_t latin1Size_ = 0;
    std::uint64_t utf16Size_ = 0;
    int textCount_ = 0;
    bool capturing_ = false;
    bool hashing_ = false;
    std::uint32_t key_ = 0;
    char capture_[MaxCapture + 4];
    std::size_t captureSize_ = 0;
    // Left uninitialised: only bytes read into them are ever taken.
    unsigned char inBuffer_[BufferSize];
    std::size_t inPos_ = 0;
    std::size_t inSize_ = 0;
    unsigned char outBuffer_[BufferSize];
    std::size_t outSize_ = 0;
    bool chapterValid_ = true;
    std::uint64_t chapterSize_ = 0;
};

}  // namespace brambex
