// The two walks over the input tag's frames: the first learns what every output frame
// will be and how large, the second writes them. Both decide each frame through
// PlanFrame, so that they cannot disagree.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tags/byte_order.h"
#include "tags/diagnostic.h"
#include "tags/mp3.h"

namespace brambex {

namespace {

constexpr const char* FieldIds[TagFieldCount] = {"TALB", "TPE1", "TPE2", "TCON", "TIT2", "TRCK"};
// The order in which frames the input lacks are added.
constexpr TagField AddOrder[] = {TagField::Genre, TagField::Track, TagField::Title,
                                 TagField::Album, TagField::Band,  TagField::Artist};
constexpr int FrameHeaderSize = 10;
// The bytes 2.4 puts before a frame's data: group, encryption method, data length.
constexpr std::size_t MaxExtras = 6;

int FieldOf(std::string_view id) {
    for (int f = 0; f < TagFieldCount; ++f) {
        if (id == FieldIds[f]) {
            return f;
        }
    }
    return -1;
}

}  // namespace

std::string_view TagFieldId(TagField field) {
    return FieldIds[static_cast<int>(field)];
}

struct MP3::FramePlan {
    enum class Kind { Drop, Verbatim, Converted, Date, OriginalDate, People };
    Kind kind = Kind::Drop;
    char id[4] = {};
    int field = -1;
    FrameHeader out;
    unsigned char extras[MaxExtras] = {};
    std::size_t extrasSize = 0;
    const unsigned char* head = nullptr;
    std::size_t headSize = 0;
    std::uint64_t rest = 0;  // payload bytes streamed from the input after the head
    std::string_view Id() const { return {id, 4}; }
    // Where a text starts in the head: after the group id that a 2.3 frame carries
    // there (2.4's is among the extras).
    std::size_t TextStart() const { return out.grouped && extrasSize == 0 ? 1 : 0; }
};

bool MP3::StartWalk(InputFile& in) {
    const bool wholeTagUnsynchronised = header_.version != 4 && header_.Unsynchronised();
    tag_.Open(in, tagStart_ + TagHeader::Size, tagEnd_, wholeTagUnsynchronised);
    payload_ = &tag_;
    payloadLeft_ = 0;
    walkBroken_ = false;
    peopleWritten_ = false;
    if (header_.version == 2 || (header_.flags & TagHeader::ExtendedHeader) == 0) {
        return true;
    }
    // The output tag goes without the extended header: its CRC and padding size would
    // no longer hold.
    unsigned char sizeBytes[4];
    if (tag_.Read(sizeBytes, 4) == 4) {
        // 2.3 counts the bytes after the size, 2.4 the whole extended header.
        const std::uint32_t size =
            header_.version == 3 ? ReadUint32BigEndian(sizeBytes) : ReadSyncsafe32(sizeBytes);
        if ((header_.version == 3 || size >= 6) &&
            tag_.Skip(header_.version == 3 ? size : size - 4)) {
            return true;
        }
    }
    walkBroken_ = true;
    return false;
}

bool MP3::NextFrame(InputFile& in, FrameHeader& header) {
    // Whatever the last frame left unread is passed over.
    if (payloadLeft_ > 0 && payload_ == &tag_ && !tag_.Skip(payloadLeft_)) {
        walkBroken_ = true;
        return false;
    }
    payloadLeft_ = 0;
    payload_ = &tag_;
    const int headerSize = FrameHeader::SizeFor(header_.version);
    unsigned char bytes[FrameHeader::MaxSize];
    if (tag_.Read(bytes, static_cast<std::size_t>(headerSize)) <
            static_cast<std::size_t>(headerSize) ||
        !header.Read(bytes, header_.version)) {
        // Less than a header left, or zero bytes: padding.
        return false;
    }
    const std::int64_t payloadStart = tag_.Position();
    if (header.size > static_cast<std::uint64_t>(tagEnd_ - payloadStart)) {
        WriteDiagnosticNumber("Frame too big: ", header.size);
        walkBroken_ = true;
        brokenReported_ = true;
        return false;
    }
    payloadLeft_ = header.size;
    if (header_.version == 4) {
        frameStart_ = payloadStart;
        frame_.OpenWithin(tag_, in, payloadStart, payloadStart + header.size,
                          header.unsynchronised || header_.Unsynchronised());
        tag_.Skip(header.size);
        payload_ = &frame_;
    }
    return true;
}

std::size_t MP3::ReadPayload(unsigned char* buffer, std::uint64_t n) {
    const auto want = static_cast<std::size_t>(std::min(n, payloadLeft_));
    const std::size_t got = payload_->Read(buffer, want);
    payloadLeft_ -= got;
    if (got < want) {
        payloadLeft_ = 0;
    }
    return got;
}

void MP3::NoteLeftOut(std::string_view id) {
    ++leftOut_;
    if (leftOutSize_ + id.size() + 2 < sizeof leftOutIds_) {
        if (leftOutSize_ > 0) {
            leftOutIds_[leftOutSize_++] = ' ';
        }
        std::memcpy(leftOutIds_ + leftOutSize_, id.data(), id.size());
        leftOutSize_ += id.size();
    }
}

bool MP3::PlanFrame(InputFile& in, const FrameHeader& header, FramePlan& plan, bool measuring) {
    plan = FramePlan{};
    const int version = header_.version;
    if (!MapFrameId(version, header.Id(), plan.id)) {
        if (measuring) {
            NoteLeftOut(header.Id());
        }
        return true;
    }
    plan.field = FieldOf(plan.Id());
    plan.out = header;
    std::memcpy(plan.out.id, plan.id, 4);
    if (version == 4) {
        if (payload_->Unsynchronised()) {
            // The data's length is known only once its stuffed zero bytes are counted.
            std::uint64_t decoded = 0;
            for (std::size_t got; (got = ReadPayload(head_, sizeof head_)) > 0;) {
                decoded += got;
            }
            frame_.Open(in, frameStart_, frameStart_ + header.size, true);
            payloadLeft_ = decoded;
        }
        unsigned char group = 0;
        unsigned char length[4] = {};
        const bool extrasRead = (!header.grouped || ReadPayload(&group, 1) == 1) &&
                                (!header.encrypted || ReadPayload(head_, 1) == 1) &&
                                (!header.dataLength || ReadPayload(length, 4) == 4);
        // Encrypted frames cannot be read, and compressed ones need their length.
        if (!extrasRead || header.encrypted || (header.compressed && !header.dataLength)) {
            if (measuring) {
                NoteLeftOut(header.Id());
            }
            return true;
        }
        if (header.compressed) {
            WriteUint32BigEndian(plan.extras, ReadSyncsafe32(length));
            plan.extrasSize = 4;
        }
        if (header.grouped) {
            plan.extras[plan.extrasSize++] = group;
        }
    }
    const std::uint64_t dataSize = payloadLeft_;
    const std::string_view id = plan.Id();
    const bool special =
        version == 4 && (id == "TDRC" || id == "TDOR" || id == "TIPL" || id == "TMCL");
    const FrameLayout* layout = header.compressed ? nullptr : LayoutOf(id, version);
    const bool convert = layout != nullptr && (version == 4 || (version == 2 && id == "APIC"));
    // Synchronised lyrics and commercial frames carry texts the conversion does not
    // rewrite: only ISO-8859-1 and UTF-16 ones can stay.
    const bool encodedAsIs = version == 4 && !header.compressed && (id == "SYLT" || id == "COMR");
    // Chapters embed frames of their tag's version.
    const bool chapter = version == 4 && !header.compressed && (id == "CHAP" || id == "CTOC");
    if (special || convert || encodedAsIs || chapter || id[0] == 'T') {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(dataSize, MaxConverted));
        plan.headSize = ReadPayload(head_, want);
        if (plan.headSize < want) {
            // A frame that runs past the tag (unsynchronised tags can tell only now), or
            // an input that changed since the first walk.
            if (measuring) {
                walkBroken_ = true;
            } else {
                ReportShortInput(in, nullptr);
            }
            return false;
        }
    }
    plan.head = head_;
    plan.rest = dataSize - plan.headSize;
    const bool whole = plan.rest == 0;
    if (special) {
        if (!whole) {
            if (measuring) {
                NoteLeftOut(header.Id());
            }
            return true;
        }
        const bool people = id == "TIPL" || id == "TMCL";
        plan.kind = id == "TDRC"   ? FramePlan::Kind::Date
                    : id == "TDOR" ? FramePlan::Kind::OriginalDate
                                   : FramePlan::Kind::People;
        if (!measuring) {
            return true;
        }
        if (people) {
            if (peopleSize_ > 0 && peopleSize_ < sizeof people_) {
                people_[peopleSize_++] = '\0';
            }
            peopleSize_ += DecodeTextPayload(head_, plan.headSize, people_ + peopleSize_,
                                             sizeof people_ - peopleSize_, true, '\0');
        } else {
            const std::size_t n = DecodeTextPayload(head_, plan.headSize, text_, sizeof text_);
            Id3Date& date = id == "TDRC" ? date_ : originalDate_;
            bool& seen = id == "TDRC" ? dateSeen_ : originalDateSeen_;
            if (!seen) {
                date = SplitTimeStamp({text_, n});
                seen = true;
            }
        }
        return true;
    }
    plan.kind = FramePlan::Kind::Verbatim;
    if (chapter) {
        const std::int64_t n =
            whole ? ConvertChapterPayload(id, head_, plan.headSize, converted_, sizeof converted_)
                  : -1;
        if (n < 0) {
            if (measuring) {
                NoteLeftOut(header.Id());
            }
            plan.kind = FramePlan::Kind::Drop;
            return true;
        }
        plan.kind = FramePlan::Kind::Converted;
        plan.head = converted_;
        plan.headSize = static_cast<std::size_t>(n);
    }
    if (encodedAsIs && (plan.headSize == 0 || head_[0] > 1)) {
        if (measuring) {
            NoteLeftOut(header.Id());
        }
        plan.kind = FramePlan::Kind::Drop;
        return true;
    }
    if (convert) {
        std::size_t consumed = 0;
        const std::int64_t n = ConvertPayload(*layout, head_, plan.headSize, whole, converted_,
                                              sizeof converted_, consumed);
        if (n >= 0) {
            plan.kind = FramePlan::Kind::Converted;
            plan.head = converted_;
            plan.headSize = static_cast<std::size_t>(n);
            if (version == 4 && id == "TCON" && !header.grouped) {
                // Genres by number become names, as 2.3 readers expect.
                const std::size_t joined =
                    DecodeTextPayload(converted_, plan.headSize, text_, sizeof text_);
                char names[sizeof text_];
                const std::size_t named = GenreNames({text_, joined}, names, sizeof names);
                plan.headSize = EncodeTextPayload({names, named}, converted_, sizeof converted_);
            }
        } else if (version == 4 || plan.headSize == 0 || head_[0] > 1) {
            // 2.3 has no form for texts that cannot be converted.
            if (measuring) {
                NoteLeftOut(header.Id());
            }
            plan.kind = FramePlan::Kind::Drop;
            return true;
        }
    }
    const std::uint64_t size = plan.extrasSize + plan.headSize + plan.rest;
    if (size > 0xFFFFFFFFu) {
        plan.kind = FramePlan::Kind::Drop;
        return true;
    }
    plan.out.size = static_cast<std::uint32_t>(size);
    return true;
}

