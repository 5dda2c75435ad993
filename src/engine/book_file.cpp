#include "engine/book_file.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "engine/book_copy.h"
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

// The first reading of one track: where its audio lies and what its frames are, or
// without countFrames how they start.
BookFileResult ScanTrack(MP3& mp3, const BookTrack& track, std::size_t i, ScannedBook& scanned,
                         bool countFrames) {
    InputFile in;
    if (!in.Open(track.path) || !mp3.Read(in) || mp3.Layout().audioEnd < 0)
        return Failure(BookFileResult::Kind::Unreadable, i, {}, in.Error());
    const PassLayout layout = mp3.Layout();
    scanned.ranges.push_back({layout.audioEnd, in.Size()});
    if (i == 0) {
        scanned.year = YearOf(mp3);
        scanned.cover = FindFrontCover(in);
    }
    std::optional<std::string>& title = scanned.ownTitles.emplace_back();
    if (mp3.HasInputFrame(TagField::Title))
        title = std::string(mp3.InputText(TagField::Title));
    scanned.audio.push_back(ScanTrackStart(in, layout.audioStart, layout.audioEnd));
    TrackAudio& audio = scanned.audio.back();
    if (countFrames)
        ScanTrackFrames(in, layout.audioEnd, audio);
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

std::uint64_t ScannedBook::AudioBytes(std::size_t track) const {
    const TrackAudio& a = audio[track];
    return a.Counted() ? a.Bytes()
                       : static_cast<std::uint64_t>(ranges[track].audioEnd - a.framesStart);
}

BookFileResult ScanBookTracks(std::span<const BookTrack> tracks, ScannedBook& scanned,
                              const std::function<bool(std::size_t)>& keepGoing, bool countFrames) {
    NoDiagnostics quiet;
    auto mp3 = std::make_unique<MP3>(quiet);
    scanned.audio.reserve(tracks.size());
    scanned.ranges.reserve(tracks.size());
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        if (keepGoing && !keepGoing(i))
            return Failure(BookFileResult::Kind::Stopped, i);
        if (BookFileResult r = ScanTrack(*mp3, tracks[i], i, scanned, countFrames);
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

BookFileResult PlanBookParts(std::span<const BookTrack> tracks, ScannedBook& scanned,
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
    bool counted = true;
    for (std::size_t i = 0; i < scanned.audio.size(); ++i) {
        bytes.push_back(scanned.AudioBytes(i));
        counted = counted && scanned.audio[i].Counted();
    }
    starts = BookPartStarts(bytes, room);
    if (starts.size() == 1 || counted)
        return {};
    for (std::size_t i = 0; i < scanned.audio.size(); ++i) {
        if (BookFileResult r = CountTrackFrames(tracks[i], scanned.ranges[i], i, scanned.audio[i]);
            r.kind != BookFileResult::Kind::Written)
            return r;
    }
    return PlanBookParts(tracks, scanned, texts, starts);
}

BookFileResult WriteBookFile(std::span<const BookTrack> tracks, const BookFileTexts& texts,
                             OutputFile& out, const BookProgress& progress) {
    ScannedBook scanned;
    if (BookFileResult r = ScanBookTracks(tracks, scanned, {}, false);
        r.kind != BookFileResult::Kind::Written)
        return r;
    return WriteBookPart(tracks, scanned.audio, scanned.ranges, texts, out, progress);
}

BookFileResult WriteBookPart(std::span<const BookTrack> tracks, std::span<TrackAudio> audio,
                             std::span<const TrackRange> ranges, const BookFileTexts& texts,
                             OutputFile& out, const BookProgress& progress) {
    // How the tracks' frames start tells whether they join, and the longest the Xing
    // frame can be; their counts come with the copy.
    const BookAudio started = JoinTrackAudio(audio);
    if (started.status != BookAudio::Status::Ok)
        return Failure(started.status == BookAudio::Status::Differs ? BookFileResult::Kind::Differs
                                                                    : BookFileResult::Kind::NoAudio,
                       started.track);
    const std::size_t xingRoom = BookXingFrame(started, audio).size();
    std::vector<Chapter> chapters = Chapters(tracks, audio, started, 0);
    BookTag tag = TagOf(texts, chapters);
    const BookTagSize size = MeasureBookTag(tag);
    if (!size.status.Ok())
        return Failure(BookFileResult::Kind::TagFailed, 0, std::string(size.status.Text()),
                       size.status.error);
    const std::uint64_t head = size.TagSize(BookTagPadding) + xingRoom;
    std::uint64_t most = 0;
    for (std::size_t i = 0; i < audio.size(); ++i)
        most += audio[i].Counted()
                    ? audio[i].Bytes()
                    : static_cast<std::uint64_t>(ranges[i].audioEnd - audio[i].framesStart);
    // The audio goes behind the room for the head, which is written once it is counted.
    if (!out.SeekTo(static_cast<std::int64_t>(head)))
        return Failure(BookFileResult::Kind::WriteFailed, 0, {}, out.Error());
    if (BookFileResult copied = CopyBookAudio(tracks, audio, ranges, out, most, progress);
        copied.kind != BookFileResult::Kind::Written)
        return copied;
    Trailer trailer;
    trailer.Set(texts.title, texts.artist, texts.title, 0, ReadGenreText(texts.genre).number);
    trailer.SetYear(texts.year);
    out.Write(trailer.Bytes(), Trailer::Size);
    const BookAudio book = JoinTrackAudio(audio);
    const std::vector<unsigned char> xing = BookXingFrame(book, audio);
    // A Xing frame shorter than its room (the audio's bitrate varies after all) leaves
    // the rest to the tag's padding.
    if (book.status != BookAudio::Status::Ok || xing.size() > xingRoom)
        return Failure(BookFileResult::Kind::TagFailed, 0, "the Xing frame outgrew its room");
    chapters = Chapters(tracks, audio, book, head);
    tag.chapters = chapters;
    const auto padding = static_cast<std::uint32_t>(BookTagPadding + xingRoom - xing.size());
    if (!out.SeekTo(0))
        return Failure(BookFileResult::Kind::WriteFailed, tracks.size(), {}, out.Error());
    if (const BookTagStatus written = WriteBookTag(tag, size, padding, out); !written.Ok())
        return Failure(BookFileResult::Kind::TagFailed, 0, std::string(written.Text()),
                       written.error);
    out.Write(xing.data(), xing.size());
    if (out.Failed())
        return Failure(BookFileResult::Kind::WriteFailed, tracks.size(), {}, out.Error());
    BookFileResult r;
    r.bytes = head + book.bytes + Trailer::Size;
    return r;
}

}  // namespace brambex
