// The "Merge Options" dialog: controls bound to a MergeOptionsForm. Every click and
// keystroke goes to the form; after each change the controls show the form again,
// with the preview of the first tracks' names and titles and the output folders.
#pragma once

#include <windows.h>

namespace brambex {

class MergeOptionsForm;

namespace win32 {

// Runs the dialog over owner until Start Merge (true, once the form has no refusal)
// or Cancel, Esc or the close box (false).
bool RunMergeOptionsDialog(HWND owner, MergeOptionsForm& form);

}  // namespace win32
}  // namespace brambex
