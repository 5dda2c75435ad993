// The two walks over the input tag's frames (over both tags, when a second follows the
// first): the first learns what every output frame will be and how large, the second
// writes them. Both decide each frame through PlanFrame, so that they cannot disagree;
// a frame that is converted is read once more to be written.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "tags/byte_order.h"
#include "tags/diagnostic.h"
#include "tags/mp3.h"
#include "tags/text_encoding.h"

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
    std::string_view Id() const { return {id, 4}; }
    // Where a text starts in the head: after the group id that a 2.3 frame carries
    // there (2.4's is among the extras).
    std::size_t TextStart() const { return out.grouped && extrasSize == 0 ? 1 : 0; }
    bool Kept() const {
        return kind == Kind::Verbatim || kind == Kind::Held || kind == Kind::Converted ||
               kind == Kind::Chapter;
    }
};

std::size_t MP3::PayloadReader::Read(unsigned char* out, std::size_t n) {
    return mp3_.ReadPayload(out, n);
}

std::uint64_t MP3::PayloadReader::Skip(std::uint64_t n) {
    const std::uint64_t k = std::min(n, mp3_.payloadLeft_);
    const bool skipped = mp3_.payload_->Skip(k);
    mp3_.payloadLeft_ = skipped ? mp3_.payloadLeft_ - k : 0;
    return skipped ? k : 0;
}

std::uint64_t MP3::PayloadReader::CopyTo(PayloadSink&, std::uint64_t n) {
    // The sink is always the pass's output: pictures go the fast way.
    const std::uint64_t k = std::min(n, mp3_.payloadLeft_);
    mp3_.CopyPayloadRest(mp3_.output_, k);
    return k;
}

PayloadSource::Mark MP3::PayloadReader::Here() const {
    const TagStream::Mark mark = mp3_.payload_->Here();
    return {mark.position, mark.afterFF, mp3_.payloadLeft_, 0, false};
}

void MP3::PayloadReader::Rewind(const Mark& mark) {
    mp3_.payload_->Rewind({mark.position, mark.afterFF});
    mp3_.payloadLeft_ = mark.left;
}

void MP3::FindSecondTag(InputFile& in, std::int64_t at) {
    secondStart_ = -1;
    std::int64_t fileSize = in.Size();
    // Where the size cannot be told (a pipe), nor can the end of a second tag be checked:
    // it is not looked for, and whatever follows the first tag is audio.
    if (fileSize < 0) {
        return;
    }
    unsigned char bytes[TagHeader::Size];
    in.Seek(at);
    const std::size_t n = in.Read(bytes, sizeof bytes);
    // Some taggers put a new tag in front of the old one instead of replacing it.
    if (secondHeader_.Read(bytes, n) != TagHeader::Status::Valid) {
        return;
    }
    // A second tag ends before an ID3v1 trailer, an APE tag or a Lyrics3v2 block: a
    // broken tag kept as audio, which claimed more than its file held, must not become
    // one once such a tag follows it.
    fileSize = AudioEndAfter(in, at);
    if (at + secondHeader_.TotalSize() > fileSize ||
        (secondHeader_.version == 2 && (secondHeader_.flags & TagHeader::ExtendedHeader) != 0)) {
        return;
    }
    // With a third behind it, the tags after the first stay audio, all of them: merging
    // two would leave the third to be taken for a second by the next pass.
    TagHeader third;
    in.Seek(at + secondHeader_.TotalSize());
    if (third.Read(bytes, in.Read(bytes, sizeof bytes)) == TagHeader::Status::Valid) {
        WriteDiagnostic("More than two ID3v2 tags in a row: those after the first kept as audio");
        return;
    }
    secondStart_ = at;
    secondEnd_ = at + TagHeader::Size + secondHeader_.size;
    audioStart_ = at + secondHeader_.TotalSize();
}

