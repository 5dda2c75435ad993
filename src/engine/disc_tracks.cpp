#include "engine/disc_tracks.h"

#include <algorithm>
#include <utility>

#include "platform/ascii_case.h"
#include "platform/file_system.h"

namespace brambex {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t LeadingDigits(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && IsDigit(text[n]))
        ++n;
    return n;
}

int Value(std::string_view digits) {
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

bool EndsInMp3(std::string_view name) {
    return EndsWithIgnoringAsciiCase(name, ".mp3");
}

// Track number and disc number of a "D-NN ..." name; {0, 0} for any other name.
std::pair<int, int> DiscTrackNumbers(std::string_view name) {
    std::size_t disc = LeadingDigits(name);
    if (disc == 0 || disc > 2 || disc + 3 >= name.size() || name[disc] != '-')
        return {0, 0};
    std::string_view rest = name.substr(disc + 1);
    if (LeadingDigits(rest) != 2)
        return {0, 0};
    return {Value(rest.substr(0, 2)), Value(name.substr(0, disc))};
}

}  // namespace

int TrackNumber(std::string_view name) {
    if (!EndsInMp3(name))
        return 0;
    std::size_t digits = LeadingDigits(name);
    // Written as "%02d" writes it: "07" is 7, "007" is nothing.
    if (digits != 2 && (digits != 3 || name[0] == '0'))
        return 0;
    int number = Value(name.substr(0, digits));
    return number <= MaxTrackNumber ? number : 0;
}

DiscTracks TracksAmong(const std::vector<platform::FoundEntry>& entries) {
    DiscTracks found;
    for (const platform::FoundEntry& entry : entries) {
        if (int number = TrackNumber(entry.name))
            found.tracks.push_back({number, entry.name});
    }
    if (found.tracks.empty()) {
        for (const platform::FoundEntry& entry : entries) {
            auto [number, disc] = DiscTrackNumbers(entry.name);
            if (number == 0 || !EndsInMp3(entry.name))
                continue;
            found.tracks.push_back({number, entry.name});
            found.discTrackForm = true;
            if (std::find(found.discNumbers.begin(), found.discNumbers.end(), disc) ==
                found.discNumbers.end())
                found.discNumbers.push_back(disc);
        }
        std::sort(found.discNumbers.begin(), found.discNumbers.end());
    }
    // The listing is sorted by name; a stable sort keeps that order within a number.
    std::stable_sort(found.tracks.begin(), found.tracks.end(),
                     [](const DiscTrack& a, const DiscTrack& b) { return a.number < b.number; });
    return found;
}

std::string TrackTitlePart(const std::string& fileName, bool discTrackForm) {
    std::string_view title = fileName;
    // "1-07 Storm.mp3": the disc, the hyphen and the track number go with the blank.
    std::size_t hyphen = title.find('-');
    if (discTrackForm && hyphen != std::string_view::npos && hyphen + 3 < title.size() &&
        title[hyphen + 3] == ' ')
        title.remove_prefix(hyphen + 4);
    else if (title.size() >= 3 && LeadingDigits(title) == 2 && title[2] == ' ')
        title.remove_prefix(3);
    return std::string(title.substr(0, FindIgnoringAsciiCase(title, ".mp3")));
}

}  // namespace brambex
