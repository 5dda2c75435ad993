// The measuring walk: what every output frame will be and how large, the texts the
// editor may ask for, and the frames left out, named once the walk is over; then the
// output tag's size for the editor's edits.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "tags/diagnostic.h"
#include "tags/frame_walk.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

// Told of the frames a chapter leaves out.
class LeftOutCollector : public LeftOutNotes {
  public:
    explicit LeftOutCollector(TagAsRead& read) : read_(read) {}
    void LeftOut(std::string_view id, bool unreadable) override {
        read_.NoteLeftOut(id, unreadable);
    }

  private:
    TagAsRead& read_;
};

// The texts of 2.4's dates and people, for the frames they become; only the first
// frame of each date counts.
void CollectOwnFrame(const FramePlan& plan, TagAsRead& read) {
    if (plan.kind == FramePlan::Kind::People) {
        if (read.peopleSize > 0 && read.peopleSize < sizeof read.people) {
            read.people[read.peopleSize++] = '\0';
        }
        read.peopleSize += TextFrame::Parse(plan.head, plan.headSize, read.people + read.peopleSize,
                                            sizeof read.people - read.peopleSize, true, '\0');
        return;
    }
    const bool original = plan.kind == FramePlan::Kind::OriginalDate;
    bool& seen = original ? read.originalDateSeen : read.dateSeen;
    if (!seen) {
        char text[3 * 1024 + 4];
        const std::size_t n = TextFrame::Parse(plan.head, plan.headSize, text, sizeof text);
        (original ? read.originalDate : read.date) = SplitTimeStamp({text, n});
        seen = true;
    }
}

void MeasureFrame(const FramePlan& plan, int version, TagAsRead& read) {
    if (plan.BecomesOwnFrames()) {
        CollectOwnFrame(plan, read);
    }
    const std::string_view id = plan.Id();
    const bool kept = plan.Kept();
    read.hasYear = read.hasYear || (kept && id == "TYER");
    read.hasDate = read.hasDate || (kept && id == "TDAT");
    read.hasTime = read.hasTime || (kept && id == "TIME");
    read.hasOriginalYear = read.hasOriginalYear || (kept && id == "TORY");
    read.hasPeople = read.hasPeople || (kept && id == "IPLS" && version != 4);
    if (kept && id == "TYER" && read.year[0] == '\0' && !plan.out.compressed) {
        read.NoteYear(plan.text);
    }
    std::uint64_t size = kept ? FrameHeaderSize + std::uint64_t{plan.out.size} : 0;
    if (plan.kind == FramePlan::Kind::Gain) {
        size = 2 * (FrameHeaderSize + 2) + std::strlen(plan.gain.gain) +
               std::strlen(plan.gain.peak) + 2 * std::strlen("REPLAYGAIN_TRACK_GAIN");
    }
    if (plan.field < 0) {
        read.keptSize += size;
        return;
    }
    const int f = plan.field;
    read.fieldSize[f] += size;
    if (kept) {
        // A repeated frame gives its last text.
        ++read.fieldCount[f];
        read.fieldTextSize[f] = CutUtf8(plan.text, TagAsRead::MaxFieldText).size();
        plan.text.copy(read.fieldText[f], read.fieldTextSize[f]);
    }
}

// The first tag's frames are remembered, for the second's that repeat one of them to
// be dropped.
void RememberKey(const FramePlan& plan, TagAsRead& read) {
    if (plan.BecomesOwnFrames() || plan.kind == FramePlan::Kind::Drop ||
        read.firstKeyCount == std::size(read.firstKeys)) {
        return;
    }
    const FrameKey key = plan.Key();
    if (!read.KnownKey(key)) {
        read.firstKeys[read.firstKeyCount++] = key;
    }
}

