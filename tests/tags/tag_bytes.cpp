#include "tag_bytes.h"

#include <gtest/gtest.h>

namespace brambex::testing {

PassResult RewriteInMemory(const std::string& input, const PassSteps& steps) {
    PassResult result;
    InputFile in;
    in.OpenMemory(reinterpret_cast<const unsigned char*>(input.data()), input.size());
    OutputFile out;
    out.CreateMemory(&result.output, steps.outputLimit);
    ::testing::internal::CaptureStderr();
    {
        MP3 mp3;
        result.headerRead = mp3.ReadHeader(in, &out);
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
    }
    result.diagnostics = ::testing::internal::GetCapturedStderr();
    return result;
}

}  // namespace brambex::testing
