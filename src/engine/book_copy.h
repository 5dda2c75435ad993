// The copy of a book's audio: each track's frames, in order, copied by the system from
// the track onto the book, while a thread of its own counts the frame headers of the
// tracks ahead, so that the count costs no time of the copy's. A track is copied only
// once its frames are counted, and only while it has the size it had at the first
// reading: one that changed since is named, never copied in part.
#pragma once

#include <cstdint>
#include <span>

#include "engine/book_file.h"
#include "platform/file_stream.h"
#include "tags/mpeg_track.h"

namespace brambex {

// Counts the frames of one track (tracks[i]) that were not counted yet; Changed where
// the track's size is no longer the one it had at the first reading.
BookFileResult CountTrackFrames(const BookTrack& track, const TrackRange& range, std::size_t i,
                                TrackAudio& audio);

// Copies the tracks' frames to out, counting those of the tracks not counted yet into
// audio. total is the most the copy can come to, for the progress.
BookFileResult CopyBookAudio(std::span<const BookTrack> tracks, std::span<TrackAudio> audio,
                             std::span<const TrackRange> ranges, OutputFile& out,
                             std::uint64_t total, const BookProgress& progress);

}  // namespace brambex
