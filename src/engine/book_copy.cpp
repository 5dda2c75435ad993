#include "engine/book_copy.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/worker_thread.h"

namespace brambex {

namespace {

using Kind = BookFileResult::Kind;

BookFileResult Failure(Kind kind, std::size_t track, std::error_code error = {}) {
    BookFileResult r;
    r.kind = kind;
    r.track = track;
    r.error = error;
    return r;
}

// Opens a track as it was at the first reading.
BookFileResult OpenTrack(const BookTrack& track, const TrackRange& range, std::size_t i,
                         InputFile& in) {
    if (!in.Open(track.path))
        return Failure(Kind::Unreadable, i, in.Error());
    if (in.Size() != range.size)
        return Failure(Kind::Changed, i);
    return {};
}

// Counts the tracks' frames in order on a thread of its own; Wait(i) returns once
// track i is counted. audio[i] is the counting thread's until then.
class FrameCount {
  public:
    FrameCount(std::span<const BookTrack> tracks, std::span<TrackAudio> audio,
               std::span<const TrackRange> ranges)
        : tracks_(tracks), audio_(audio), ranges_(ranges) {
        try {
            thread_ = platform::StartWorkerThread([this] { Run(); });
        } catch (const std::system_error&) {
            // Without a thread of its own, each track is counted when it is waited for.
        }
    }
    ~FrameCount() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        if (thread_.joinable())
            thread_.join();
    }
    FrameCount(const FrameCount&) = delete;
    FrameCount& operator=(const FrameCount&) = delete;

    BookFileResult Wait(std::size_t i) {
        if (!thread_.joinable())
            return Count(i);
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return counted_ > i || failedAt_ <= i; });
        return failedAt_ <= i ? failure_ : BookFileResult{};
    }

  private:
    void Run();
    BookFileResult Count(std::size_t i);

    std::span<const BookTrack> tracks_;
    std::span<TrackAudio> audio_;
    std::span<const TrackRange> ranges_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t counted_ = 0;  // the tracks counted, from the first on
    std::size_t failedAt_ = static_cast<std::size_t>(-1);
    BookFileResult failure_;
    bool stop_ = false;
    std::thread thread_;
};

BookFileResult FrameCount::Count(std::size_t i) {
    return CountTrackFrames(tracks_[i], ranges_[i], i, audio_[i]);
}

void FrameCount::Run() {
    for (std::size_t i = 0; i < tracks_.size(); ++i) {
        BookFileResult counted = Count(i);
        const std::lock_guard lock(mutex_);
        if (counted.kind != Kind::Written) {
            failure_ = std::move(counted);
            failedAt_ = i;
        } else {
            counted_ = i + 1;
        }
        changed_.notify_all();
        if (stop_ || failedAt_ == i)
            return;
    }
}

}  // namespace

BookFileResult CountTrackFrames(const BookTrack& track, const TrackRange& range, std::size_t i,
                                TrackAudio& audio) {
    if (audio.Counted())
        return {};
    InputFile in;
    if (BookFileResult opened = OpenTrack(track, range, i, in); opened.kind != Kind::Written)
        return opened;
    ScanTrackFrames(in, range.audioEnd, audio);
    if (audio.status == TrackAudio::Status::ReadFailed)
        return Failure(Kind::Unreadable, i, audio.error);
    return audio.Counted() ? BookFileResult{} : Failure(Kind::NoAudio, i);
}

BookFileResult CopyBookAudio(std::span<const BookTrack> tracks, std::span<TrackAudio> audio,
                             std::span<const TrackRange> ranges, OutputFile& out,
                             std::uint64_t total, const BookProgress& progress) {
    FrameCount count(tracks, audio, ranges);
    std::uint64_t done = 0;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        if (BookFileResult counted = count.Wait(i); counted.kind != Kind::Written)
            return counted;
        InputFile in;
        if (BookFileResult opened = OpenTrack(tracks[i], ranges[i], i, in);
            opened.kind != Kind::Written)
            return opened;
        in.Seek(audio[i].framesStart);
        for (std::uint64_t left = audio[i].Bytes(); left > 0;) {
            const std::uint64_t piece = std::min(left, BookCopyPiece);
            if (CopyBytes(in, out, piece) < piece) {
                return out.Failed() ? Failure(Kind::WriteFailed, i, out.Error())
                                    : Failure(Kind::Unreadable, i, in.Error());
            }
            left -= piece;
            done += piece;
            // A long track is no reason to wait for a stop.
            if (progress && !progress(done, std::max(done, total)))
                return Failure(Kind::Stopped, i);
        }
    }
    return {};
}

}  // namespace brambex
