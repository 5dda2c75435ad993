// Folder and file names compared in one Unicode form. macOS writes "é" as "e" and a
// combining accent, other systems as one letter; a set ripped on one and copied to the
// other must still be one set, and an output folder spelt either way one folder. Names
// are compared composed (NFC) and opened as the disk spells them; nothing is renamed.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "tags/unicode_compose.h"

namespace brambex {

// The key under which two names are the same name to a search: composed, and with
// letter case folded as the system's search folds it.
std::string ComposedKey(std::string_view name);

// The form names are compared in. A platform::KeptListing in it, handed as the file
// system, answers ListComposed for its folder from memory.
inline constexpr platform::NameForm ComposedForm = &ComposeNfc;

// True when no other spelling of the name composes to it: an ASCII name.
bool HasOneSpelling(std::string_view name);

// What files.ListMatching finds, with the pattern's last component and each entry's
// name compared by their keys, sorted by their composed names. The entries keep the names
// they have on disk.
platform::Listing ListComposed(platform::FileSystem& files, const std::string& pattern);

// The name of the folder's entry that is `name` composed (the name itself when an entry
// has exactly that name, or none has): the spelling to open and to create.
std::string SpellingOnDisk(platform::FileSystem& files, const std::string& folder,
                           const std::string& name);

}  // namespace brambex
