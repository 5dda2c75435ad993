#include "options/merge_settings.h"

#include "platform/file_system.h"

namespace brambex {

std::string PathInSet(const MergeSettings& settings, std::string_view name) {
    return platform::JoinPath(settings.setFolder, name);
}

}  // namespace brambex
