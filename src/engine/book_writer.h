// The writer of a set as one chaptered MP3 file: the tracks' audio frames copied, never
// re-encoded, behind one tag whose chapters are the tracks, in an output folder named by
// the title. A book past what 32-bit offsets count is written in parts, each split at a
// track and with chapters, Xing frame and tag of its own.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/output_writer.h"
#include "engine/track_copy.h"

namespace brambex {

std::unique_ptr<OutputWriter> MakeBookWriter(const WriterContext& context);

// A track's chapter title: the title the merge would give its copy (TIT2), or the
// track's own title where names are kept. False with the pattern's error.
bool ChapterTitle(const TrackValues& values, const std::optional<std::string>& ownTitle,
                  std::string& title, std::string& error);

}  // namespace brambex
