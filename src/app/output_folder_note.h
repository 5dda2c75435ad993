// What a dry run says of an output folder a merge would fill: whether it holds an
// earlier merge the merge would replace, or is someone else's folder where it would stop.
#pragma once

#include <string>

namespace brambex {

// The full path of an output folder, a name in the set's folder.
std::string OutputFolderPath(const std::string& setFolder, const std::string& name);

// " (holds an earlier merge, which the merge would replace)" and the like, with its
// leading blank; empty for a folder that is not there yet.
std::string OutputFolderNote(const std::string& path);

}  // namespace brambex
