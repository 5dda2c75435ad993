// Rewrite passes of the tag codec run step by step as a front end runs them, over
// memory or given streams, and a byte comparison for their outputs that names the
// first difference instead of dumping both.
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
    std::string output;  // filled by RewriteInMemory
    std::string diagnostics;
    bool headerRead = false;
    bool audioCopied = false;
    bool trailerWritten = false;
    bool failed = false;  // MP3::Failed() once the pass is over
    bool inputHadTrailer = false;
};

// What a rewrite pass does besides copying: `afterHeader` runs once the header is read,
// `onFrame` is called for every frame the walk yields and returns whether to write it,
// `addFrames` runs before FinishTag, `editTrailer` after CopyAudio.
struct PassSteps {
    std::function<void()> afterHeader = {};
    std::function<bool(MP3&)> onFrame = {};
    std::function<void(MP3&, OutputFile&)> addFrames = {};
    std::function<void(MP3&)> editTrailer = {};
    std::size_t outputLimit = static_cast<std::size_t>(-1);  // RewriteInMemory only
};

// Runs a rewrite pass from `in` to `out`; the diagnostics are what it wrote to standard
// error.
PassResult RewritePass(InputFile& in, OutputFile& out, const PassSteps& steps = {});

// Runs a rewrite pass over `input` in memory.
PassResult RewriteInMemory(const std::string& input, const PassSteps& steps = {});

}  // namespace brambex::testing
