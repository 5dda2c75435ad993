#include "rewrite_pass.h"

#include <utility>

namespace brambex::testing {

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    std::size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) {
        ++i;
    }
    auto byteAt = [](const std::string& s, std::size_t k) {
        return k < s.size() ? std::to_string(static_cast<unsigned char>(s[k])) : std::string("end");
    };
    return ::testing::AssertionFailure()
           << "sizes " << actual.size() << " and " << expected.size()
           << ", first difference at offset " << i << ": " << byteAt(actual, i) << " instead of "
           << byteAt(expected, i);
}

PassResult RewritePass(InputFile& in, OutputFile& out, const PassSteps& steps) {
    PassResult result;
    ::testing::internal::CaptureStderr();
    {
        MP3 mp3;
        result.headerRead = mp3.ReadHeader(in, &out);
        if (steps.afterHeader) {
            steps.afterHeader();
        }
        while (mp3.NextFrame(in)) {
            if (!steps.onFrame || steps.onFrame(mp3)) {
                mp3.WriteFrame(&out);
            }
        }
        if (steps.addFrames) {
            steps.addFrames(mp3, out);
        }
        mp3.FinishTag(in, &out);
        result.audioCopied = mp3.CopyAudio(in, &out);
        if (steps.editTrailer) {
            steps.editTrailer(mp3);
        }
        result.trailerWritten = mp3.WriteTrailer(&out);
        result.failed = mp3.Failed();
        result.inputHadTrailer = mp3.InputHadTrailer();
    }
    result.diagnostics = ::testing::internal::GetCapturedStderr();
    return result;
}

PassResult RewriteInMemory(const std::string& input, const PassSteps& steps) {
    InputFile in;
    in.OpenMemory(reinterpret_cast<const unsigned char*>(input.data()), input.size());
    std::string output;
    OutputFile out;
    out.CreateMemory(&output, steps.outputLimit);
    PassResult result = RewritePass(in, out, steps);
    result.output = std::move(output);
    return result;
}

}  // namespace brambex::testing
