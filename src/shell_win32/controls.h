// The few things the windows do with their controls, in UTF-8: texts, check marks,
// shown and enabled states, list views filled row by row, and the message boxes with
// the icon of a message's kind. A thin layer over the Win32 calls, nothing more.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/front_end.h"

namespace brambex::win32 {

std::string ItemText(HWND dialog, int id);
// Sets the text only where it differs, so that an edit field keeps its caret.
void SetItemText(HWND dialog, int id, std::string_view text);
void ShowItem(HWND dialog, int id, bool shown);
void EnableItem(HWND dialog, int id, bool enabled);
void CheckItem(HWND dialog, int id, bool checked);
bool ItemChecked(HWND dialog, int id);

// A warning sign (the system's, at a small icon's size) in the static icon control id,
// shown with text as its tip, and hidden when text is empty. tips is the dialog's
// tooltip window, made on the first call.
void ShowWarningSign(HWND dialog, int id, std::string_view text, HWND& tips);

// A list view in report mode with whole-row selection and these column headings.
void SetUpList(HWND list, const std::vector<std::string>& columns, bool checkBoxes = false);
// Fills the list anew, one row of cells each, and fits the columns to their texts.
void SetListRows(HWND list, const std::vector<std::vector<std::string>>& rows);
std::string ListText(HWND list, int row, int column = 0);
// The selected row, or -1.
int ListSelection(HWND list);

// A message box over owner with the kind's icon; the caption "Brambex" when none is
// given. A Question is asked with Yes and No, and No answers Enter.
void ShowMessageBox(HWND owner, std::string_view text, std::optional<std::string_view> caption,
                    MessageKind kind);
Answer AskYesNo(HWND owner, std::string_view text, std::optional<std::string_view> caption);

// The folder this program file lies in, with a trailing backslash.
std::string ProgramFolder();

}  // namespace brambex::win32
