// The measuring walk: what every output frame will be and how large, the texts the
// editor may ask for, and the frames left out, named once the walk is over.
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

// The texts of 2.4's dates and people, for the frames they become; only the first
// frame of each date counts.
void MP3::CollectOwnFrame(const FramePlan& plan) {
    if (plan.kind == FramePlan::Kind::People) {
        if (peopleSize_ > 0 && peopleSize_ < sizeof people_) {
            people_[peopleSize_++] = '\0';
        }
        peopleSize_ += TextFrame::Parse(plan.head, plan.headSize, people_ + peopleSize_,
                                        sizeof people_ - peopleSize_, true, '\0');
        return;
    }
    const bool original = plan.kind == FramePlan::Kind::OriginalDate;
    bool& seen = original ? originalDateSeen_ : dateSeen_;
    if (!seen) {
        const std::size_t n = TextFrame::Parse(plan.head, plan.headSize, text_, sizeof text_);
        (original ? originalDate_ : date_) = SplitTimeStamp({text_, n});
        seen = true;
    }
}

void MP3::MeasureFrame(const FramePlan& plan) {
    if (BecomesOwnFrames(plan)) {
        CollectOwnFrame(plan);
    }
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
    chapterNotes_ = &writer_;
    const TagPart parts[] = {{header_, tagStart_, tagEnd_},
                             {secondHeader_, secondStart_, secondEnd_}};
    FrameHeader header;
    FramePlan plan;
    for (int p = 0; p < (secondStart_ >= 0 ? 2 : 1); ++p) {
        if (!StartWalk(in, parts[p])) {
            return p;
        }
        while (NextFrame(in, header) && PlanFrame(in, header, plan)) {
            if (!plan.leftOut.empty()) {
                NoteLeftOut(plan.leftOut, plan.unreadable);
            }
            if (p == 0) {
                RememberKey(plan);
            }
            if (p == 0 || !Repeated(plan)) {
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
    if (MeasureParts(in) == 1 && !in.Error()) {
        // A second tag that cannot be walked stays audio, as a broken tag alone does,
        // and the first is read on its own.
        WriteDiagnostic(*diagnostics_,
                        "A second ID3v2 tag follows the first but cannot be read: kept as audio");
        audioStart_ = secondStart_;
        secondStart_ = -1;
        walkBroken_ = false;
        brokenReported_ = false;
        MeasureParts(in);
    }
    if (in.Error()) {
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
            *diagnostics_,
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
            WriteDiagnostic(*diagnostics_, {line, static_cast<std::size_t>(std::max(n, 0))});
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

}  // namespace brambex