// The walk over both tags; the index of the tag it broke in, else -1.
int MeasureParts(InputFile& in, const InputTags& tags, FrameWalk& walk, TagAsRead& read,
                 PassReport& report) {
    read.Reset();
    LeftOutCollector notes(read);
    const TagPart parts[] = {tags.first, tags.second};
    FrameHeader header;
    FramePlan plan;
    for (int p = 0; p < tags.PartCount(); ++p) {
        if (!walk.Start(in, parts[p], tags.HasSecond(), &notes, nullptr)) {
            return p;
        }
        while (walk.Next(in, header, report) && walk.Plan(in, header, plan)) {
            if (!plan.leftOut.empty()) {
                read.NoteLeftOut(plan.leftOut, plan.unreadable);
            }
            if (p == 0 && tags.HasSecond()) {
                RememberKey(plan, read);
            }
            if (p == 0 || !Repeated(plan, tags, read)) {
                MeasureFrame(plan, walk.Version(), read);
            }
        }
        if (walk.Broken()) {
            return p;
        }
    }
    return -1;
}

void ReportLeftOut(const TagAsRead& read, PassReport& report) {
    static constexpr const char* Lines[] = {"Frames with no ID3v2.3 form left out: ",
                                            "Frames that cannot be read left out: "};
    for (int i = 0; i < 2; ++i) {
        if (read.leftOutSize[i] > 0) {
            char line[sizeof read.leftOutIds[0] + 64];
            const int n = std::snprintf(line, sizeof line, "%s%.*s", Lines[i],
                                        static_cast<int>(read.leftOutSize[i]), read.leftOutIds[i]);
            WriteDiagnostic(report.Sink(), {line, static_cast<std::size_t>(std::max(n, 0))});
        }
    }
}

std::uint64_t DateFramesSize(const TagAsRead& read, bool original) {
    const std::uint64_t frame = FrameHeaderSize + 1 + 4;
    if (original) {
        return read.originalDateSeen && read.originalDate.year[0] != 0 && !read.hasOriginalYear
                   ? frame
                   : 0;
    }
    if (!read.dateSeen) {
        return 0;
    }
    const Id3Date& date = read.date;
    return (date.year[0] != 0 && !read.hasYear ? frame : 0) +
           (date.date[0] != 0 && !read.hasDate ? frame : 0) +
           (date.time[0] != 0 && !read.hasTime ? frame : 0);
}

std::uint32_t EditedFrameSize(const TagAsRead& read, const TagEdits& edits, int f) {
    const TagEdits::FrameEdit& edit = edits.frames[f];
    if (!edit.set) {
        return static_cast<std::uint32_t>(read.fieldSize[f]);
    }
    const int count = read.fieldCount[f] > 0 ? read.fieldCount[f] : edit.add ? 1 : 0;
    unsigned char payload[4 * TagAsRead::MaxFieldText + 8];
    const std::size_t size = TextFrame::Render(edit.text, payload, sizeof payload);
    return static_cast<std::uint32_t>(static_cast<std::size_t>(count) * (FrameHeaderSize + size));
}

}  // namespace

bool Repeated(const FramePlan& plan, const InputTags& tags, const TagAsRead& read) {
    return tags.HasSecond() && !plan.BecomesOwnFrames() && read.KnownKey(plan.Key());
}

void MeasureTag(InputFile& in, InputTags& tags, FrameWalk& walk, TagAsRead& read,
                PassReport& report) {
    if (MeasureParts(in, tags, walk, read, report) == 1 && !in.Error()) {
        // A second tag that cannot be walked stays audio, as a broken tag alone does,
        // and the first is read on its own.
        WriteDiagnostic(report.Sink(),
                        "A second ID3v2 tag follows the first but cannot be read: kept as audio");
        tags.audioStart = tags.second.start;
        tags.second.start = -1;
        walk.ClearBroken();
        MeasureParts(in, tags, walk, read, report);
    }
    if (in.Error()) {
        report.CheckStreams(&in, nullptr);
        return;
    }
    if (walk.Broken()) {
        MarkBroken(tags, walk.BrokenReported() ? "" : "ID3 tag cannot be read frame by frame",
                   report);
        read.Reset();
        return;
    }
    read.keptSize += DateFramesSize(read, false) + DateFramesSize(read, true);
    if (read.peopleSize > 0 && !read.hasPeople) {
        read.keptSize += FrameHeaderSize + MeasurePeople(read, walk).size;
    }
    if (read.year[0] == '\0' && read.dateSeen) {
        std::memcpy(read.year, read.date.year, sizeof read.date.year);
    }
    if (tags.HasSecond()) {
        WriteDiagnostic(
            report.Sink(),
            "A second ID3v2 tag follows the first: its frames were merged into one tag");
    }
    ReportLeftOut(read, report);
}

