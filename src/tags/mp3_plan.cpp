// What each input frame becomes: kept as it is, converted, made into other frames, or
// left out. Both walks decide each frame here, so that they cannot disagree; a frame
// that is converted is read once more to be written.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "tags/byte_order.h"
#include "tags/diagnostic.h"
#include "tags/frame_walk.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

constexpr const char* FieldIds[TagFieldCount] = {"TALB", "TPE1", "TPE2", "TCON", "TIT2", "TRCK"};

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

bool FrameWalk::Plan(InputFile& in, const FrameHeader& header, FramePlan& plan) {
    plan = FramePlan{};
    const int version = part_.header.version;
    if (!MapFrameId(version, header.Id(), plan.id)) {
        plan.leftOut = header.Id();
        return true;
    }
    plan.field = FieldOf(plan.Id());
    plan.out = header;
    std::memcpy(plan.out.id, plan.id, 4);
    if (version == 4 && !ReadExtras(in, header, plan)) {
        plan.leftOut = header.Id();
        plan.unreadable = true;
        return true;
    }
    const std::string_view id = plan.Id();
    if (version == 4 && (id == "TDRC" || id == "TDOR" || id == "TIPL" || id == "TMCL" ||
                         id == "RVA2" || (id == "TCON" && payloadLeft_ <= HeadSize))) {
        return PlanOwnFrames(plan);
    }
    const FrameLayout* layout = header.compressed ? nullptr : LayoutOf(id, version);
    if (version == 4 && id == "TMOO") {
        std::memcpy(plan.id, "TXXX", 4);
        std::memcpy(plan.out.id, "TXXX", 4);
        plan.name = "MOOD";
        PlanConverted(UserTextFrame::NamedLayout, plan);
    } else if (version == 4 && !header.compressed && (id == "CHAP" || id == "CTOC")) {
        PlanChapter(header, plan);
    } else if (layout != nullptr && (version == 4 || (version == 2 && id == "APIC"))) {
        PlanConverted(*layout, plan);
    } else {
        return PlanVerbatim(layout, plan);
    }
    return true;
}

void FrameWalk::PlanChapter(const FrameHeader& header, FramePlan& plan) {
    plan.kind = FramePlan::Kind::Chapter;
    plan.start = reader_.Here();
    const PayloadConverter::Result r = converter_.MeasureChapter(plan.Id(), reader_, notes_);
    plan.out.size = static_cast<std::uint32_t>(plan.extrasSize + r.size);
    if (!r.valid || plan.extrasSize + r.size > 0xFFFFFFFFu) {
        plan.kind = FramePlan::Kind::Drop;
        plan.leftOut = header.Id();
        plan.unreadable = true;
    }
}

// A frame kept as it is: its first bytes read for its text, the rest streamed.
bool FrameWalk::PlanVerbatim(const FrameLayout* layout, FramePlan& plan) {
    PlanKeyed(layout, plan);
    if (!ReadHead(plan)) {
        return false;
    }
    plan.kind = FramePlan::Kind::Verbatim;
    plan.out.size = static_cast<std::uint32_t>(plan.extrasSize + plan.headSize + plan.rest);
    if (plan.extrasSize + plan.headSize + plan.rest > 0xFFFFFFFFu) {
        plan.kind = FramePlan::Kind::Drop;
    }
    return true;
}

bool FrameWalk::ReadExtras(InputFile& in, const FrameHeader& header, FramePlan& plan) {
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
bool FrameWalk::ReadHead(FramePlan& plan) {
    const std::uint64_t dataSize = payloadLeft_;
    // A chapter's head gives its times and title to the editor.
    if (plan.id[0] == 'T' || plan.kind == FramePlan::Kind::Held || plan.Id() == "CHAP") {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(dataSize, HeadSize));
        plan.headSize = ReadPayload(head_, want);
        if (plan.headSize < want) {
            // A frame that runs past the tag (unsynchronised tags can tell only now), or
            // an input that changed since the first walk.
            broken_ = true;
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
bool FrameWalk::PlanOwnFrames(FramePlan& plan) {
    plan.kind = FramePlan::Kind::Held;
    if (!ReadHead(plan)) {
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
        plan.leftOut = plan.kind == FramePlan::Kind::Drop ? id : std::string_view();
        return true;
    }
    // The measuring walk collects what they hold.
    plan.kind = id == "TDRC"   ? FramePlan::Kind::Date
                : id == "TDOR" ? FramePlan::Kind::OriginalDate
                               : FramePlan::Kind::People;
    return true;
}

void FrameWalk::PlanConverted(const FrameLayout& layout, FramePlan& plan) {
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
        plan.leftOut = plan.name.empty() ? plan.Id() : "TMOO";
        plan.unreadable = true;
    }
}

// A frame kept as it is that a description or owner tells apart from others of its
// id: with a second tag to merge, the description is read for its key, then the
// payload again from its start.
void FrameWalk::PlanKeyed(const FrameLayout* layout, FramePlan& plan) {
    if (!keyed_ || layout == nullptr || layout->keyField < 0) {
        return;
    }
    const PayloadSource::Mark start = reader_.Here();
    plan.key = converter_.Measure(*layout, reader_).key;
    reader_.Rewind(start);
}

FrameKey FramePlan::Key() const {
    FrameKey known{};
    const std::string_view keyId = kind == Kind::Gain ? "TXXX" : Id();
    std::memcpy(known.id, keyId.data(), 4);
    known.text = kind == Kind::Gain ? (gain.album ? 1u : 0u) : key;
    return known;
}

}  // namespace brambex
