#include "support/tag_report.h"

#include <cerrno>
#include <cstring>

#include "platform/file_stream.h"
#include "platform/native_file.h"
#include "tags/chapter_frames.h"
#include "tags/genre_table.h"
#include "tags/mp3.h"
#include "tags/tag_header.h"

namespace brambex {

namespace {

void PrintField(std::FILE* out, const char* name, const std::string& text) {
    std::fprintf(out, "  %-8s\"%s\"\n", name, text.c_str());
}

void ReportReadError(const std::string& path, const char* reason) {
    std::fprintf(stderr, "Cannot read %s: %s\n", path.c_str(), reason);
}

// Prints the tag as the codec reads it: 2.2 and 2.4 frames as the 2.3 frames a rewrite
// would make of them.
class FrameLister : public TagEditor {
  public:
    FrameLister(std::FILE* out, const TagHeader& header) : out_(out), header_(header) {}
    bool Edit(const MP3& input, TagEdits&) override {
        switch (input.InputKind()) {
            case TagKind::None:
                std::fprintf(out_, "No ID3v2 tag\n");
                break;
            case TagKind::Broken:
                std::fprintf(out_, "ID3v2 tag that cannot be read frame by frame\n");
                break;
            default:
                std::fprintf(out_, "ID3v2.%d.%d tag, %lld bytes after its header%s\n",
                             header_.version, header_.revision,
                             static_cast<long long>(header_.size),
                             input.InputKind() == TagKind::V23 ? "" : ", read as ID3v2.3");
        }
        return true;
    }
    void Frame(const OutputFrame& frame) override {
        const std::string id(frame.id);
        std::fprintf(out_, "  %-4s  %7u", id.c_str(), static_cast<unsigned>(frame.size));
        // Only text frames carry a text, and chapters their times and title; the
        // payload of any other is binary.
        ChapterFrame::Parsed chapter;
        if (id[0] == 'T') {
            std::fprintf(out_, "  \"%s\"", std::string(frame.text).c_str());
        } else if (!frame.chapterHead.empty() &&
                   ChapterFrame::Parse(frame.chapterHead.data(), frame.chapterHead.size(),
                                       chapter)) {
            std::fprintf(out_, "  %s %u-%u ms \"%s\"", std::string(chapter.elementId).c_str(),
                         static_cast<unsigned>(chapter.startMs),
                         static_cast<unsigned>(chapter.endMs),
                         std::string(chapter.Title()).c_str());
        }
        std::fputc('\n', out_);
    }

  private:
    std::FILE* out_;
    const TagHeader& header_;
};

}  // namespace

bool PrintTagReport(const std::string& path, std::FILE* out) {
    // Opening a pipe waits for a writer and a folder or device reads as no file at all;
    // only regular files are tracks.
    std::error_code error;
    const platform::native_file::Kind kind = platform::native_file::KindOf(path, error);
    if (kind == platform::native_file::Kind::Missing) {
        std::fprintf(stderr, "Cannot open %s: %s\n", path.c_str(), std::strerror(error.value()));
        return false;
    }
    if (kind != platform::native_file::Kind::Regular) {
        ReportReadError(path, kind == platform::native_file::Kind::Folder ? std::strerror(EISDIR)
                                                                          : "not a regular file");
        return false;
    }
    InputFile in;
    if (!in.Open(path)) {
        std::fprintf(stderr, "Cannot open %s: %s\n", path.c_str(),
                     std::strerror(in.Error().value()));
        return false;
    }
    // The pass reads the header too; the report names its version as it is.
    unsigned char bytes[TagHeader::Size];
    TagHeader header;
    header.Read(bytes, in.Read(bytes, sizeof bytes));
    in.Seek(0);
    FrameLister lister(out, header);
    StreamDiagnostics diagnostics(stderr);
    MP3 mp3(diagnostics);
    if (!mp3.Rewrite(in, nullptr, lister)) {
        ReportReadError(path,
                        in.Error() ? std::strerror(in.Error().value()) : "the file ended early");
        return false;
    }
    if (!mp3.Layout().trailer) {
        std::fprintf(out, "No ID3v1 trailer\n");
        return true;
    }
    std::fprintf(out, "ID3v1 trailer\n");
    PrintField(out, "title", mp3.Id3v1().Title());
    PrintField(out, "artist", mp3.Id3v1().Artist());
    PrintField(out, "album", mp3.Id3v1().Album());
    PrintField(out, "year", mp3.Id3v1().Year());
    PrintField(out, "comment", mp3.Id3v1().Comment());
    std::fprintf(out, "  %-8s%d\n", "track", mp3.Id3v1().Track());
    const auto genreName = GenreTable::GenreName(mp3.Id3v1().Genre());
    std::fprintf(out, "  %-8s%d (%s)\n", "genre", mp3.Id3v1().Genre(),
                 genreName ? std::string(*genreName).c_str() : "none");
    return true;
}

}  // namespace brambex
