// The writer of a set as one M4B audiobook: every track decoded and encoded anew as
// AAC, a chapter per track, in an output folder named by the title with the disc-1
// folder's pictures beside it. Built only where the M4B encoder is (BRAMBEX_M4B).
#pragma once

#include <memory>

#include "engine/output_writer.h"

namespace brambex {

std::unique_ptr<OutputWriter> MakeM4bWriter(const WriterContext& context);

}  // namespace brambex
