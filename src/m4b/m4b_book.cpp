#include "m4b/m4b_book.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "m4b/m4b_movie.h"
#include "m4b/piece_encoder.h"
#include "m4b/piece_plan.h"
#include "m4b/track_decoder.h"
#include "platform/worker_thread.h"

namespace brambex {

namespace {

using Progress = M4bProgress;

M4bResult Failure(M4bResult::Kind kind, std::size_t track = 0, std::string detail = {},
                  std::error_code error = {}) {
    M4bResult r;
    r.kind = kind;
    r.track = track;
    r.detail = std::move(detail);
    r.error = error;
    return r;
}

// Runs work(0) to work(count - 1) on up to `jobs` threads; meanwhile the calling thread
// calls report a few times a second, and sets stop when it returns false. The threads
// are the merge's workers, on which the stop signals are never handled.
void RunParallel(std::size_t count, int jobs, const std::function<void(std::size_t)>& work,
                 std::atomic<bool>& stop, const std::function<bool()>& report) {
    std::atomic<std::size_t> next{0}, finished{0};
    std::vector<std::thread> threads;
    const auto threadCount =
        std::min<std::size_t>(count, static_cast<std::size_t>(std::max(jobs, 1)));
    for (std::size_t t = 0; t < threadCount; ++t) {
        threads.push_back(platform::StartWorkerThread([&] {
            for (std::size_t i; (i = next++) < count; ++finished)
                work(i);
        }));
    }
    while (finished < count) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!stop && !report())
            stop = true;
    }
    for (std::thread& thread : threads)
        thread.join();
}

struct TrackCount {
    TrackFormat format;
    std::uint64_t samples = 0;
    std::string failure;  // the decoder's reason, when it failed
};

// Decodes a track to count its samples.
TrackCount CountTrack(const std::string& path, const std::atomic<bool>& stop) {
    TrackCount count;
    TrackDecoder decoder;
    if (!decoder.Open(path)) {
        count.failure = decoder.Reason();
        return count;
    }
    count.format = decoder.Format();
    while (!stop && decoder.Next([&](const float* const*, int n) {
        count.samples += static_cast<std::uint64_t>(n);
    })) {
    }
    if (decoder.Failed())
        count.failure = decoder.Reason();
    else if (count.samples == 0 && !stop)
        count.failure = "it holds no audio";
    return count;
}

// Reads the cover picture whole: it goes into the movie box.
bool ReadCover(const M4bBookTexts& texts, M4bTags& tags, std::error_code& error) {
    InputFile in;
    std::int64_t size = -1;
    if (in.Open(texts.coverPath))
        size = texts.coverSize >= 0 ? texts.coverSize : in.Size();
    if (size >= 0 && in.Seek(texts.coverOffset)) {
        tags.cover.resize(static_cast<std::size_t>(size));
        if (in.Read(tags.cover.data(), tags.cover.size()) == tags.cover.size()) {
            tags.coverIsPng = tags.cover.starts_with("\x89PNG");
            return true;
        }
    }
    error = in.Error() ? in.Error() : std::make_error_code(std::errc::io_error);
    return false;
}

// Spool files, removed as soon as they are open: the system frees them when they
// are closed, however the program ends. Each piece has one for its packets and one
// for their sizes.
struct Spools {
    std::vector<std::FILE*> packets;
    std::vector<std::FILE*> sizes;
    ~Spools() {
        for (const auto* files : {&packets, &sizes}) {
            for (std::FILE* f : *files)
                std::fclose(f);
        }
    }
    bool Open(const std::string& stem, std::size_t count, std::error_code& error) {
        for (std::size_t i = 0; i < 2 * count; ++i) {
            const std::string path = stem + "." + std::to_string(i);
            std::FILE* f = std::fopen(path.c_str(), "w+b");
            if (!f) {
                error = std::error_code(errno, std::generic_category());
                return false;
            }
            (i < count ? packets : sizes).push_back(f);
            std::remove(path.c_str());
        }
        return true;
    }
};

