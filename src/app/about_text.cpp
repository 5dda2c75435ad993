#include "app/about_text.h"

namespace brambex {

std::string AboutText(std::string_view version) {
    return "Brambex " + std::string(version) +
           "\n\nJoins the disc folders of a ripped multi-disc audiobook or album into MP3 "
           "folders that play in one order, with tags that agree.\n\n"
           "Licence: GPL-3.0-or-later (the GNU General Public License, version 3 or any later "
           "version).";
}

}  // namespace brambex
