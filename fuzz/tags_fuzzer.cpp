// libFuzzer target for the tag codec: reading passes (with and without a known input
// size) and a rewrite pass with edits chosen by the input, in memory and through real
// file descriptors. Besides crashes it traps when a rewrite loses or changes audio
// bytes, writes a tag it cannot read back as the frames it reported, writes an APE tag
// it cannot read back, or would change its own output on a second pass. The input is
// also scanned for MPEG audio frames, which must lie inside it, and a book of it twice
// gets a Xing frame whose seek table never goes back and whose tag CRC holds.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_stream.h"
#include "tags/chapter_frames.h"
#include "tags/genre_table.h"
#include "tags/mp3.h"
#include "tags/text_encoding.h"
#include "tags/xing_frame.h"

namespace {

using brambex::InputFile;
using brambex::MP3;
using brambex::NoDiagnostics;
using brambex::OutputFile;
using brambex::OutputFrame;
using brambex::TagEdits;
using brambex::TagField;
using brambex::TagKind;

// Callers get UTF-8 whatever bytes a file holds.
void CheckUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        if (brambex::DecodeUtf8(text, pos) == brambex::ReplacementChar && pos - start == 1) {
            __builtin_trap();
        }
    }
}

// The edits picked by the first input byte; records every frame the pass reports.
class FuzzEditor : public brambex::TagEditor {
  public:
    explicit FuzzEditor(std::uint8_t choice) : choice_(choice) {}
    bool Edit(const MP3& input, TagEdits& edits) override {
        for (int f = 0; f < brambex::TagFieldCount; ++f) {
            CheckUtf8(input.InputText(static_cast<TagField>(f)));
        }
        if (choice_ & 1) {
            edits.Set(TagField::Title, Polish);
        }
        if (choice_ & 2) {
            static const std::string Long(2048, 'x');
            edits.Set(TagField::Album, std::string_view(Long).substr(0, (choice_ >> 2) * 7u));
        }
        if (choice_ & 4) {
            edits.Set(TagField::Track, "12", (choice_ & 8) != 0);
        }
        if (choice_ & 16) {
            edits.editTrailer = true;
            edits.trailerArtist = "Melville";
            edits.trailerAlbum = "A long album title that needs cutting_12";
            edits.trailerTrack = choice_;
            edits.trailerGenre = choice_ & 32 ? -1 : 12;
        }
        return true;
    }
    void Frame(const OutputFrame& frame) override {
        CheckUtf8(frame.text);
        // A chapter's head as brambex-tags reads it.
        brambex::ChapterFrame::Parsed chapter;
        if (brambex::ChapterFrame::Parse(frame.chapterHead.data(), frame.chapterHead.size(),
                                         chapter)) {
            CheckUtf8(chapter.Title());
        }
        ids.emplace_back(frame.id);
    }
    std::vector<std::string> ids;

  private:
    static constexpr const char* Polish =
        "\xC5\x81\xC3\xB3"
        "d\xC5\xBA \xF0\x9F\x8E\xB5";
    std::uint8_t choice_;
};

void ReadingPass(const std::uint8_t* data, std::size_t size, bool sizeKnown) {
    InputFile in;
    in.OpenMemory(data, size, sizeKnown);
    NoDiagnostics quiet;
    MP3 mp3(quiet);
    FuzzEditor editor(0);
    mp3.Rewrite(in, nullptr, editor);
    CheckUtf8(mp3.Id3v1().Title());
    CheckUtf8(mp3.Id3v1().Artist());
    CheckUtf8(mp3.Id3v1().Album());
    (void)brambex::GenreTable::GenreName(mp3.Id3v1().Genre());
}

