#include "options/merge_settings.h"

#include "options/front_end.h"

namespace brambex {

bool audioBookMode = true;

}  // namespace brambex