PayloadConverter::Result MeasurePeople(const TagAsRead& read, FrameWalk& walk) {
    // As a 2.4 payload in UTF-8, which the conversion turns into ISO-8859-1 or UTF-16.
    static_assert(sizeof read.people + 1 <= FrameWalk::ScratchSize);
    unsigned char* payload = walk.Scratch();
    payload[0] = 3;
    std::memcpy(payload + 1, read.people, read.peopleSize);
    MemorySource people(payload, read.peopleSize + 1);
    return walk.Converter().Measure(PeopleFrame::Layout, people);
}

bool SizeOutputTag(const InputTags& tags, const TagAsRead& read, const TagEdits& edits,
                   std::uint32_t blockSize, OutputTag& tag, PassReport& report) {
    tag.framesSize = read.keptSize;
    for (int f = 0; f < TagFieldCount; ++f) {
        tag.framesSize += EditedFrameSize(read, edits, f);
    }
    const std::uint64_t room =
        tags.Walkable()
            ? static_cast<std::uint64_t>(tags.audioStart - tags.first.start - TagHeader::Size)
            : 0;
    tag.grew = tags.Walkable() && tag.framesSize > room;
    // A new tag always gets padding, so that a later edit need not move the audio, and
    // as much more as brings the audio to its input offset within a block.
    const std::uint64_t padded = tag.framesSize + OutputTagPadding;
    const std::uint64_t behind = (TagHeader::Size + padded) % blockSize;
    const std::uint64_t wanted = static_cast<std::uint64_t>(tags.audioStart) % blockSize;
    const std::uint64_t aligned = padded + (wanted + blockSize - behind) % blockSize;
    const std::uint64_t size = tags.Walkable() && tag.framesSize <= room ? room : aligned;
    if (size > TagHeader::MaxSize) {
        WriteDiagnostic(report.Sink(), "The ID3 tag would be too large");
        report.Fail();
        return false;
    }
    tag.size = static_cast<std::uint32_t>(size);
    return true;
}

void TagAsRead::Reset() {
    keptSize = 0;
    for (int f = 0; f < TagFieldCount; ++f) {
        fieldSize[f] = 0;
        fieldCount[f] = 0;
        fieldTextSize[f] = 0;
    }
    hasYear = hasDate = hasTime = hasOriginalYear = hasPeople = false;
    dateSeen = originalDateSeen = false;
    year[0] = '\0';
    peopleSize = 0;
    leftOut = 0;
    leftOutSize[0] = leftOutSize[1] = 0;
    firstKeyCount = 0;
}

bool TagAsRead::KnownKey(const FrameKey& key) const {
    return std::any_of(firstKeys, firstKeys + firstKeyCount, [&](const FrameKey& k) {
        return std::memcmp(k.id, key.id, 4) == 0 && k.text == key.text;
    });
}

void TagAsRead::NoteLeftOut(std::string_view id, bool unreadable) {
    ++leftOut;
    char* ids = leftOutIds[unreadable ? 1 : 0];
    std::size_t& size = leftOutSize[unreadable ? 1 : 0];
    if (size + id.size() + 2 < sizeof leftOutIds[0]) {
        if (size > 0) {
            ids[size++] = ' ';
        }
        std::memcpy(ids + size, id.data(), id.size());
        size += id.size();
    }
}

void TagAsRead::NoteYear(std::string_view text) {
    const std::string_view cut = CutUtf8Chars(text, 4);
    cut.copy(year, cut.size());
    year[cut.size()] = '\0';
}

}  // namespace brambex
