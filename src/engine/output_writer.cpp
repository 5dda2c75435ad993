// The writers, by output format.
#include "engine/output_writer.h"

#include "engine/book_writer.h"
#include "engine/folder_writer.h"
#include "engine/m4b_writer.h"

namespace brambex {

namespace {

// Where the M4B encoder is not built, a merge chosen as M4B says so and writes nothing.
class [[maybe_unused]] NoM4bWriter : public OutputWriter {
  public:
    explicit NoM4bWriter(Messages& ui) : ui_(ui) {}
    MergeOutcome Begin(const MergePlan&) override {
        ui_.ShowMessage(NoM4bInThisBuild, "Error", MessageKind::Error);
        return {MergeOutcome::Kind::Stopped, 0, 0};
    }
    MergeOutcome Write(const Cancellation&) override { return {MergeOutcome::Kind::Stopped, 0, 0}; }

  private:
    Messages& ui_;
};

}  // namespace

std::unique_ptr<OutputWriter> MakeOutputWriter(OutputFormat format, const WriterContext& context) {
    switch (format) {
        case OutputFormat::Mp3Book:
            return MakeBookWriter(context);
        case OutputFormat::M4bBook:
#ifdef BRAMBEX_M4B
            return MakeM4bWriter(context);
#else
            return std::make_unique<NoM4bWriter>(context.ui);
#endif
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