void MP3::ResetMeasures() {
    keptSize_ = 0;
    for (int f = 0; f < TagFieldCount; ++f) {
        fieldSize_[f] = 0;
        fieldCount_[f] = 0;
        fieldTextSize_[f] = 0;
    }
    hasYear_ = hasDate_ = hasTime_ = hasOriginalYear_ = hasPeople_ = false;
    dateSeen_ = originalDateSeen_ = false;
    peopleSize_ = 0;
    leftOut_ = 0;
    leftOutSize_ = 0;
}

void MP3::MeasureTag(InputFile& in) {
    ResetMeasures();
    FrameHeader header;
    FramePlan plan;
    if (StartWalk(in)) {
        while (NextFrame(in, header) && PlanFrame(in, header, plan, true)) {
            const std::string_view id = plan.Id();
            hasYear_ = hasYear_ || id == "TYER";
            hasDate_ = hasDate_ || id == "TDAT";
            hasTime_ = hasTime_ || id == "TIME";
            hasOriginalYear_ = hasOriginalYear_ || id == "TORY";
            hasPeople_ = hasPeople_ || (id == "IPLS" && header_.version != 4);
            const bool kept =
                plan.kind == FramePlan::Kind::Verbatim || plan.kind == FramePlan::Kind::Converted;
            const std::uint64_t size = kept ? FrameHeaderSize + std::uint64_t{plan.out.size} : 0;
            if (plan.field < 0) {
                keptSize_ += size;
                continue;
            }
            const int f = plan.field;
            fieldSize_[f] += size;
            if (!kept) {
                continue;
            }
            // A repeated frame gives its last text.
            ++fieldCount_[f];
            fieldTextSize_[f] = 0;
            if (!plan.out.compressed) {
                const std::size_t skip = plan.TextStart();
                if (plan.headSize > skip) {
                    fieldTextSize_[f] = DecodeTextPayload(plan.head + skip, plan.headSize - skip,
                                                          fieldText_[f], MaxFieldText);
                }
            }
        }
    }
    if (in.Error() != 0) {
        CheckStreams(&in, nullptr);
        return;
    }
    if (walkBroken_) {
        MarkBroken(brokenReported_ ? "" : "ID3 tag cannot be read frame by frame");
        return;
    }
    keptSize_ += DateFramesSize(date_, false) + DateFramesSize(originalDate_, true);
    if (peopleSize_ > 0 && !hasPeople_) {
        keptSize_ += FrameHeaderSize + EncodePeople();
    }
    if (leftOut_ > 0) {
        char line[sizeof leftOutIds_ + 64];
        const int n =
            std::snprintf(line, sizeof line, "Frames that ID3v2.3 cannot hold left out: %.*s",
                          static_cast<int>(leftOutSize_), leftOutIds_);
        WriteDiagnostic({line, static_cast<std::size_t>(std::max(n, 0))});
    }
}

