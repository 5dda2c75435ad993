#include "engine/book_file.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "tags/book_audio.h"
#include "tags/book_tag.h"
#include "tags/diagnostic.h"
#include "tags/genre_table.h"
#include "tags/mp3.h"
#include "tags/mpeg_track.h"
#include "tags/trailer.h"
#include "tags/xing_frame.h"

namespace brambex {

namespace {

// The book's tag leaves this much room for a later edit.
constexpr std::uint32_t BookTagPadding = 1024;

// More than the longest MPEG audio frame (layer II at 384 kbit/s and 8 kHz: 6912 bytes).
constexpr std::uint64_t MaxFrameLength = 8192;

BookFileResult Failure(BookFileResult::Kind kind, std::size_t track, std::string detail = {},
                       std::error_code error = {}) {
    BookFileResult r;
    r.kind = kind;
    r.track = track;
    r.detail = std::move(detail);
    r.error = error;
    return r;
}

const char* VersionName(MpegVersion version) {
    switch (version) {
        case MpegVersion::Mpeg1:
            return "MPEG-1";
        case MpegVersion::Mpeg2:
            return "MPEG-2";
        case MpegVersion::Mpeg25:
            return "MPEG-2.5";
    }
    return "MPEG";
}

// What differs between two tracks' formats, in the user's words; empty when nothing does.
std::string FormatDifference(const MpegFormat& first, const MpegFormat& other) {
    if (first.version != other.version || first.layer != other.layer)
        return std::string(VersionName(other.version)) + " layer " + std::to_string(other.layer) +
               " instead of " + VersionName(first.version) + " layer " +
               std::to_string(first.layer);
    if (first.sampleRate != other.sampleRate)
        return std::to_string(other.sampleRate) + " Hz instead of " +
               std::to_string(first.sampleRate) + " Hz";
    if (first.channels != other.channels)
        return std::string(other.channels == 1 ? "mono" : "stereo") + " instead of " +
               (first.channels == 1 ? "mono" : "stereo");
    return {};
}

// The first track's year, from its TYER or its trailer; "0000" and blanks are none.
std::string YearOf(const MP3& mp3) {
    std::string year = mp3.InputYear();
    while (!year.empty() && (year.back() == ' ' || year.back() == '\0'))
        year.pop_back();
    return year.empty() || year.find_first_not_of('0') == std::string::npos ? std::string() : year;
}

// The first reading of one track: where its audio lies and what its frames are.
BookFileResult ScanTrack(MP3& mp3, const BookTrack& track, std::size_t i, ScannedBook& scanned) {
    InputFile in;
    if (!in.Open(track.path) || !mp3.Read(in) || mp3.Layout().audioEnd < 0)
        return Failure(BookFileResult::Kind::Unreadable, i, {}, in.Error());
    const PassLayout layout = mp3.Layout();
    if (i == 0) {
        scanned.year = YearOf(mp3);
        scanned.cover = FindFrontCover(in);
    }
    std::optional<std::string>& title = scanned.ownTitles.emplace_back();
    if (mp3.HasInputFrame(TagField::Title))
        title = std::string(mp3.InputText(TagField::Title));
    scanned.audio.push_back(ScanTrackAudio(in, layout.audioStart, layout.audioEnd));
    const TrackAudio& audio = scanned.audio.back();
    if (audio.status == TrackAudio::Status::ReadFailed)
        return Failure(BookFileResult::Kind::Unreadable, i, {}, audio.error);
    if (!audio.Ok())
        return Failure(BookFileResult::Kind::NoAudio, i);
    if (std::string differs = FormatDifference(scanned.audio.front().format, audio.format);
        !differs.empty())
        return Failure(BookFileResult::Kind::Differs, i, std::move(differs));
    return {};
}

// Each track's chapter: its times as players count them (tags/book_audio.h), its
// offsets behind the tag and the Xing frame (audioStart).
std::vector<Chapter> Chapters(std::span<const BookTrack> tracks, std::span<const TrackAudio> audio,
                              const BookAudio& book, std::uint64_t audioStart) {
    std::vector<Chapter> chapters(tracks.size());
    const std::vector<std::uint32_t> starts = TrackStartsMs(book, audio);
    std::uint64_t offset = audioStart;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        Chapter& c = chapters[i];
        c.title = tracks[i].title;
        c.startMs = starts[i];
        c.endMs = i + 1 < tracks.size() ? starts[i + 1] : BookLengthMs(book);
        c.startOffset = ChapterOffset(offset);
        offset += audio[i].Bytes();
        c.endOffset = ChapterOffset(offset);
    }
    return chapters;
}

// The second reading: each track's frames, in order, a piece at a time.
BookFileResult CopyFrames(std::span<const BookTrack> tracks, std::span<const TrackAudio> audio,
                          OutputFile& out, std::uint64_t total, const BookProgress& progress) {
    std::uint64_t done = 0;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        InputFile in;
        if (!in.Open(tracks[i].path))
            return Failure(BookFileResult::Kind::Unreadable, i, {}, in.Error());
        in.Seek(audio[i].framesStart);
        for (std::uint64_t left = audio[i].Bytes(); left > 0;) {
            const std::uint64_t piece = std::min(left, BookCopyPiece);
            if (CopyBytes(in, out, piece) < piece) {
                return out.Failed() ? Failure(BookFileResult::Kind::WriteFailed, i, {}, out.Error())
                                    : Failure(BookFileResult::Kind::Unreadable, i, {}, in.Error());
            }
            left -= piece;
            done += piece;
            // A long track is no reason to wait for a stop.
            if (progress && !progress(done, total))
                return Failure(BookFileResult::Kind::Stopped, i);
        }
    }
    return {};
}

