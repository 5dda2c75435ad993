// The writing walk: each frame as its plan says, the frames an edit sets or adds,
// and the frames that 2.4's dates, people and volume become.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "tags/byte_order.h"
#include "tags/diagnostic.h"
#include "tags/mp3.h"
#include "tags/mp3_frame_plan.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

// The order in which frames the input lacks are added.
constexpr TagField AddOrder[] = {TagField::Genre, TagField::Track, TagField::Title,
                                 TagField::Album, TagField::Band,  TagField::Artist};

}  // namespace

void MP3::WriteTag(InputFile& in, OutputFile* out, const TagEdits& edits, TagEditor& editor) {
    output_ = out;
    chapterNotes_ = nullptr;
    const TagPart parts[] = {{header_, tagStart_, tagEnd_},
                             {secondHeader_, secondStart_, secondEnd_}};
    const bool tagged = kind_ != TagKind::None && kind_ != TagKind::Broken;
    peopleWritten_ = false;
    for (int p = 0; tagged && p < (secondStart_ >= 0 ? 2 : 1); ++p) {
        FrameHeader header;
        FramePlan plan;
        if (!StartWalk(in, parts[p])) {
            break;
        }
        while (!failed_ && NextFrame(in, header) && PlanFrame(in, header, plan)) {
            if (p == 0 || !Repeated(plan)) {
                WriteKeptFrame(out, plan, edits, editor);
            }
        }
        if (walkBroken_) {
            // The first walk went through: the input changed since.
            ReportShortInput(in, nullptr);
            break;
        }
    }
    for (const TagField field : AddOrder) {
        const int f = static_cast<int>(field);
        if (edits.frames[f].set && edits.frames[f].add && fieldCount_[f] == 0) {
            WriteTextFrame(out, TagFieldId(field), edits.frames[f].text, OutputFrame::Origin::Added,
                           editor);
        }
    }
    CheckStreams(&in, out);
}

void MP3::WriteKeptFrame(OutputFile* out, const FramePlan& plan, const TagEdits& edits,
                         TagEditor& editor) {
    if (plan.field >= 0 && edits.frames[plan.field].set) {
        if (plan.Kept()) {
            WriteTextFrame(out, plan.Id(), edits.frames[plan.field].text, OutputFrame::Origin::Set,
                           editor);
        }
    } else if (plan.Kept()) {
        WriteFrame(out, plan, editor);
    } else if (plan.kind == FramePlan::Kind::Date && plan.Id() == "TDRC") {
        WriteDateFrames(out, date_, false, editor);
    } else if (plan.kind == FramePlan::Kind::OriginalDate) {
        WriteDateFrames(out, originalDate_, true, editor);
    } else if (plan.kind == FramePlan::Kind::Gain) {
        char description[32];
        std::snprintf(description, sizeof description, "REPLAYGAIN_%s_GAIN",
                      plan.gain.album ? "ALBUM" : "TRACK");
        WriteUserText(out, description, plan.gain.gain, editor);
        std::memcpy(description + std::strlen(description) - 4, "PEAK", 4);
        WriteUserText(out, description, plan.gain.peak, editor);
    } else if (plan.kind == FramePlan::Kind::People && !peopleWritten_ && !hasPeople_ &&
               peopleSize_ > 0) {
        peopleWritten_ = true;
        const PayloadConverter::Result people = MeasurePeople();
        FrameHeader ipls;
        std::memcpy(ipls.id, "IPLS", 4);
        ipls.size = static_cast<std::uint32_t>(people.size);
        unsigned char bytes[FrameHeaderSize];
        ipls.WriteV23(bytes);
        WriteBytes(out, bytes, sizeof bytes);
        MemorySource source(converted_, peopleSize_ + 1);
        converter_.Write(PeopleFrame::Layout, source, people.latin1, writer_);
        editor.Frame({"IPLS", {}, ipls.size, OutputFrame::Origin::Converted});
    }
}

void MP3::WriteUserText(OutputFile* out, std::string_view description, std::string_view value,
                        TagEditor& editor) {
    unsigned char payload[64];
    FrameHeader header;
    std::memcpy(header.id, "TXXX", 4);
    header.size = static_cast<std::uint32_t>(
        UserTextFrame::Render(description, value, payload, sizeof payload));
    unsigned char bytes[FrameHeaderSize];
    header.WriteV23(bytes);
    WriteBytes(out, bytes, sizeof bytes);
    WriteBytes(out, payload, header.size);
    editor.Frame({"TXXX", description, header.size, OutputFrame::Origin::Converted});
}

