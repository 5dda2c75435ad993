// Canonical composition (NFC) of the letters that matter for tags and folder names:
// macOS and some rippers store "é" as "e" followed by a combining acute accent, which
// ISO-8859-1 cannot hold and which compares unequal to the composed letter.
//
// The table covers every letter of the Latin-1, Latin Extended-A and -B, Greek and
// Cyrillic blocks that has a decomposition (grave, acute, circumflex, tilde, macron,
// breve, dot above, diaeresis, ring, double acute, caron, double grave, inverted breve,
// horn, comma below, cedilla, ogonek; the Greek tonos and dialytika), and some
// Latin Extended Additional letters with a mark above. Left out: Hangul syllables,
// polytonic Greek (breathings, perispomeni, iota subscript), letters with marks below
// other than comma, cedilla and ogonek (as in Vietnamese), and the reordering of marks
// given out of canonical order. Marks are composed in the order given, and composing
// stops at the first one the table lacks, so the result is never more composed than
// NFC, only sometimes less.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brambex {

// The character that starts at pos, composed with the combining marks that follow it,
// and moves pos past all of them. Decodes as DecodeUtf8 does; allocates nothing.
char32_t DecodeComposed(std::string_view text, std::size_t& pos);

// The UTF-8 text with every composable letter and mark pair composed. Bytes that are
// not valid UTF-8 are kept as they are.
std::string ComposeNfc(std::string_view utf8);

}  // namespace brambex