BookTag TagOf(const BookFileTexts& texts, std::span<const Chapter> chapters) {
    return {{texts.title, texts.artist, texts.artist, texts.genre, texts.year},
            {texts.coverPath, texts.coverMimeType, texts.coverOffset, texts.coverSize},
            chapters};
}

}  // namespace

std::string ReadTrackYear(const std::string& path) {
    NoDiagnostics quiet;
    const auto mp3 = std::make_unique<MP3>(quiet);
    InputFile in;
    return in.Open(path) && mp3->Read(in) ? YearOf(*mp3) : std::string();
}

BookFileResult ScanBookTracks(std::span<const BookTrack> tracks, ScannedBook& scanned,
                              const std::function<bool(std::size_t)>& keepGoing) {
    NoDiagnostics quiet;
    auto mp3 = std::make_unique<MP3>(quiet);
    scanned.audio.reserve(tracks.size());
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        if (keepGoing && !keepGoing(i))
            return Failure(BookFileResult::Kind::Stopped, i);
        if (BookFileResult r = ScanTrack(*mp3, tracks[i], i, scanned);
            r.kind != BookFileResult::Kind::Written)
            return r;
    }
    return {};
}

std::vector<std::size_t> BookPartStarts(std::span<const std::uint64_t> trackBytes,
                                        std::uint64_t room) {
    std::vector<std::size_t> starts;
    std::uint64_t used = 0;
    for (std::size_t i = 0; i < trackBytes.size(); ++i) {
        if (starts.empty() || trackBytes[i] > room - std::min(used, room)) {
            starts.push_back(i);
            used = 0;
        }
        used += trackBytes[i];
    }
    return starts;
}

BookFileResult PlanBookParts(std::span<const BookTrack> tracks, const ScannedBook& scanned,
                             const BookFileTexts& texts, std::vector<std::size_t>& starts) {
    const BookAudio book = JoinTrackAudio(scanned.audio);
    const std::vector<Chapter> chapters = Chapters(tracks, scanned.audio, book, 0);
    const BookTagSize size = MeasureBookTag(TagOf(texts, chapters));
    if (!size.status.Ok())
        return Failure(BookFileResult::Kind::TagFailed, 0, std::string(size.status.Text()),
                       size.status.error);
    // A chapter's offsets and the Xing frame's byte count are 32 bits; the largest is
    // a part's last byte of audio. A part's Xing frame may be longer than the whole
    // book's (its first frame's bitrate sets its length), never by more than a frame.
    const std::uint64_t head =
        size.TagSize(BookTagPadding) + BookXingFrame(book, scanned.audio).size() + MaxFrameLength;
    const std::uint64_t room = Chapter::NoOffset - 1 - head;
    std::vector<std::uint64_t> bytes;
    bytes.reserve(scanned.audio.size());
    for (const TrackAudio& a : scanned.audio)
        bytes.push_back(a.Bytes());
    starts = BookPartStarts(bytes, room);
    return {};
}

BookFileResult WriteBookFile(std::span<const BookTrack> tracks, const BookFileTexts& texts,
                             OutputFile& out, const BookProgress& progress) {
    ScannedBook scanned;
    if (BookFileResult r = ScanBookTracks(tracks, scanned); r.kind != BookFileResult::Kind::Written)
        return r;
    return WriteBookPart(tracks, scanned.audio, texts, out, progress);
}

BookFileResult WriteBookPart(std::span<const BookTrack> tracks, std::span<const TrackAudio> audio,
                             const BookFileTexts& texts, OutputFile& out,
                             const BookProgress& progress) {
    std::uint64_t total = 0;
    for (const TrackAudio& a : audio)
        total += a.Bytes();
    const BookAudio book = JoinTrackAudio(audio);
    if (book.status != BookAudio::Status::Ok)
        return Failure(book.status == BookAudio::Status::Differs ? BookFileResult::Kind::Differs
                                                                 : BookFileResult::Kind::NoAudio,
                       book.track);

    const std::vector<unsigned char> xing = BookXingFrame(book, audio);
    std::vector<Chapter> chapters = Chapters(tracks, audio, book, 0);
    BookTag tag = TagOf(texts, chapters);
    const BookTagSize size = MeasureBookTag(tag);
    if (!size.status.Ok())
        return Failure(BookFileResult::Kind::TagFailed, 0, std::string(size.status.Text()),
                       size.status.error);
    chapters = Chapters(tracks, audio, book, size.TagSize(BookTagPadding) + xing.size());
    tag.chapters = chapters;
    if (const BookTagStatus written = WriteBookTag(tag, size, BookTagPadding, out); !written.Ok())
        return Failure(BookFileResult::Kind::TagFailed, 0, std::string(written.Text()),
                       written.error);
    out.Write(xing.data(), xing.size());
    if (BookFileResult copied = CopyFrames(tracks, audio, out, total, progress);
        copied.kind != BookFileResult::Kind::Written)
        return copied;
    Trailer trailer;
    trailer.Set(texts.title, texts.artist, texts.title, 0, ReadGenreText(texts.genre).number);
    trailer.SetYear(texts.year);
    out.Write(trailer.Bytes(), Trailer::Size);
    if (out.Failed())
        return Failure(BookFileResult::Kind::WriteFailed, tracks.size(), {}, out.Error());
    BookFileResult r;
    r.bytes = size.TagSize(BookTagPadding) + xing.size() + total + Trailer::Size;
    return r;
}

}  // namespace brambex
