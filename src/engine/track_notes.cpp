#include "engine/track_notes.h"

#include <string_view>

namespace brambex {

std::optional<std::string> TrackNote(const std::string& inputPath, const TrackCopyResult& result,
                                     std::map<std::string, std::vector<std::string>>& held) {
    std::string line;
    const auto add = [&line](std::string_view note) {
        line += line.empty() ? "" : "; ";
        line += note;
    };
    if (result.tagRead) {
        switch (result.kind) {
            case TagKind::V22:
                add("ID3v2.2 tag converted to ID3v2.3");
                break;
            case TagKind::V24:
                add("ID3v2.4 tag converted to ID3v2.3");
                break;
            case TagKind::None:
                add("no tag, a new one made");
                break;
            case TagKind::Broken:
                add("unreadable tag, a new one made");
                break;
            case TagKind::V23:
                break;
        }
    }
    if (auto found = held.find(inputPath); found != held.end()) {
        for (const std::string& diagnostic : found->second)
            add(diagnostic);
        held.erase(found);
    }
    if (line.empty())
        return std::nullopt;
    return inputPath + ": " + line;
}

}  // namespace brambex
