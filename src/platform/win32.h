// The bridge between the program's UTF-8 and the UTF-16 of the Win32 calls, and the
// errno value for a Win32 error code, so that reasons read the same on every system.
// Used by the Windows implementations only.
#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace brambex::platform {

std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);

// The nearest errno value for a GetLastError() code; EIO for any without one.
int ErrnoFromSystemError(unsigned long error);

}  // namespace brambex::platform

#endif
