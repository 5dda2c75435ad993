// The writers, by output format.
#include "engine/output_writer.h"

#include "engine/folder_writer.h"

namespace brambex {

std::unique_ptr<OutputWriter> MakeOutputWriter(OutputFormat format, const WriterContext& context) {
    switch (format) {
        case OutputFormat::FolderOfTracks:
            break;
    }
    return MakeFolderWriter(context);
}

void ShowNothingMerged(Messages& ui) {
    ui.ShowMessage("No track was merged: the disc folders no longer hold any tracks.", "Error",
                   MessageKind::Error);
}

}  // namespace brambex