void MP3::WriteDateFrames(OutputFile* out, const Id3Date& date, bool original, TagEditor& editor) {
    bool& seen = original ? originalDateSeen_ : dateSeen_;
    if (!seen) {
        return;
    }
    // Only the first frame of its kind gives dates.
    seen = false;
    const struct {
        const char* id;
        const char* text;
        bool present;
    } frames[] = {
        {original ? "TORY" : "TYER", date.year, original ? hasOriginalYear_ : hasYear_},
        {"TDAT", original ? "" : date.date, hasDate_},
        {"TIME", original ? "" : date.time, hasTime_},
    };
    for (const auto& frame : frames) {
        if (frame.text[0] != 0 && !frame.present) {
            WriteTextFrame(out, frame.id, frame.text, OutputFrame::Origin::Converted, editor);
        }
    }
}

void MP3::WriteTextFrame(OutputFile* out, std::string_view id, std::string_view text,
                         OutputFrame::Origin origin, TagEditor& editor) {
    unsigned char payload[4 * MaxFieldText + 8];
    FrameHeader header;
    std::memcpy(header.id, id.data(), 4);
    header.size = static_cast<std::uint32_t>(TextFrame::Render(text, payload, sizeof payload));
    unsigned char bytes[FrameHeaderSize];
    header.WriteV23(bytes);
    WriteBytes(out, bytes, sizeof bytes);
    WriteBytes(out, payload, header.size);
    const std::size_t n = TextFrame::Parse(payload, header.size, text_, sizeof text_);
    editor.Frame({id, {text_, n}, header.size, origin});
}

void MP3::WriteFrame(OutputFile* out, const FramePlan& plan, TagEditor& editor) {
    unsigned char bytes[FrameHeaderSize];
    plan.out.WriteV23(bytes);
    WriteBytes(out, bytes, sizeof bytes);
    WriteBytes(out, plan.extras, plan.extrasSize);
    const bool streamed =
        plan.kind == FramePlan::Kind::Converted || plan.kind == FramePlan::Kind::Chapter;
    if (streamed && out == nullptr) {
        // A reading pass: the first walk measured it all.
        written_ += plan.out.size - plan.extrasSize;
    } else if (streamed) {
        reader_.Rewind(plan.start);
        if (plan.kind == FramePlan::Kind::Chapter) {
            converter_.WriteChapter(plan.Id(), reader_, writer_);
        } else {
            converter_.Write(*plan.layout, reader_, plan.latin1, writer_, plan.name);
        }
    } else {
        WriteBytes(out, plan.head, plan.headSize);
        CopyPayloadRest(out, plan.rest);
    }
    const bool text = plan.id[0] == 'T' && !plan.out.compressed && !plan.out.encrypted;
    editor.Frame({plan.Id(), text ? plan.text : std::string_view(), plan.out.size,
                  plan.kind != FramePlan::Kind::Verbatim || walk_.header.version != 3
                      ? OutputFrame::Origin::Converted
                      : OutputFrame::Origin::Kept});
}

void MP3::CopyPayloadRest(OutputFile* out, std::uint64_t n) {
    if (n == 0) {
        return;
    }
    if (out == nullptr || out->Failed()) {
        written_ += n;
        return;
    }
    std::uint64_t copied = 0;
    if (const unsigned char* held = payload_->TakeInPlace(n)) {
        // The walk read it with the tag.
        out->Write(held, static_cast<std::size_t>(n));
        copied = out->Failed() ? 0 : n;
        payloadLeft_ -= n;
    } else if (!payload_->Unsynchronised()) {
        // Pictures mostly: copied without passing through the codec's buffers.
        InputFile& in = payload_->Input();
        in.Seek(payload_->Position());
        copied = CopyBytes(in, *out, n);
        payload_->Skip(copied);
        payloadLeft_ -= copied;
    } else {
        while (copied < n) {
            const std::size_t got =
                ReadPayload(head_, std::min<std::uint64_t>(n - copied, sizeof head_));
            if (got == 0) {
                break;
            }
            out->Write(head_, got);
            copied += got;
        }
    }
    written_ += copied;
    if (copied < n) {
        ReportShortInput(payload_->Input(), out);
    }
}

}  // namespace brambex
