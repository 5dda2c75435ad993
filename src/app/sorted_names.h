// The order in which the front ends list names (a set's disc folders): by letters as
// the eye reads them, whatever their Unicode form or letter case.
#pragma once

#include <string>
#include <vector>

namespace brambex {

// Sorted by their composed, case-folded forms; names that compare equal so keep the
// order of their bytes. A disc spelt in NFD sorts beside its siblings.
std::vector<std::string> SortedNames(std::vector<std::string> names);

}  // namespace brambex
