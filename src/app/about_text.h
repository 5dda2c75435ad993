// What "About Brambex" says, in the Qt and the Win32 program alike.
#pragma once

#include <string>
#include <string_view>

namespace brambex {

// The program's name and version, what it does and its licence.
std::string AboutText(std::string_view version);

}  // namespace brambex
