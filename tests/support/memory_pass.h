// Rewrite passes of the tag codec run over memory, and a byte comparison for their
// outputs that names the first difference instead of dumping both.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "tags/file_stream.h"
#include "tags/mp3.h"

namespace brambex::testing {

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);

struct PassResult {
    std::string output;
    std::string diagnostics;
    bool headerRead = false;
    bool audioCopied = false;
    bool trailerWritten = false;
};

// What a rewrite pass does besides copying: `onFrame` is called for every frame the
// walk yields and returns whether to write it; `addFrames` runs before FinishTag,
// `editTrailer` after CopyAudio.
struct PassSteps {
    std::function<bool(MP3&)> onFrame = {};
    std::function<void(MP3&, OutputFile&)> addFrames = {};
    std::function<void(MP3&)> editTrailer = {};
    std::size_t outputLimit = static_cast<std::size_t>(-1);
};

// Runs a rewrite pass over `input` in memory; the diagnostics are what it wrote to
// standard error.
PassResult RewriteInMemory(const std::string& input, const PassSteps& steps = {});

}  // namespace brambex::testing