// The bytes of the ID3v2 tag at data, header and footer included.
std::size_t TagLength(const std::uint8_t* data) {
    const std::size_t size = (std::size_t{data[6]} << 21) | (std::size_t{data[7]} << 14) |
                             (std::size_t{data[8]} << 7) | data[9];
    const bool footer = data[3] == 4 && (data[5] & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

// Where the audio of the input starts: after the tags that could be walked, else at 0.
std::size_t AudioStart(const std::uint8_t* data, const MP3& mp3) {
    if (mp3.InputKind() == TagKind::None || mp3.InputKind() == TagKind::Broken) {
        return 0;
    }
    const std::size_t first = TagLength(data);
    return mp3.Layout().secondTag ? first + TagLength(data + first) : first;
}

std::string Rewrite(const std::uint8_t* data, std::size_t size, bool sizeKnown, MP3& mp3,
                    FuzzEditor& editor) {
    InputFile in;
    in.OpenMemory(data, size, sizeKnown);
    std::string output;
    OutputFile out;
    out.CreateMemory(&output);
    // Memory streams never fail.
    if (!mp3.Rewrite(in, &out, editor) || !out.Close()) {
        __builtin_trap();
    }
    return output;
}

// The same pass over real descriptors gives the same bytes.
void CheckDescriptorPass(const std::uint8_t* data, std::size_t size, std::uint8_t choice,
                         const std::string& expected) {
    const int inFd = memfd_create("in", 0);
    const int outFd = memfd_create("out", 0);
    if (inFd < 0 || outFd < 0 || write(inFd, data, size) != static_cast<ssize_t>(size)) {
        __builtin_trap();
    }
    {
        InputFile in;
        OutputFile out;
        if (!in.Open("/proc/self/fd/" + std::to_string(inFd)) ||
            !out.Create("/proc/self/fd/" + std::to_string(outFd))) {
            __builtin_trap();
        }
        NoDiagnostics quiet;
        MP3 mp3(quiet);
        FuzzEditor editor(choice);
        if (!mp3.Rewrite(in, &out, editor) || !out.Close()) {
            __builtin_trap();
        }
    }
    std::string written(expected.size() + 1, '\0');
    const ssize_t n = pread(outFd, written.data(), written.size(), 0);
    if (n != static_cast<ssize_t>(expected.size()) ||
        std::memcmp(written.data(), expected.data(), expected.size()) != 0) {
        __builtin_trap();
    }
    close(inFd);
    close(outFd);
}

void RewritePass(const std::uint8_t* data, std::size_t size) {
    // The first two bytes pick the edits and the way in; the rest is the file.
    if (size < 2) {
        return;
    }
    const std::uint8_t choice = data[0];
    const std::uint8_t way = data[1];
    data += 2;
    size -= 2;
    const bool sizeKnown = (way & 1) == 0;
    NoDiagnostics quiet;
    MP3 mp3(quiet);
    FuzzEditor editor(choice);
    const std::string output = Rewrite(data, size, sizeKnown, mp3, editor);

    // A complete 2.3 tag without flags, then the input's audio, then a trailer.
    const std::size_t tagEnd = 10 + std::size_t{mp3.Layout().outputTagSize};
    if (output.size() < tagEnd + 128 || output.compare(0, 6, std::string("ID3\x03\0\0", 6)) != 0 ||
        output.compare(output.size() - 128, 3, "TAG") != 0) {
        __builtin_trap();
    }
    // An APE tag and a Lyrics3v2 block follow the audio; only the APE tag may change.
    const std::size_t audioStart = AudioStart(data, mp3);
    const std::size_t trailer = mp3.Layout().trailer ? 128 : 0;
    const std::size_t audioEnd = mp3.Layout().audioEnd >= 0
                                     ? static_cast<std::size_t>(mp3.Layout().audioEnd)
                                     : size - trailer;
    const std::size_t after = size - trailer - audioEnd;
    if (audioStart > audioEnd || output.size() - tagEnd - 128 < audioEnd - audioStart ||
        std::memcmp(output.data() + tagEnd, data + audioStart, audioEnd - audioStart) != 0) {
        __builtin_trap();
    }
    if (!mp3.Layout().apeTag && (output.size() - tagEnd - 128 != audioEnd - audioStart + after ||
                                 std::memcmp(output.data() + tagEnd + (audioEnd - audioStart),
                                             data + audioEnd, after) != 0)) {
        __builtin_trap();
    }

    // Read back the same way, the tag holds exactly the frames the pass reported, and a
    // second pass without edits changes nothing. (A pipe is not searched for a second
    // tag, which a file of the same bytes may hold.)
    MP3 again(quiet);
    FuzzEditor none(0);
    const std::string second = Rewrite(reinterpret_cast<const std::uint8_t*>(output.data()),
                                       output.size(), sizeKnown, again, none);
    if (again.InputKind() != TagKind::V23 || again.Layout().framesLeftOut != 0 ||
        none.ids != editor.ids || second != output ||
        (mp3.Layout().apeTag && !again.Layout().apeTag)) {
        __builtin_trap();
    }
    if ((way & 2) != 0 && sizeKnown) {
        CheckDescriptorPass(data, size, choice, output);
    }
}

void FramePass(const std::uint8_t* data, std::size_t size) {
    InputFile in;
    in.OpenMemory(data, size);
    const auto end = static_cast<std::int64_t>(size);
    const brambex::TrackAudio t = brambex::ScanTrackAudio(in, 0, end);
    if (!t.Ok()) {
        return;
    }
    if (t.framesStart < t.junkBefore || t.framesEnd <= t.framesStart || t.framesEnd > end ||
        t.junkAfter != end - t.framesEnd || t.frames == 0 || t.junkInside >= end) {
        __builtin_trap();
    }
    const brambex::TrackAudio tracks[] = {t, t};
    const std::vector<unsigned char> frame =
        brambex::BookXingFrame(brambex::JoinTrackAudio(tracks), tracks);
    const auto toc = brambex::BookToc(tracks, frame.size());
    for (std::size_t i = 1; i < toc.size(); ++i) {
        if (toc[i] < toc[i - 1]) {
            __builtin_trap();
        }
    }
    if (frame.empty()) {
        return;
    }
    // The tag CRC is the last field of LAME's extension, 156 bytes after "Xing"/"Info".
    std::size_t tag = 0;
    while (tag + 4 <= frame.size() && std::memcmp(&frame[tag], "Xing", 4) != 0 &&
           std::memcmp(&frame[tag], "Info", 4) != 0) {
        ++tag;
    }
    const std::size_t crcAt = tag + 154;
    if (crcAt + 2 > frame.size() ||
        brambex::Crc16(frame.data(), crcAt) != (frame[crcAt] << 8 | frame[crcAt + 1])) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReadingPass(data, size, true);
    ReadingPass(data, size, false);
    RewritePass(data, size);
    FramePass(data, size);
    return 0;
}
