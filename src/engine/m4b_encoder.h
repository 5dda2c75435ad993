// The M4B encoder as the engine reaches it: the module brambex-m4b, looked for and
// loaded when a merge begins to write an M4B book, never before, and kept loaded from
// then on. Built only where the M4B encoder is (BRAMBEX_M4B).
//
// Where it is looked for: the file BRAMBEX_M4B_MODULE names, where that is set; else,
// for a program run from the build tree that built it, the module built there (not in
// a build for a package: BRAMBEX_BUILT_MODULE=OFF); else the installed module, found
// from the running program's own folder (<bindir> to <libdir>/brambex, as the install
// placed them).
#pragma once

#include <string>

#include "m4b/m4b_module.h"

namespace brambex {

struct M4bEncoder {
    const M4bModuleFunctions* functions = nullptr;  // none when it cannot be used
    std::string path;                               // the module looked for
    std::string reason;                             // why it cannot be used
};

// The module's path for a program whose file is executable, with the override when
// one is set (not null, not empty); none when the program's file is not known.
std::string M4bModulePath(const std::string& executable, const char* override);

// Loads the module where M4bModulePath says, once per path; a module that does not
// load, lacks the entry point or comes from another build is refused with the reason.
M4bEncoder LoadM4bEncoder();

}  // namespace brambex