// Copies spool files' bytes to the output, one after another.
bool CopySpools(std::span<std::FILE* const> spools, OutputFile& out) {
    std::vector<char> buffer(256 * 1024);
    for (std::FILE* spool : spools) {
        std::rewind(spool);
        for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), spool)) > 0;)
            out.Write(buffer.data(), n);
        if (std::ferror(spool) || out.Failed())
            return false;
    }
    return true;
}

}  // namespace

namespace {

// Encodes every piece of the plan on its own thread into its spool file.
M4bResult EncodePieces(const PiecePlan& plan, std::span<const M4bTrack> tracks,
                       std::span<const std::uint64_t> samples, const BookFormat& format,
                       const Spools& spools, std::atomic<bool>& stop, const Progress& progress,
                       std::vector<PieceOutcome>& outcomes) {
    std::vector<std::string> paths;
    for (const M4bTrack& track : tracks)
        paths.push_back(track.path);
    std::atomic<std::uint64_t> fed{0};
    std::uint64_t toFeed = 0;
    for (const Piece& piece : plan.pieces)
        toFeed += piece.feedEnd - piece.feedStart;
    outcomes.resize(plan.pieces.size());
    const auto encode = [&](std::size_t p) {
        outcomes[p] = EncodePiece({&plan.pieces[p], paths, plan.trackStarts, samples, format,
                                   spools.packets[p], spools.sizes[p], &fed, &stop});
        if (outcomes[p].kind != PieceOutcome::Kind::Encoded)
            stop = true;
    };
    const auto report = [&] {
        return !progress ||
               progress(fed * plan.samples / std::max<std::uint64_t>(toFeed, 1), plan.samples);
    };
    RunParallel(plan.pieces.size(), static_cast<int>(plan.pieces.size()), encode, stop, report);
    // The first piece that failed says why; the others stopped because it did.
    for (const PieceOutcome& outcome : outcomes) {
        switch (outcome.kind) {
            case PieceOutcome::Kind::Encoded:
            case PieceOutcome::Kind::Stopped:
                continue;
            case PieceOutcome::Kind::Undecodable:
                return Failure(M4bResult::Kind::Undecodable, outcome.track, outcome.detail);
            case PieceOutcome::Kind::EncodeFailed:
                return Failure(M4bResult::Kind::EncodeFailed, 0, outcome.detail);
            case PieceOutcome::Kind::WriteFailed:
                return Failure(M4bResult::Kind::WriteFailed, 0, {},
                               std::make_error_code(std::errc::io_error));
        }
    }
    return stop ? Failure(M4bResult::Kind::Stopped) : M4bResult{};
}

// The file: its type, the movie box (its table of packet sizes copied in from the
// spools), then the media data: packets and chapter titles.
M4bResult WriteFile(const M4bAudio& audio, std::span<const M4bChapter> chapters,
                    const M4bTags& tags, const Spools& spools, OutputFile& out) {
    const std::string fileType = RenderFileType();
    std::string chapterText;
    for (const M4bChapter& chapter : chapters)
        chapterText += RenderChapterSample(chapter.title);
    const std::uint64_t audioBytes = audio.packets.bytes;
    const std::string dataHead = RenderMediaDataHead(audioBytes + chapterText.size());
    // The movie's size depends on where the data starts only where its offsets need
    // 64 bits; a second rendering settles it.
    RenderedMovie movie = RenderMovie(audio, chapters, tags, 0);
    for (std::uint64_t size = 0; size != movie.Size();) {
        size = movie.Size();
        movie = RenderMovie(audio, chapters, tags, fileType.size() + size + dataHead.size());
    }
    const std::string_view moov = movie.bytes;
    out.Write(fileType.data(), fileType.size());
    out.Write(moov.data(), movie.sizesAt);
    bool copied = CopySpools(spools.sizes, out);
    if (copied) {
        out.Write(moov.data() + movie.sizesAt, moov.size() - movie.sizesAt);
        out.Write(dataHead.data(), dataHead.size());
        copied = CopySpools(spools.packets, out);
    }
    if (!copied)
        return Failure(M4bResult::Kind::WriteFailed, 0, {},
                       out.Failed() ? out.Error() : std::make_error_code(std::errc::io_error));
    out.Write(chapterText.data(), chapterText.size());
    if (out.Failed())
        return Failure(M4bResult::Kind::WriteFailed, 0, {}, out.Error());
    M4bResult written;
    written.bytes =
        fileType.size() + movie.Size() + dataHead.size() + audioBytes + chapterText.size();
    return written;
}

}  // namespace

