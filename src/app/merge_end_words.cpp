#include "app/merge_end_words.h"

#include <algorithm>

#include "options/merge_settings.h"

namespace brambex {

namespace {

// The engine tells a cancel with an information message, which the status line says
// anyway; every other kind says what went wrong.
bool SaysWhatWentWrong(const Message& message) {
    return message.kind != MessageKind::Information;
}

std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    while (!text.empty() && (text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}

// "No space left on device" reads on within a sentence as "no space left on device";
// a name or an abbreviation keeps its capitals.
std::string WithinSentence(std::string text) {
    if (text.size() > 1 && text[0] >= 'A' && text[0] <= 'Z' && text[1] >= 'a' && text[1] <= 'z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

// Why the merge stopped: the system's reason that ends the last message that said
// something went wrong, else that message; empty when none did.
std::string StopReason(const std::vector<Message>& held) {
    const auto last = std::find_if(held.rbegin(), held.rend(), SaysWhatWentWrong);
    if (last == held.rend())
        return {};
    std::string text = OneLine(last->text);
    const std::size_t open = text.rfind(" (");
    if (!text.empty() && text.back() == ')' && open != std::string::npos)
        text = text.substr(open + 2, text.size() - open - 3);
    return WithinSentence(text);
}

// "4 of 120 tracks are in "X_1"." or "No track was written."
std::string WhereTracksAre(const MergeOutcome& outcome, const MergeRun& run, int total) {
    if (outcome.tracks == 0)
        return "No track was written.";
    std::vector<std::string> folders = MergedFolders(run, false);
    // Every output folder but the last is filled whole before the next is begun, so the
    // tracks written lie in the first folders that hold them all; a folder begun when
    // the merge stopped may still be empty and is no place to look for them.
    const std::size_t holding =
        static_cast<std::size_t>((outcome.tracks + MaxTracksPerFolder - 1) / MaxTracksPerFolder);
    if (folders.size() > holding)
        folders.resize(holding);
    std::string list;
    for (std::size_t f = 0; f < folders.size(); ++f) {
        if (f > 0)
            list += f + 1 == folders.size() ? " and " : ", ";
        list += "\"" + folders[f] + "\"";
    }
    return std::to_string(outcome.tracks) + " of " + std::to_string(total) +
           (total == 1 ? " track" : " tracks") + (outcome.tracks == 1 ? " is in " : " are in ") +
           list + ".";
}

}  // namespace

std::string EndedMergeStatus(const MergeOutcome& outcome, const MergeRun& run, int total,
                             const std::vector<Message>& held) {
    const std::string where = WhereTracksAre(outcome, run, total);
    if (outcome.kind == MergeOutcome::Kind::Cancelled)
        return "Merge cancelled. " + where;
    const std::string reason = StopReason(held);
    if (!reason.empty())
        return "Merge stopped: " + reason + ". " + where;
    if (!outcome.stoppedAt.empty())
        return "Merge stopped at \"" + outcome.stoppedAt + "\". " + where;
    return "Merge stopped. " + where;
}

std::vector<std::string> HeldMessageNotes(const std::vector<Message>& held) {
    std::vector<std::string> notes;
    for (const Message& message : held) {
        if (!SaysWhatWentWrong(message))
            continue;
        // A caption other than the kind's word names the file or folder the message is
        // about.
        const bool where =
            message.caption && !message.caption->empty() && *message.caption != "Error";
        notes.push_back((where ? *message.caption + ": " : std::string()) + OneLine(message.text) +
                        ".");
    }
    return notes;
}

}  // namespace brambex
