// Cover-art copy: the JPEG pictures of a disc folder go into the output folder that
// was just prepared, byte for byte and under their own names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/front_end.h"
#include "engine/merge_run.h"
#include "platform/file_system.h"

namespace brambex {

// Copies the pictures (the "*.jpg" files the scan listed) of the disc folder into the
// run's current folder, replacing files of the same name. A picture that cannot be copied is
// reported and ends the copying of this disc's pictures, but never the merge. Each picture is
// written under the temporary name first (a merge gives its own) and renamed when complete.
void CopyCoverArt(platform::FileSystem& files, const MergeRun& run, FrontEnd& ui,
                  const std::string& discFolder, const std::vector<std::string>& pictures,
                  std::string_view temporaryName = ".brambex-picture.part");

}  // namespace brambex
