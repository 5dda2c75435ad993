// A table printed in columns on standard output, as `library` and `merge-all` print
// their sets: each cell as a terminal shows it, columns as wide as their widest cell.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace brambex::cli {

class TextTable {
  public:
    // The columns listed in `right` are aligned to the right.
    TextTable(std::vector<std::string> header, std::vector<std::size_t> right);
    void Add(std::vector<std::string> row);
    void Print() const;

  private:
    std::vector<std::vector<std::string>> rows_;
    std::vector<std::size_t> right_;
};

}  // namespace brambex::cli
