// Cover-art copy. Each picture is written under a temporary name and renamed when it
// is complete, so a full disk or an I/O error never leaves a truncated picture under a
// name the user would trust.
#include "engine/cover_art.h"

#include <cstdint>
#include <string>
#include <system_error>

#include "engine/system_reason.h"
#include "engine/temporary_file.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"

namespace brambex {

namespace {

constexpr std::size_t BlockSize = 4096;

// Copies the whole input; false when a read or a write failed on the way.
bool CopyAll(InputFile& in, OutputFile& out) {
    unsigned char block[BlockSize];
    std::int64_t copied = 0;
    for (;;) {
        std::size_t got = in.Read(block, BlockSize);
        if (got > 0)
            out.Write(block, got);
        copied += static_cast<std::int64_t>(got);
        if (got < BlockSize)
            break;
    }
    // A short read is either the end of the file or a read error; the size tells.
    std::int64_t size = in.Size();
    return !out.Failed() && (size < 0 || copied == size);
}

}  // namespace

// The temporary name starts with a dot and does not end in ".jpg", so no search for
// pictures ever takes a half-written one for a picture. It is not made from the
// picture's name, which may already be as long as a name can be.
void CopyCoverArt(platform::FileSystem& files, const MergeRun& run, FrontEnd& ui,
                  const std::string& discFolder, const std::vector<std::string>& pictures,
                  std::string_view temporaryName) {
    for (const std::string& picture : pictures) {
        // Messages name the files as the user knows them, beside the disc folders.
        const std::string source = platform::JoinPath(discFolder, picture);
        const std::string target = platform::JoinPath(run.currentFolder, picture);
        const std::string sourcePath = run.PathInSet(source);
        const std::string targetPath = run.PathInSet(target);
        const std::string temporary =
            run.PathInSet(platform::JoinPath(run.currentFolder, temporaryName));

        InputFile in;
        if (!files.IsRegularFile(sourcePath)) {
            ui.ShowMessage("Could not open input file (not a regular file)", source,
                           MessageKind::Notice);
            return;
        }
        if (!in.Open(sourcePath)) {
            ui.ShowMessage(WithReason("Could not open input file", in.Error()), source,
                           MessageKind::Notice);
            return;
        }
        OutputFile out;
        ui.WritingTemporaryFile(temporary);
        if (!CreateTemporaryFile(files, out, temporary)) {
            const std::error_code error = out.Error();
            ui.WritingTemporaryFile({});
            ui.ShowMessage(WithReason("Could not open output file", error), target,
                           MessageKind::Notice);
            return;
        }
        bool complete = CopyAll(in, out);
        complete = out.Close() && complete;
        std::error_code error = in.Error() ? in.Error() : out.Error();
        if (!complete) {
            DiscardTemporaryFile(files, temporary);
        } else if (const platform::Status named = NameCompletedFile(files, temporary, targetPath);
                   !named) {
            error = named.error;
            complete = false;
        }
        if (!complete) {
            ui.WritingTemporaryFile({});
            ui.ShowMessage(WithReason("Could not write output file", error), target,
                           MessageKind::Notice);
            return;
        }
        ui.WritingTemporaryFile({});
    }
}

}  // namespace brambex
