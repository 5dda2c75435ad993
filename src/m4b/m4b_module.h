// The M4B encoder as a module of its own (brambex-m4b), the only part of the program
// that links the ffmpeg libraries: the programs load it when a merge begins to write
// an M4B book, so that every other start maps none of them. The module exports one
// function, M4bModuleEntry, which returns its table of the encoder's functions.
//
// The types that cross (m4b_book.h, std::string, std::function, OutputFile) are laid
// out by the build that made both sides; the table carries the interface's version and
// the sizes of those types, and a program refuses a module whose table differs from
// its own, so that a module left from another build is never called.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "m4b/m4b_book.h"

namespace brambex {

// One more whenever a function of the table or a type that crosses changes.
inline constexpr std::uint32_t M4bModuleVersion = 2;

// The sizes of the types that cross, in one number.
inline constexpr std::uint64_t M4bModuleLayout = [] {
    std::uint64_t layout = 0;
    for (const std::size_t size :
         {sizeof(M4bTrack), sizeof(M4bBookTexts), sizeof(M4bSettings), sizeof(M4bResult),
          sizeof(M4bBookAudio), sizeof(M4bProgress), sizeof(OutputFile)})
        layout = layout * 1'000'003 + size;
    return layout;
}();

struct M4bModuleFunctions {
    std::uint32_t version;
    std::uint64_t layout;
    decltype(&ReadM4bTracks) readTracks;
    decltype(&WriteM4bBook) writeBook;
};

// The module's only exported name.
inline constexpr char M4bModuleEntry[] = "brambex_m4b_functions";
using M4bModuleEntryFunction = const M4bModuleFunctions* (*)();

}  // namespace brambex
