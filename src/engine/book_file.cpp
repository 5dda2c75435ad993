#include "engine/book_file.h"

#include <algorithm>
#include <memory>
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

using Progress = std::function<bool(std::uint64_t, std::uint64_t)>;

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

// The first reading: where each track's audio lies and what its frames are.
BookFileResult ScanTracks(std::span<const BookTrack> tracks, std::vector<TrackAudio>& audio) {
    NoDiagnostics quiet;
    auto mp3 = std::make_unique<MP3>(quiet);
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        InputFile in;
        if (!in.Open(tracks[i].path) || !mp3->Read(in) || mp3->Layout().audioEnd < 0)
            return Failure(BookFileResult::Kind::Unreadable, i, {}, in.Error());
        const PassLayout layout = mp3->Layout();
        audio.push_back(ScanTrackAudio(in, layout.audioStart, layout.audioEnd));
        const TrackAudio& track = audio.back();
        if (track.status == TrackAudio::Status::ReadFailed)
            return Failure(BookFileResult::Kind::Unreadable, i, {}, track.error);
        if (!track.Ok())
            return Failure(BookFileResult::Kind::NoAudio, i);
        if (std::string differs = FormatDifference(audio.front().format, track.format);
            !differs.empty())
            return Failure(BookFileResult::Kind::Differs, i, std::move(differs));
    }
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

// The second reading: each track's frames, in order.
BookFileResult CopyFrames(std::span<const BookTrack> tracks, std::span<const TrackAudio> audio,
                          OutputFile& out, std::uint64_t total, const Progress& progress) {
    std::uint64_t done = 0;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        InputFile in;
        if (!in.Open(tracks[i].path))
            return Failure(BookFileResult::Kind::Unreadable, i, {}, in.Error());
        in.Seek(audio[i].framesStart);
        if (CopyBytes(in, out, audio[i].Bytes()) < audio[i].Bytes()) {
            return out.Failed() ? Failure(BookFileResult::Kind::WriteFailed, i, {}, out.Error())
                                : Failure(BookFileResult::Kind::Unreadable, i, {}, in.Error());
        }
        done += audio[i].Bytes();
        if (progress && !progress(done, total))
            return Failure(BookFileResult::Kind::Stopped, i);
    }
    return {};
}

}  // namespace

BookFileResult WriteBookFile(std::span<const BookTrack> tracks, const BookFileTexts& texts,
                             OutputFile& out, const Progress& progress) {
    std::uint64_t total = 0;
    std::vector<TrackAudio> audio;
    audio.reserve(tracks.size());
    if (BookFileResult scanned = ScanTracks(tracks, audio);
        scanned.kind != BookFileResult::Kind::Written)
        return scanned;
    for (const TrackAudio& a : audio)
        total += a.Bytes();
    const BookAudio book = JoinTrackAudio(audio);
    if (book.status != BookAudio::Status::Ok)
        return Failure(book.status == BookAudio::Status::Differs ? BookFileResult::Kind::Differs
                                                                 : BookFileResult::Kind::NoAudio,
                       book.track);

    const std::vector<unsigned char> xing = BookXingFrame(book, audio);
    std::vector<Chapter> chapters = Chapters(tracks, audio, book, 0);
    BookTag tag{{texts.title, texts.artist, texts.artist, texts.genre, texts.year},
                {texts.coverPath, texts.coverMimeType},
                chapters};
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
