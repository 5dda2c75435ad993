// library: one row for each set under the folder, merged or not, with what the check
// before a merge finds wrong with it; a row for each folder that could not be read.
#include <cstdio>

#include "app/library_listing.h"
#include "cli/command_entries.h"
#include "cli/commands.h"
#include "cli/terminal_text.h"
#include "cli/text_table.h"

namespace brambex::cli {

int RunLibrary(const std::string& folder) {
    const LibraryListing listing = ListLibrary(folder, true);
    TextTable table({"Set", "Title", "Discs", "Tracks", "Merged", "Problem"}, {2, 3});
    int merged = 0;
    int interrupted = 0;
    for (std::size_t i = 0; i < listing.sets.size(); ++i) {
        const LibrarySet& set = listing.sets[i];
        merged += set.merged ? 1 : 0;
        interrupted += set.interrupted ? 1 : 0;
        table.Add({ShownFolder(set.relativeFolder), set.title, std::to_string(set.discs),
                   std::to_string(set.tracks), MergedWord(set), listing.problems[i]});
    }
    for (const UnreadableFolder& unreadable : listing.unreadable)
        table.Add({unreadable.folder, "", "", "", "", FirstLine(unreadable.text)});
    if (!listing.sets.empty() || !listing.unreadable.empty())
        table.Print();
    for (const std::string& line : listing.passedOver)
        std::printf("%s\n", Printable(line, stdout, true).c_str());
    const std::string unfinished =
        interrupted > 0 ? ", " + std::to_string(interrupted) + " interrupted" : "";
    std::printf("%s, %d merged%s.\n", Counted(listing.sets.size(), "set", "sets").c_str(), merged,
                unfinished.c_str());
    return listing.unreadable.empty() ? ExitSuccess : ExitStopped;
}

}  // namespace brambex::cli
