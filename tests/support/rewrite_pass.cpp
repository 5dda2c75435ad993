#include "rewrite_pass.h"

#include <memory>
#include <utility>

#include "tags/chapter_frames.h"

namespace brambex::testing {

namespace {

class StepsEditor : public TagEditor {
  public:
    StepsEditor(const PassSteps& steps, PassResult& result) : steps_(steps), result_(result) {}
    bool Edit(const MP3& input, TagEdits& edits) override {
        if (steps_.edit) {
            steps_.edit(input, edits);
        }
        return true;
    }
    void Frame(const OutputFrame& frame) override {
        std::string line(frame.id);
        ChapterFrame::Parsed chapter;
        if (!frame.id.empty() && frame.id[0] == 'T') {
            line += "=" + std::string(frame.text);
        } else if (ChapterFrame::Parse(frame.chapterHead.data(), frame.chapterHead.size(),
                                       chapter)) {
            line += "=" + std::string(chapter.elementId) + " " + std::to_string(chapter.startMs) +
                    "-" + std::to_string(chapter.endMs) + " " + std::string(chapter.Title());
        }
        result_.frames.push_back(line);
    }

  private:
    const PassSteps& steps_;
    PassResult& result_;
};

}  // namespace

PassResult RewritePass(InputFile& in, OutputFile* out, const PassSteps& steps) {
    PassResult result;
    DiagnosticText diagnostics;
    {
        // The codec's buffers are large for a test thread's stack.
        auto mp3 = std::make_unique<MP3>(diagnostics);
        StepsEditor editor(steps, result);
        result.passed = mp3->Rewrite(in, out, editor);
        result.failed = mp3->Failed();
        result.inputHadTrailer = mp3->Layout().trailer;
        result.kind = mp3->InputKind();
        result.grew = mp3->Layout().tagGrew;
    }
    result.diagnostics = std::move(diagnostics.text);
    return result;
}

PassResult RewriteInMemory(const std::string& input, const PassSteps& steps) {
    InputFile in;
    in.OpenMemory(reinterpret_cast<const unsigned char*>(input.data()), input.size(),
                  steps.sizeKnown);
    std::string output;
    OutputFile out;
    out.CreateMemory(&output, steps.outputLimit);
    PassResult result = RewritePass(in, &out, steps);
    result.output = std::move(output);
    return result;
}

PassSteps Setting(std::vector<std::pair<TagField, std::string>> frames) {
    return {.edit = [frames = std::move(frames)](const MP3&, TagEdits& edits) {
        for (const auto& [field, text] : frames) {
            edits.Set(field, text);
        }
    }};
}

}  // namespace brambex::testing
