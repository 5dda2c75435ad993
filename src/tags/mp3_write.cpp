// The writing walk: each frame as its plan says, the frames an edit sets or adds,
// and the frames that 2.4's dates, people and volume become.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tags/frame_walk.h"
#include "tags/mp3.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

// The order in which frames the input lacks are added.
constexpr TagField AddOrder[] = {TagField::Genre, TagField::Track, TagField::Title,
                                 TagField::Album, TagField::Band,  TagField::Artist};

class TagWriter : public PayloadOutput {
  public:
    TagWriter(OutputFile* out, const TagAsRead& read, const TagEdits& edits, FrameWalk& walk,
              TagEditor& editor, PassReport& report)
        : out_(out), read_(read), edits_(edits), walk_(walk), editor_(editor), report_(report) {}

    // False when the part's walk could not start.
    bool WalkPart(InputFile& in, const InputTags& tags, int part);
    void AddMissingFrames();
    std::uint64_t Written() const { return written_; }

    void Write(const unsigned char* bytes, std::size_t n) override { WriteBytes(bytes, n); }
    void CopyPayload(std::uint64_t n) override;

  private:
    void WriteKeptFrame(const FramePlan& plan);
    void WriteFrame(const FramePlan& plan);
    void WritePeople();
    void WriteGain(const VolumeAdjustment& gain);
    void WriteUserText(std::string_view description, std::string_view value);
    void WriteDateFrames(bool original);
    void WriteTextFrame(std::string_view id, std::string_view text, OutputFrame::Origin origin);
    void WriteBytes(const void* bytes, std::size_t n);

    OutputFile* out_;
    const TagAsRead& read_;
    const TagEdits& edits_;
    FrameWalk& walk_;
    TagEditor& editor_;
    PassReport& report_;
    std::uint64_t written_ = 0;
    // Only the first frame of each kind gives dates, and people go into one frame.
    bool dateWritten_ = false;
    bool originalDateWritten_ = false;
    bool peopleWritten_ = false;
};

bool TagWriter::WalkPart(InputFile& in, const InputTags& tags, int part) {
    FrameHeader header;
    FramePlan plan;
    if (!walk_.Start(in, part == 0 ? tags.first : tags.second, tags.HasSecond(), nullptr, this)) {
        return false;
    }
    while (!report_.Failed() && walk_.Next(in, header, report_) && walk_.Plan(in, header, plan)) {
        if (part == 0 || !Repeated(plan, tags, read_)) {
            WriteKeptFrame(plan);
        }
    }
    return true;
}

void TagWriter::AddMissingFrames() {
    for (const TagField field : AddOrder) {
        const int f = static_cast<int>(field);
        if (edits_.frames[f].set && edits_.frames[f].add && read_.fieldCount[f] == 0) {
            WriteTextFrame(TagFieldId(field), edits_.frames[f].text, OutputFrame::Origin::Added);
        }
    }
}

void TagWriter::WriteKeptFrame(const FramePlan& plan) {
    if (plan.field >= 0 && edits_.frames[plan.field].set) {
        if (plan.Kept()) {
            WriteTextFrame(plan.Id(), edits_.frames[plan.field].text, OutputFrame::Origin::Set);
        }
    } else if (plan.Kept()) {
        WriteFrame(plan);
    } else if (plan.kind == FramePlan::Kind::Date && plan.Id() == "TDRC") {
        WriteDateFrames(false);
    } else if (plan.kind == FramePlan::Kind::OriginalDate) {
        WriteDateFrames(true);
    } else if (plan.kind == FramePlan::Kind::Gain) {
        WriteGain(plan.gain);
    } else if (plan.kind == FramePlan::Kind::People && !peopleWritten_ && !read_.hasPeople &&
               read_.peopleSize > 0) {
        WritePeople();
    }
}

void TagWriter::WritePeople() {
    peopleWritten_ = true;
    const PayloadConverter::Result people = MeasurePeople(read_, walk_);
    FrameHeader ipls;
    std::memcpy(ipls.id, "IPLS", 4);
    ipls.size = static_cast<std::uint32_t>(people.size);
    unsigned char bytes[FrameHeaderSize];
    ipls.WriteV23(bytes);
    WriteBytes(bytes, sizeof bytes);
    MemorySource source(walk_.Scratch(), read_.peopleSize + 1);
    walk_.Converter().Write(PeopleFrame::Layout, source, people.latin1, *this);
    editor_.Frame({"IPLS", {}, ipls.size, OutputFrame::Origin::Converted});
}

void TagWriter::WriteGain(const VolumeAdjustment& gain) {
    char description[32];
    std::snprintf(description, sizeof description, "REPLAYGAIN_%s_GAIN",
                  gain.album ? "ALBUM" : "TRACK");
    WriteUserText(description, gain.gain);
    std::memcpy(description + std::strlen(description) - 4, "PEAK", 4);
    WriteUserText(description, gain.peak);
}

