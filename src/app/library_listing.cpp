#include "app/library_listing.h"

#include <algorithm>
#include <utility>

#include "platform/file_system.h"

namespace brambex {

LibraryListing ListLibrary(const std::string& folder, bool check, OutputFormat format) {
    LibraryListing listing;
    std::vector<LibraryNote> notes;
    listing.sets = FindLibrarySets(platform::SystemFiles(), folder, &notes);
    for (LibrarySet& set : listing.sets)
        ReadSetForFormat(platform::SystemFiles(), set, format);
    if (check)
        listing.plans = PlanLibrarySets(platform::SystemFiles(), listing.sets);
    listing.plans.resize(listing.sets.size());
    for (const LibrarySetPlan& plan : listing.plans)
        listing.problems.push_back(FirstLine(plan.problem));
    for (LibraryNote& note : notes) {
        std::string where = ShownFolder(note.relativeFolder);
        if (note.unreadable)
            listing.unreadable.push_back({std::move(where), std::move(note.text)});
        else
            listing.passedOver.push_back(where + ": " + note.text);
    }
    return listing;
}

std::string ShownFolder(const std::string& relative) {
    return relative.empty() ? "." : relative;
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::string Counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string ScanCounts(int discs, int files) {
    return Counted(static_cast<std::size_t>(std::max(discs, 0)), "disc", "discs") + ", " +
           Counted(static_cast<std::size_t>(std::max(files, 0)), "file", "files") + ".";
}

std::string MergedWord(const LibrarySet& set) {
    return set.merged ? "yes" : set.interrupted ? "interrupted" : "no";
}

}  // namespace brambex
