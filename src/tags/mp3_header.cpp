// The header's stage of a pass: where the input's tag lies, whether it can be walked,
// and a second tag right after the first, which some taggers put in front of the old
// one instead of replacing it.
#include "tags/diagnostic.h"
#include "tags/mp3_pass.h"

namespace brambex {

namespace {

bool Compressed22(const TagHeader& header) {
    // 2.2 defined the compression flag but no way to compress.
    return header.version == 2 && (header.flags & TagHeader::ExtendedHeader) != 0;
}

// Whether the tag's declared end lies within the input. Without a size, its last byte
// must be there to read.
bool TagFits(InputFile& in, std::int64_t end, PassReport& report) {
    const std::int64_t fileSize = in.Size();
    if (fileSize >= 0) {
        return end <= fileSize;
    }
    unsigned char last;
    in.Seek(end - 1);
    const bool fits = in.Read(&last, 1) == 1;
    report.CheckStreams(&in, nullptr);
    return fits;
}

}  // namespace

void ReadInputTags(InputFile& in, InputTags& tags, PassReport& report) {
    tags = InputTags{};
    tags.first.start = in.Position();
    tags.audioStart = tags.first.start;
    TagHeader& header = tags.first.header;
    unsigned char bytes[TagHeader::Size];
    const std::size_t n = in.Read(bytes, sizeof bytes);
    if (in.Error()) {
        report.CheckStreams(&in, nullptr);
        return;
    }
    switch (header.Read(bytes, n)) {
        case TagHeader::Status::NoTag:
            return;
        case TagHeader::Status::UnknownVersion:
            MarkBroken(tags, "ID3 version is not 2, 3 or 4", report);
            return;
        case TagHeader::Status::BadSize:
            MarkBroken(tags, "ID3 tag size is invalid", report);
            return;
        case TagHeader::Status::Valid:
            break;
    }
    const std::int64_t end = tags.first.start + header.TotalSize();
    const bool fits = TagFits(in, end, report);
    if (report.Failed()) {
        return;
    }
    if (!fits || Compressed22(header)) {
        MarkBroken(tags, fits ? "ID3v2.2 tag is compressed" : "ID3 tag size is invalid", report);
        return;
    }
    tags.kind = header.version == 2   ? TagKind::V22
                : header.version == 3 ? TagKind::V23
                                      : TagKind::V24;
    tags.first.end = tags.first.start + TagHeader::Size + header.size;
    tags.audioStart = end;
}

void FindSecondTag(InputFile& in, InputTags& tags, PassReport& report) {
    // Where the size cannot be told (a pipe), nor can the end of a second tag be
    // checked: it is not looked for, and whatever follows the first tag is audio.
    const std::int64_t at = tags.audioStart;
    tags.second.start = -1;
    if (in.Size() < 0) {
        return;
    }
    TagHeader& second = tags.second.header;
    unsigned char bytes[TagHeader::Size];
    in.Seek(at);
    if (second.Read(bytes, in.Read(bytes, sizeof bytes)) != TagHeader::Status::Valid) {
        return;
    }
    // A second tag ends before an ID3v1 trailer, an APE tag or a Lyrics3v2 block: a
    // broken tag kept as audio, which claimed more than its file held, must not become
    // one once such a tag follows it.
    if (at + second.TotalSize() > AudioEndAfter(in, at, report) || Compressed22(second)) {
        return;
    }
    // With a third behind it, the tags after the first stay audio, all of them: merging
    // two would leave the third to be taken for a second by the next pass.
    TagHeader third;
    in.Seek(at + second.TotalSize());
    if (third.Read(bytes, in.Read(bytes, sizeof bytes)) == TagHeader::Status::Valid) {
        WriteDiagnostic(report.Sink(),
                        "More than two ID3v2 tags in a row: those after the first kept as audio");
        return;
    }
    tags.second.start = at;
    tags.second.end = at + TagHeader::Size + second.size;
    tags.audioStart = at + second.TotalSize();
}

void MarkBroken(InputTags& tags, std::string_view diagnostic, PassReport& report) {
    if (!diagnostic.empty()) {
        WriteDiagnostic(report.Sink(), diagnostic);
    }
    tags.kind = TagKind::Broken;
    tags.audioStart = tags.first.start;
    tags.second.start = -1;
}

}  // namespace brambex