void TagWriter::WriteUserText(std::string_view description, std::string_view value) {
    unsigned char payload[64];
    FrameHeader header;
    std::memcpy(header.id, "TXXX", 4);
    header.size = static_cast<std::uint32_t>(
        UserTextFrame::Render(description, value, payload, sizeof payload));
    unsigned char bytes[FrameHeaderSize];
    header.WriteV23(bytes);
    WriteBytes(bytes, sizeof bytes);
    WriteBytes(payload, header.size);
    editor_.Frame({"TXXX", description, header.size, OutputFrame::Origin::Converted});
}

void TagWriter::WriteDateFrames(bool original) {
    bool& written = original ? originalDateWritten_ : dateWritten_;
    if (!(original ? read_.originalDateSeen : read_.dateSeen) || written) {
        return;
    }
    written = true;
    const Id3Date& date = original ? read_.originalDate : read_.date;
    const struct {
        const char* id;
        const char* text;
        bool present;
    } frames[] = {
        {original ? "TORY" : "TYER", date.year, original ? read_.hasOriginalYear : read_.hasYear},
        {"TDAT", original ? "" : date.date, read_.hasDate},
        {"TIME", original ? "" : date.time, read_.hasTime},
    };
    for (const auto& frame : frames) {
        if (frame.text[0] != 0 && !frame.present) {
            WriteTextFrame(frame.id, frame.text, OutputFrame::Origin::Converted);
        }
    }
}

void TagWriter::WriteTextFrame(std::string_view id, std::string_view text,
                               OutputFrame::Origin origin) {
    unsigned char payload[4 * TagAsRead::MaxFieldText + 8];
    FrameHeader header;
    std::memcpy(header.id, id.data(), 4);
    header.size = static_cast<std::uint32_t>(TextFrame::Render(text, payload, sizeof payload));
    unsigned char bytes[FrameHeaderSize];
    header.WriteV23(bytes);
    WriteBytes(bytes, sizeof bytes);
    WriteBytes(payload, header.size);
    char shown[3 * 1024 + 4];
    const std::size_t n = TextFrame::Parse(payload, header.size, shown, sizeof shown);
    editor_.Frame({id, {shown, n}, header.size, origin});
}

void TagWriter::WriteFrame(const FramePlan& plan) {
    unsigned char bytes[FrameHeaderSize];
    plan.out.WriteV23(bytes);
    WriteBytes(bytes, sizeof bytes);
    WriteBytes(plan.extras, plan.extrasSize);
    const bool streamed =
        plan.kind == FramePlan::Kind::Converted || plan.kind == FramePlan::Kind::Chapter;
    if (streamed && out_ == nullptr) {
        // A reading pass: the first walk measured it all.
        written_ += plan.out.size - plan.extrasSize;
    } else if (streamed) {
        PayloadSource& payload = walk_.Payload();
        payload.Rewind(plan.start);
        if (plan.kind == FramePlan::Kind::Chapter) {
            walk_.Converter().WriteChapter(plan.Id(), payload, *this);
        } else {
            walk_.Converter().Write(*plan.layout, payload, plan.latin1, *this, plan.name);
        }
    } else {
        WriteBytes(plan.head, plan.headSize);
        CopyPayload(plan.rest);
    }
    const bool readable = !plan.out.compressed && !plan.out.encrypted;
    const bool text = plan.id[0] == 'T' && readable;
    const bool chapter = plan.Id() == "CHAP" && readable && plan.headSize > plan.TextStart();
    editor_.Frame({plan.Id(), text ? plan.text : std::string_view(), plan.out.size,
                   plan.kind != FramePlan::Kind::Verbatim || walk_.Version() != 3
                       ? OutputFrame::Origin::Converted
                       : OutputFrame::Origin::Kept,
                   chapter
                       ? std::span(plan.head + plan.TextStart(), plan.headSize - plan.TextStart())
                       : std::span<const unsigned char>()});
}

void TagWriter::CopyPayload(std::uint64_t n) {
    if (n == 0) {
        return;
    }
    if (out_ == nullptr || out_->Failed()) {
        written_ += n;
        return;
    }
    const std::uint64_t copied = walk_.CopyPayload(*out_, n);
    written_ += copied;
    if (copied < n) {
        report_.ShortInput(walk_.Input(), out_);
    }
}

void TagWriter::WriteBytes(const void* bytes, std::size_t n) {
    written_ += n;
    if (out_ != nullptr) {
        out_->Write(bytes, n);
        report_.CheckStreams(nullptr, out_);
    }
}

}  // namespace

std::uint64_t WriteTag(InputFile& in, OutputFile* out, const InputTags& tags, const TagAsRead& read,
                       const TagEdits& edits, FrameWalk& walk, TagEditor& editor,
                       PassReport& report) {
    TagWriter writer(out, read, edits, walk, editor, report);
    for (int p = 0; tags.Walkable() && p < tags.PartCount(); ++p) {
        if (!writer.WalkPart(in, tags, p)) {
            break;
        }
        if (walk.Broken()) {
            // The first walk went through: the input changed since.
            report.ShortInput(in, nullptr);
            break;
        }
    }
    writer.AddMissingFrames();
    report.CheckStreams(&in, out);
    return writer.Written();
}

}  // namespace brambex
