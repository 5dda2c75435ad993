// The small modeless window a merge shows while it copies tracks: a caption, a line
// naming the track, "Track i of n" with the time left, a bar and Cancel. It lives on
// the window thread; the merge reaches it from its worker through the handle
// OpenProgressDialog gives, whose calls are queued for the window thread. Cancel and
// Esc request the merge's cancel at once; the close box asks first while tracks remain
// to be written. The window stays until the merge has stopped, and on screen for at
// least a second, however quickly the merge ended.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include "engine/front_end.h"

namespace brambex::win32 {

// On the window thread: opens the window over owner. cancel is what Cancel requests;
// it is cleared now.
std::unique_ptr<ProgressWindow> OpenProgressDialog(HWND owner, std::string_view caption,
                                                   std::string_view initialMessage, int total,
                                                   CancelFlag* cancel);

}  // namespace brambex::win32
