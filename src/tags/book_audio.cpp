#include "tags/book_audio.h"

#include <algorithm>

namespace brambex {

namespace {

std::uint32_t Milliseconds(std::uint64_t samples, int sampleRate) {
    if (sampleRate <= 0) {
        return 0;
    }
    const auto rate = static_cast<std::uint64_t>(sampleRate);
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>((samples * 1000 + rate / 2) / rate, 0xFFFFFFFFu));
}

}  // namespace

BookAudio JoinTrackAudio(std::span<const TrackAudio> tracks) {
    BookAudio book;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const TrackAudio& t = tracks[i];
        book.track = i;
        if (!t.Ok()) {
            book.status = BookAudio::Status::Unusable;
            return book;
        }
        if (i == 0) {
            book.format = t.format;
            book.bitrateKbps = t.bitrateKbps;
            book.encoderDelay = t.encoderDelay;
        } else if (!t.format.Continues(book.format)) {
            book.status = BookAudio::Status::Differs;
            return book;
        }
        if (t.lameExtension && book.encoder[0] == '\0') {
            book.encoder = t.encoder;
            book.quality = t.quality;
        }
        book.constantBitrate =
            book.constantBitrate && t.constantBitrate && t.bitrateKbps == book.bitrateKbps;
        book.encoderPadding = t.encoderPadding;
        book.frames += t.frames;
        book.bytes += t.Bytes();
        book.samples += t.samples;
    }
    book.track = 0;
    book.status = tracks.empty() ? BookAudio::Status::NoTracks : BookAudio::Status::Ok;
    return book;
}

std::vector<std::uint32_t> TrackStartsMs(const BookAudio& book,
                                         std::span<const TrackAudio> tracks) {
    std::vector<std::uint32_t> starts;
    starts.reserve(tracks.size());
    const auto delay = static_cast<std::uint64_t>(std::max(book.encoderDelay, 0));
    std::uint64_t before = 0;
    for (const TrackAudio& t : tracks) {
        starts.push_back(Milliseconds(before > delay ? before - delay : 0, book.format.sampleRate));
        before += t.samples;
    }
    return starts;
}

std::uint32_t BookLengthMs(const BookAudio& book) {
    const auto trimmed = static_cast<std::uint64_t>(std::max(book.encoderDelay, 0) +
                                                    std::max(book.encoderPadding, 0));
    return Milliseconds(book.samples > trimmed ? book.samples - trimmed : 0,
                        book.format.sampleRate);
}

}  // namespace brambex
