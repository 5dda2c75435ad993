// The writers, by output format.
#include "engine/output_writer.h"

#include "engine/book_writer.h"
#include "engine/folder_writer.h"

namespace brambex {

std::unique_ptr<OutputWriter> MakeOutputWriter(OutputFormat format, const WriterContext& context) {
    switch (format) {
        case OutputFormat::Mp3Book:
            return MakeBookWriter(context);
        case OutputFormat::FolderOfTracks:
        // The M4B format comes with its writer; until then it writes folders.
        case OutputFormat::M4bBook:
            break;
    }
    return MakeFolderWriter(context);
}

void ShowNothingMerged(Messages& ui) {
    ui.ShowMessage("No track was merged: the disc folders no longer hold any tracks.", "Error",
                   MessageKind::Error);
}

}  // namespace brambex
