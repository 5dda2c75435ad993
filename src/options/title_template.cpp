#include "options/title_template.h"

#include "options/merge_settings.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

// A code longer than this is shown cut in the message, so that the message stays short.
constexpr std::size_t MaxShownCodeChars = 481;

// The album title as <book> and <album> give it: a single "+" at its very end is left
// out ("Dune+" gives Dune), while "A+B+" stays as it is.
std::string_view BookTitle(std::string_view albumTitle) {
    std::size_t plus = albumTitle.find('+');
    if (plus != std::string_view::npos && plus + 1 == albumTitle.size()) {
        return albumTitle.substr(0, plus);
    }
    return albumTitle;
}

}  // namespace

std::optional<Message> ExpandTitleTemplate(const MergeSettings& settings,
                                           std::string_view titleTemplate, int disc, int track,
                                           std::string_view song, std::string& result) {
    std::string error;
    if (ExpandTitleTemplate(settings.choices.title, titleTemplate, disc, track, song, result,
                            error))
        return std::nullopt;
    return Message{std::move(error), "Error", MessageKind::Error};
}

bool ExpandTitleTemplate(std::string_view albumTitle, std::string_view titleTemplate, int disc,
                         int track, std::string_view song, std::string& result,
                         std::string& error) {
    result.clear();
    std::size_t i = 0;
    while (i < titleTemplate.size()) {
        char c = titleTemplate[i++];
        if (c != '<') {
            result += c;
            continue;
        }
        std::size_t close = titleTemplate.find('>', i);
        std::string_view code = titleTemplate.substr(
            i, close == std::string_view::npos ? std::string_view::npos : close - i);
        i = close == std::string_view::npos ? titleTemplate.size() : close + 1;
        if (code == "disc") {
            result += std::to_string(disc);
        } else if (code == "track") {
            result += std::to_string(track);
        } else if (code == "book" || code == "album") {
            result += BookTitle(albumTitle);
        } else if (code == "song") {
            result += song;
        } else {
            error = "Unrecognized code: <";
            error += CutUtf8Chars(code, MaxShownCodeChars);
            error += "> ignored.";
            result.clear();
            return false;
        }
    }
    result.resize(CutUtf8(result, MaxTrackTitleBytes).size());
    return true;
}

}  // namespace brambex