M4bResult ReadM4bTracks(std::span<const M4bTrack> tracks, int jobs, const M4bProgress& progress,
                        M4bBookAudio& audio) {
    QuietDecoderLogs();
    std::atomic<bool> stop{false};
    std::atomic<std::uint64_t> read{0};
    std::vector<TrackCount> counts(tracks.size());
    const auto count = [&](std::size_t i) {
        counts[i] = CountTrack(tracks[i].path, stop);
        ++read;
    };
    RunParallel(tracks.size(), jobs, count, stop,
                [&] { return !progress || progress(read, tracks.size()); });
    if (stop)
        return Failure(M4bResult::Kind::Stopped);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (!counts[i].failure.empty())
            return Failure(M4bResult::Kind::Undecodable, i, counts[i].failure);
    }
    if (counts.empty())
        return {};
    audio.sampleRate = counts.front().format.sampleRate;
    audio.channels = counts.front().format.channels;
    for (const TrackCount& c : counts)
        audio.trackSamples.push_back(
            SamplesAtRate(c.samples, c.format.sampleRate, audio.sampleRate));
    return {};
}

M4bResult WriteM4bBook(std::span<const M4bTrack> tracks, const M4bBookAudio& audio,
                       const M4bBookTexts& texts, const M4bSettings& settings,
                       const std::string& spoolStem, OutputFile& out, const M4bProgress& progress) {
    QuietDecoderLogs();
    M4bTags tags{texts.title, texts.artist, texts.genre, texts.year, texts.description, {}, false};
    std::error_code error;
    if (!texts.coverPath.empty() && !ReadCover(texts, tags, error))
        return Failure(M4bResult::Kind::CoverUnreadable, 0, {}, error);
    if (tracks.empty() || audio.trackSamples.size() != tracks.size())
        return Failure(M4bResult::Kind::EncodeFailed, 0, "no tracks");
    std::atomic<bool> stop{false};
    const BookFormat format{audio.sampleRate, settings.mono ? 1 : audio.channels,
                            settings.bitrateKbps};
    const std::span<const std::uint64_t> samples = audio.trackSamples;
    const PiecePlan plan = PlanPieces(samples, settings.jobs);
    Spools spools;
    if (!spools.Open(spoolStem, plan.pieces.size(), error))
        return Failure(M4bResult::Kind::WriteFailed, 0, {}, error);
    std::vector<PieceOutcome> pieces;
    if (M4bResult r = EncodePieces(plan, tracks, samples, format, spools, stop, progress, pieces);
        r.kind != M4bResult::Kind::Written)
        return r;
    PacketTally packets;
    for (const PieceOutcome& piece : pieces)
        packets.Append(piece.packets);
    const M4bAudio book{static_cast<std::uint32_t>(format.sampleRate),
                        static_cast<std::uint16_t>(format.channels),
                        static_cast<std::uint32_t>(
                            packets.bytes * 8 * static_cast<std::uint64_t>(format.sampleRate) /
                            std::max<std::uint64_t>(packets.packets * AacFrame, 1)),
                        pieces.front().config,
                        plan.samples,
                        std::move(packets)};
    std::vector<M4bChapter> chapters;
    for (std::size_t i = 0; i < tracks.size(); ++i)
        chapters.push_back({tracks[i].title, plan.trackStarts[i]});
    return WriteFile(book, chapters, tags, spools, out);
}

}  // namespace brambex