std::size_t MP3::EncodePeople() {
    // As a 2.4 payload in UTF-8, which the conversion turns into ISO-8859-1 or UTF-16.
    static_assert(sizeof people_ + 1 <= MaxConverted);
    head_[0] = 3;
    std::memcpy(head_ + 1, people_, peopleSize_);
    std::size_t consumed = 0;
    const std::int64_t n = ConvertPayload(*LayoutOf("IPLS", 3), head_, peopleSize_ + 1, true,
                                          converted_, sizeof converted_, consumed);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

std::uint64_t MP3::DateFramesSize(const Id3Date& date, bool original) const {
    const std::uint64_t frame = FrameHeaderSize + 1 + 4;
    if (original) {
        return originalDateSeen_ && date.year[0] != 0 && !hasOriginalYear_ ? frame : 0;
    }
    if (!dateSeen_) {
        return 0;
    }
    return (date.year[0] != 0 && !hasYear_ ? frame : 0) +
           (date.date[0] != 0 && !hasDate_ ? frame : 0) +
           (date.time[0] != 0 && !hasTime_ ? frame : 0);
}

std::uint32_t MP3::EditedFrameSize(const TagEdits& edits, int f) const {
    const TagEdits::FrameEdit& edit = edits.frames[f];
    if (!edit.set) {
        return static_cast<std::uint32_t>(fieldSize_[f]);
    }
    const int count = fieldCount_[f] > 0 ? fieldCount_[f] : edit.add ? 1 : 0;
    unsigned char payload[4 * MaxFieldText + 8];
    const std::size_t size = EncodeTextPayload(edit.text, payload, sizeof payload);
    return static_cast<std::uint32_t>(static_cast<std::size_t>(count) * (FrameHeaderSize + size));
}

void MP3::WriteTag(InputFile& in, OutputFile* out, const TagEdits& edits, TagEditor& editor) {
    if (kind_ != TagKind::None && kind_ != TagKind::Broken && StartWalk(in)) {
        FrameHeader header;
        FramePlan plan;
        while (!failed_ && NextFrame(in, header) && PlanFrame(in, header, plan, false)) {
            const bool kept =
                plan.kind == FramePlan::Kind::Verbatim || plan.kind == FramePlan::Kind::Converted;
            if (plan.field >= 0 && edits.frames[plan.field].set) {
                if (kept) {
                    WriteTextFrame(out, plan.Id(), edits.frames[plan.field].text,
                                   OutputFrame::Origin::Set, editor);
                }
            } else if (kept) {
                WriteFrame(out, plan, editor);
            } else if (plan.kind == FramePlan::Kind::Date && plan.Id() == "TDRC") {
                WriteDateFrames(out, date_, false, editor);
            } else if (plan.kind == FramePlan::Kind::OriginalDate) {
                WriteDateFrames(out, originalDate_, true, editor);
            } else if (plan.kind == FramePlan::Kind::People && !peopleWritten_ && !hasPeople_ &&
                       peopleSize_ > 0) {
                peopleWritten_ = true;
                const std::size_t n = EncodePeople();
                FrameHeader ipls;
                std::memcpy(ipls.id, "IPLS", 4);
                ipls.size = static_cast<std::uint32_t>(n);
                unsigned char bytes[FrameHeaderSize];
                ipls.WriteV23(bytes);
                WriteBytes(out, bytes, sizeof bytes);
                WriteBytes(out, converted_, n);
                editor.Frame({"IPLS", {}, ipls.size, OutputFrame::Origin::Converted});
            }
        }
    }
    for (const TagField field : AddOrder) {
        const int f = static_cast<int>(field);
        if (edits.frames[f].set && edits.frames[f].add && fieldCount_[f] == 0) {
            WriteTextFrame(out, FieldIds[f], edits.frames[f].text, OutputFrame::Origin::Added,
                           editor);
        }
    }
    CheckStreams(&in, out);
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
    header.size = static_cast<std::uint32_t>(EncodeTextPayload(text, payload, sizeof payload));
    unsigned char bytes[FrameHeaderSize];
    header.WriteV23(bytes);
    WriteBytes(out, bytes, sizeof bytes);
    WriteBytes(out, payload, header.size);
    const std::size_t n = DecodeTextPayload(payload, header.size, text_, sizeof text_);
    editor.Frame({id, {text_, n}, header.size, origin});
}

void MP3::WriteFrame(OutputFile* out, const FramePlan& plan, TagEditor& editor) {
    unsigned char bytes[FrameHeaderSize];
    plan.out.WriteV23(bytes);
    WriteBytes(out, bytes, sizeof bytes);
    WriteBytes(out, plan.extras, plan.extrasSize);
    WriteBytes(out, plan.head, plan.headSize);
    std::size_t textSize = 0;
    const std::size_t skip = plan.TextStart();
    if (plan.id[0] == 'T' && !plan.out.compressed && !plan.out.encrypted && plan.headSize > skip) {
        textSize = DecodeTextPayload(plan.head + skip, plan.headSize - skip, text_, sizeof text_);
    }
    CopyPayloadRest(out, plan.rest);
    editor.Frame({plan.Id(),
                  {text_, textSize},
                  plan.out.size,
                  plan.kind == FramePlan::Kind::Converted || header_.version != 3
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
