#include "cli/text_table.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/shown_text.h"
#include "cli/terminal_text.h"

namespace brambex::cli {

TextTable::TextTable(std::vector<std::string> header, std::vector<std::size_t> right)
    : right_(std::move(right)) {
    rows_.push_back(std::move(header));
}

void TextTable::Add(std::vector<std::string> row) {
    for (std::string& cell : row)
        cell = Printable(cell, stdout);
    rows_.push_back(std::move(row));
}

void TextTable::Print() const {
    std::vector<std::size_t> widths(rows_[0].size(), 0);
    for (const auto& row : rows_)
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], ShownChars(row[c]));
    for (const auto& row : rows_) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string pad(widths[c] - ShownChars(row[c]), ' ');
            const bool right = std::find(right_.begin(), right_.end(), c) != right_.end();
            line += right ? pad + row[c] : row[c] + (c + 1 < row.size() ? pad : "");
            if (c + 1 < row.size())
                line += "  ";
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        std::printf("%s\n", line.c_str());
    }
}

}  // namespace brambex::cli
