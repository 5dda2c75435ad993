#include "options/title_numbers.h"

#include "options/merge_settings.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string ProposedTitleFor(OutputFormat format, std::string_view proposal) {
    if (format != OutputFormat::FolderOfTracks && proposal.ends_with(FirstFolderEnding))
        proposal.remove_suffix(FirstFolderEnding.size());
    return std::string(proposal);
}

std::optional<std::size_t> FolderSplitAt(std::string_view title) {
    std::size_t underscore = title.rfind('_');
    if (underscore == std::string_view::npos || underscore + 1 >= title.size() ||
        !IsDigit(title[underscore + 1]))
        return std::nullopt;
    return underscore;
}

std::size_t FolderNumberEnding(std::string_view title) {
    std::size_t n = title.size();
    if (n >= 2 && title[n - 2] == '_' && IsDigit(title[n - 1]))
        return 2;
    if (n >= 3 && title[n - 3] == '_' && IsDigit(title[n - 2]) && IsDigit(title[n - 1]))
        return 3;
    return 0;
}

OutputSplit SplitOutput(std::string_view title, int tracks) {
    OutputSplit split;
    split.outputFolder = title;
    if (std::optional<std::size_t> at = FolderSplitAt(title)) {
        split.outputFolder.resize(*at);
        split.splitFolders = true;
    } else {
        split.splitForCount = split.splitFolders = tracks > MaxTracksPerFolder;
    }
    return split;
}

std::string OutputFolderName(std::string_view outputFolder, bool split, int folderNumber) {
    if (!split)
        return std::string(outputFolder);
    return std::string(outputFolder) + "_" + std::to_string(folderNumber);
}

std::string SplitAlbumTitle(std::string_view albumTitle, int folderNumber) {
    std::string_view base =
        albumTitle.substr(0, albumTitle.size() - FolderNumberEnding(albumTitle));
    std::string ending = "_" + std::to_string(folderNumber);
    // The ending is what tells the folders apart, so a long title gives way to it.
    std::size_t room = MaxSettingsText > ending.size() ? MaxSettingsText - ending.size() : 0;
    return std::string(CutUtf8Chars(base, room)) + ending;
}

std::string FolderAlbumTitle(std::string_view title, bool split, int folderNumber) {
    if (!split)
        return std::string(title);
    return SplitAlbumTitle(title, folderNumber);
}

}  // namespace brambex
