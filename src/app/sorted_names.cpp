#include "app/sorted_names.h"

#include <algorithm>

#include "platform/ascii_case.h"
#include "tags/unicode_compose.h"

namespace brambex {

std::vector<std::string> SortedNames(std::vector<std::string> names) {
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = LowerAscii(ComposeNfc(a)), lb = LowerAscii(ComposeNfc(b));
        return la != lb ? la < lb : a < b;
    });
    return names;
}

}  // namespace brambex
