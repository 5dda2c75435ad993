// The writer of numbered output folders of MP3 tracks, with the pictures of each
// folder's first disc.
#pragma once

#include <memory>

#include "engine/output_writer.h"

namespace brambex {

std::unique_ptr<OutputWriter> MakeFolderWriter(const WriterContext& context);

}  // namespace brambex