bool MP3::StartWalk(InputFile& in, const TagPart& part) {
    walk_ = part;
    const TagHeader& tag = walk_.header;
    const bool wholeTagUnsynchronised = tag.version != 4 && tag.Unsynchronised();
    tag_.Open(in, walk_.start + TagHeader::Size, walk_.end, wholeTagUnsynchronised);
    payload_ = &tag_;
    payloadLeft_ = 0;
    walkBroken_ = false;
    if (tag.version == 2 || (tag.flags & TagHeader::ExtendedHeader) == 0) {
        return true;
    }
    // The output tag goes without the extended header: its CRC and padding size would
    // no longer hold.
    unsigned char sizeBytes[4];
    if (tag_.Read(sizeBytes, 4) == 4) {
        // 2.3 counts the bytes after the size, 2.4 the whole extended header.
        const std::uint32_t size =
            tag.version == 3 ? ReadUint32BigEndian(sizeBytes) : ReadSyncsafe32(sizeBytes);
        if ((tag.version == 3 || size >= 6) && tag_.Skip(tag.version == 3 ? size : size - 4)) {
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
    const int version = walk_.header.version;
    const int headerSize = FrameHeader::SizeFor(version);
    unsigned char bytes[FrameHeader::MaxSize];
    if (tag_.Read(bytes, static_cast<std::size_t>(headerSize)) <
            static_cast<std::size_t>(headerSize) ||
        !header.Read(bytes, version)) {
        // Less than a header left, or zero bytes: padding.
        return false;
    }
    const std::int64_t payloadStart = tag_.Position();
    if (header.size > static_cast<std::uint64_t>(walk_.end - payloadStart)) {
        WriteDiagnosticNumber("Frame too big: ", header.size);
        walkBroken_ = true;
        brokenReported_ = true;
        return false;
    }
    payloadLeft_ = header.size;
    if (version == 4) {
        frameStart_ = payloadStart;
        frame_.OpenWithin(tag_, in, payloadStart, payloadStart + header.size,
                          header.unsynchronised || walk_.header.Unsynchronised());
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

void MP3::NoteLeftOut(std::string_view id, bool unreadable) {
    ++leftOut_;
    char* ids = leftOutIds_[unreadable ? 1 : 0];
    std::size_t& size = leftOutSize_[unreadable ? 1 : 0];
    if (size + id.size() + 2 < sizeof leftOutIds_[0]) {
        if (size > 0) {
            ids[size++] = ' ';
        }
        std::memcpy(ids + size, id.data(), id.size());
        size += id.size();
    }
}

bool MP3::PlanFrame(InputFile& in, const FrameHeader& header, FramePlan& plan, bool measuring) {
    plan = FramePlan{};
    const int version = walk_.header.version;
    if (!MapFrameId(version, header.Id(), plan.id)) {
        if (measuring) {
            NoteLeftOut(header.Id(), false);
        }
        return true;
    }
    plan.field = FieldOf(plan.Id());
    plan.out = header;
    std::memcpy(plan.out.id, plan.id, 4);
    if (version == 4 && !ReadExtras(in, header, plan)) {
        if (measuring) {
            NoteLeftOut(header.Id(), true);
        }
        return true;
    }
    const std::string_view id = plan.Id();
    if (version == 4 && (id == "TDRC" || id == "TDOR" || id == "TIPL" || id == "TMCL" ||
                         id == "RVA2" || (id == "TCON" && payloadLeft_ <= HeadSize))) {
        return PlanOwnFrames(in, plan, measuring);
    }
    const FrameLayout* layout = header.compressed ? nullptr : LayoutOf(id, version);
    if (version == 4 && id == "TMOO") {
        std::memcpy(plan.id, "TXXX", 4);
        std::memcpy(plan.out.id, "TXXX", 4);
        plan.name = "MOOD";
        PlanConverted(UserTextFrame::NamedLayout, plan, measuring);
    } else if (version == 4 && !header.compressed && (id == "CHAP" || id == "CTOC")) {
        plan.kind = FramePlan::Kind::Chapter;
        plan.start = reader_.Here();
        const PayloadConverter::Result r =
            converter_.MeasureChapter(id, reader_, measuring ? &writer_ : nullptr);
        plan.out.size = static_cast<std::uint32_t>(plan.extrasSize + r.size);
        if (!r.valid || plan.extrasSize + r.size > 0xFFFFFFFFu) {
            plan.kind = FramePlan::Kind::Drop;
            if (measuring) {
                NoteLeftOut(header.Id(), true);
            }
        }
    } else if (layout != nullptr && (version == 4 || (version == 2 && id == "APIC"))) {
        PlanConverted(*layout, plan, measuring);
    } else {
        PlanKeyed(layout, plan);
        if (!ReadHead(in, plan, measuring)) {
            return false;
        }
        plan.kind = FramePlan::Kind::Verbatim;
        plan.out.size = static_cast<std::uint32_t>(plan.extrasSize + plan.headSize + plan.rest);
        if (plan.extrasSize + plan.headSize + plan.rest > 0xFFFFFFFFu) {
            plan.kind = FramePlan::Kind::Drop;
        }
    }
    return true;
}

bool MP3::ReadExtras(InputFile& in, const FrameHeader& header, FramePlan& plan) {
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
        return false;
    }
    if (header.compressed) {
        WriteUint32BigEndian(plan.extras, ReadSyncsafe32(length));
        plan.extrasSize = 4;
    }
    if (header.grouped) {
        plan.extras[plan.extrasSize++] = group;
    }
    return true;
}

// The first bytes of a verbatim text frame, for its text; the rest streams.
bool MP3::ReadHead(InputFile& in, FramePlan& plan, bool measuring) {
    const std::uint64_t dataSize = payloadLeft_;
    if (plan.id[0] == 'T' || plan.kind == FramePlan::Kind::Held) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(dataSize, HeadSize));
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
    const std::size_t skip = plan.TextStart();
    if (plan.id[0] == 'T' && !plan.out.compressed && !plan.out.encrypted && plan.headSize > skip) {
        const std::size_t n =
            TextFrame::Parse(plan.head + skip, plan.headSize - skip, text_, sizeof text_);
        plan.text = {text_, n};
    }
    return true;
}

// 2.4 frames read whole to become other frames: dates, people, volume, and genres by
// number. Longer ones than the buffer give what their first bytes hold.
bool MP3::PlanOwnFrames(InputFile& in, FramePlan& plan, bool measuring) {
    plan.kind = FramePlan::Kind::Held;
    if (!ReadHead(in, plan, measuring)) {
        return false;
    }
    const std::string_view id = plan.Id();
    if (id == "TCON") {
        // Genres by number become names, as 2.3 readers expect.
        const std::size_t joined =
            TextFrame::Parse(head_, plan.headSize, text_, sizeof text_, true, '/');
        char names[sizeof text_];
        const std::size_t named = GenreNames({text_, joined}, names, sizeof names);
        plan.headSize = TextFrame::Render({names, named}, converted_, sizeof converted_);
        plan.head = converted_;
        plan.text = {text_, TextFrame::Parse(converted_, plan.headSize, text_, sizeof text_)};
        plan.out.size = static_cast<std::uint32_t>(plan.extrasSize + plan.headSize);
        return true;
    }
    if (id == "RVA2") {
        plan.kind = ReadVolumeAdjustment(head_, plan.headSize, plan.gain) ? FramePlan::Kind::Gain
                                                                          : FramePlan::Kind::Drop;
        if (plan.kind == FramePlan::Kind::Drop && measuring) {
            NoteLeftOut(id, false);
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
        peopleSize_ += TextFrame::Parse(head_, plan.headSize, people_ + peopleSize_,
                                        sizeof people_ - peopleSize_, true, '\0');
    } else {
        const std::size_t n = TextFrame::Parse(head_, plan.headSize, text_, sizeof text_);
        Id3Date& date = id == "TDRC" ? date_ : originalDate_;
        bool& seen = id == "TDRC" ? dateSeen_ : originalDateSeen_;
        if (!seen) {
            date = SplitTimeStamp({text_, n});
            seen = true;
        }
    }
    return true;
}

void MP3::PlanConverted(const FrameLayout& layout, FramePlan& plan, bool measuring) {
    plan.kind = FramePlan::Kind::Converted;
    plan.layout = &layout;
    plan.start = reader_.Here();
    const PayloadConverter::Result r = converter_.Measure(layout, reader_, plan.name);
    plan.latin1 = r.latin1;
    plan.key = layout.keyField >= 0 ? r.key : 0;
    plan.text = converter_.FirstText();
    const std::uint64_t size = plan.extrasSize + r.size;
    plan.out.size = static_cast<std::uint32_t>(size);
    if (!r.valid || size > 0xFFFFFFFFu) {
        // Texts in an encoding no version knows, or fields cut short.
        plan.kind = FramePlan::Kind::Drop;
        if (measuring) {
            NoteLeftOut(plan.name.empty() ? plan.Id() : "TMOO", true);
        }
    }
}

// A frame kept as it is that a description or owner tells apart from others of its
// id: with a second tag to merge, the description is read for its key, then the
// payload again from its start.
void MP3::PlanKeyed(const FrameLayout* layout, FramePlan& plan) {
    if (secondStart_ < 0 || layout == nullptr || layout->keyField < 0) {
        return;
    }
    const PayloadSource::Mark start = reader_.Here();
    plan.key = converter_.Measure(*layout, reader_).key;
    reader_.Rewind(start);
}

bool MP3::Repeated(const FramePlan& plan, bool firstPart, bool measuring) {
    // Dates and people become frames of their own, each written where the tags lack
    // it: the two walks see them alike whichever tag they come from.
    if (secondStart_ < 0 || plan.kind == FramePlan::Kind::Date ||
        plan.kind == FramePlan::Kind::OriginalDate || plan.kind == FramePlan::Kind::People) {
        return false;
    }
    FrameKey key{};
    const std::string_view id = plan.kind == FramePlan::Kind::Gain ? "TXXX" : plan.Id();
    std::memcpy(key.id, id.data(), 4);
    key.text = plan.kind == FramePlan::Kind::Gain ? (plan.gain.album ? 1u : 0u) : plan.key;
    const auto same = [&](const FrameKey& k) {
        return std::memcmp(k.id, key.id, 4) == 0 && k.text == key.text;
    };
    if (firstPart) {
        if (measuring && firstKeyCount_ < std::size(firstKeys_) &&
            plan.kind != FramePlan::Kind::Drop &&
            std::none_of(firstKeys_, firstKeys_ + firstKeyCount_, same)) {
            firstKeys_[firstKeyCount_++] = key;
        }
        return false;
    }
    return std::any_of(firstKeys_, firstKeys_ + firstKeyCount_, same);
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
    year_[0] = '\0';
    peopleSize_ = 0;
    leftOut_ = 0;
    leftOutSize_[0] = leftOutSize_[1] = 0;
    firstKeyCount_ = 0;
}

void MP3::MeasureFrame(const FramePlan& plan) {
    const std::string_view id = plan.Id();
    const bool kept = plan.Kept();
    hasYear_ = hasYear_ || (kept && id == "TYER");
    hasDate_ = hasDate_ || (kept && id == "TDAT");
    hasTime_ = hasTime_ || (kept && id == "TIME");
    hasOriginalYear_ = hasOriginalYear_ || (kept && id == "TORY");
    hasPeople_ = hasPeople_ || (kept && id == "IPLS" && walk_.header.version != 4);
    if (kept && id == "TYER" && year_[0] == '\0' && !plan.out.compressed) {
        NoteYear(plan.text);
    }
    std::uint64_t size = kept ? FrameHeaderSize + std::uint64_t{plan.out.size} : 0;
    if (plan.kind == FramePlan::Kind::Gain) {
        size = 2 * (FrameHeaderSize + 2) + std::strlen(plan.gain.gain) +
               std::strlen(plan.gain.peak) + 2 * std::strlen("REPLAYGAIN_TRACK_GAIN");
    }
    if (plan.field < 0) {
        keptSize_ += size;
        return;
    }
    const int f = plan.field;
    fieldSize_[f] += size;
    if (kept) {
        // A repeated frame gives its last text.
        ++fieldCount_[f];
        fieldTextSize_[f] = CutUtf8(plan.text, MaxFieldText).size();
        plan.text.copy(fieldText_[f], fieldTextSize_[f]);
    }
}

int MP3::MeasureParts(InputFile& in) {
    ResetMeasures();
    const TagPart parts[] = {{header_, tagStart_, tagEnd_},
                             {secondHeader_, secondStart_, secondEnd_}};
    FrameHeader header;
    FramePlan plan;
    for (int p = 0; p < (secondStart_ >= 0 ? 2 : 1); ++p) {
        if (!StartWalk(in, parts[p])) {
            return p;
        }
        while (NextFrame(in, header) && PlanFrame(in, header, plan, true)) {
            if (!Repeated(plan, p == 0, true)) {
                MeasureFrame(plan);
            }
        }
        if (walkBroken_) {
            return p;
        }
    }
    return -1;
}

void MP3::MeasureTag(InputFile& in) {
    FindSecondTag(in, audioStart_);
    if (MeasureParts(in) == 1 && in.Error() == 0) {
        // A second tag that cannot be walked stays audio, as a broken tag alone does,
        // and the first is read on its own.
        WriteDiagnostic("A second ID3v2 tag follows the first but cannot be read: kept as audio");
        audioStart_ = secondStart_;
        secondStart_ = -1;
        walkBroken_ = false;
        brokenReported_ = false;
        MeasureParts(in);
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
        keptSize_ += FrameHeaderSize + MeasurePeople().size;
    }
    if (secondStart_ >= 0) {
        WriteDiagnostic(
            "A second ID3v2 tag follows the first: its frames were merged into one tag");
    }
    ReportLeftOut();
}

void MP3::ReportLeftOut() {
    static constexpr const char* Lines[] = {"Frames with no ID3v2.3 form left out: ",
                                            "Frames that cannot be read left out: "};
    for (int i = 0; i < 2; ++i) {
        if (leftOutSize_[i] > 0) {
            char line[sizeof leftOutIds_[0] + 64];
            const int n = std::snprintf(line, sizeof line, "%s%.*s", Lines[i],
                                        static_cast<int>(leftOutSize_[i]), leftOutIds_[i]);
            WriteDiagnostic({line, static_cast<std::size_t>(std::max(n, 0))});
        }
    }
}

PayloadConverter::Result MP3::MeasurePeople() {
    // As a 2.4 payload in UTF-8, which the conversion turns into ISO-8859-1 or UTF-16.
    static_assert(sizeof people_ + 1 <= sizeof converted_);
    converted_[0] = 3;
    std::memcpy(converted_ + 1, people_, peopleSize_);
    MemorySource people(converted_, peopleSize_ + 1);
    return converter_.Measure(PeopleFrame::Layout, people);
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
    const std::size_t size = TextFrame::Render(edit.text, payload, sizeof payload);
    return static_cast<std::uint32_t>(static_cast<std::size_t>(count) * (FrameHeaderSize + size));
}

void MP3::WriteTag(InputFile& in, OutputFile* out, const TagEdits& edits, TagEditor& editor) {
    output_ = out;
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
        while (!failed_ && NextFrame(in, header) && PlanFrame(in, header, plan, false)) {
            if (!Repeated(plan, p == 0, false)) {
                WriteKeptFrame(out, plan, edits, editor);
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
