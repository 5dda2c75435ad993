// "Merge a library": every set found under a folder in a list with check boxes (the
// sets not merged yet checked) and what will become of each as the boxes stand; Merge
// merges the checked sets one after another under one progress window, each row then
// saying what became of its set. It shows the LibraryModel; the merge runs on a worker
// thread, and closing the dialog cancels it and closes once it has stopped.
#pragma once

#include <windows.h>

#include <string>

namespace brambex::win32 {

// folder is a full path.
void RunLibraryDialog(HWND owner, const std::string& folder);

}  // namespace brambex::win32
