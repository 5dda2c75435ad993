// Rewrite passes of the tag codec over memory or given streams, through its one
// production call; their outputs are compared with SameBytes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_stream.h"
#include "support/same_bytes.h"
#include "tags/mp3.h"

namespace brambex::testing {

// The codec's lines as one text, each ended by a line break.
class DiagnosticText : public DiagnosticSink {
  public:
    void Line(std::string_view line) override { text.append(line).push_back('\n'); }
    std::string text;
};

struct PassResult {
    std::string output;       // filled by RewriteInMemory
    std::string diagnostics;  // as DiagnosticText has them
    bool passed = false;      // what MP3::Rewrite returned
    bool failed = false;      // MP3::Failed() once the pass is over
    bool inputHadTrailer = false;
    TagKind kind = TagKind::None;
    bool grew = false;
    // Every frame of the output tag as "ID" or, for text frames, "ID=text", and for
    // chapters "CHAP=ch1 0-1500 title".
    std::vector<std::string> frames;
};

struct PassSteps {
    // Runs where the merge decides its edits; the input as read is there to be asked.
    std::function<void(const MP3&, TagEdits&)> edit = {};
    std::size_t outputLimit = static_cast<std::size_t>(-1);  // RewriteInMemory only
    bool sizeKnown = true;                                   // RewriteInMemory only
};

// Runs a rewrite pass from `in` to `out` (none: a reading pass).
PassResult RewritePass(InputFile& in, OutputFile* out, const PassSteps& steps = {});

// Runs a rewrite pass over `input` in memory.
PassResult RewriteInMemory(const std::string& input, const PassSteps& steps = {});

// Edits that set frames' texts, adding the frames that the input lacks.
PassSteps Setting(std::vector<std::pair<TagField, std::string>> frames);

}  // namespace brambex::testing
