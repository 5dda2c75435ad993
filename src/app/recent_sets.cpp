#include "app/recent_sets.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "platform/file_system.h"

namespace brambex {

RecentSets::RecentSets(const std::vector<std::string>& kept) {
    // Added oldest first, so that the first kept stays first.
    for (auto path = kept.rbegin(); path != kept.rend(); ++path)
        Add(*path);
}

void RecentSets::Add(const std::string& path) {
    if (path.empty())
        return;
    Remove(path);
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > MaxSets)
        paths_.resize(MaxSets);
}

void RecentSets::Remove(const std::string& path) {
    const std::string key = platform::PathKey(path);
    std::erase_if(paths_, [&](const std::string& p) { return platform::PathKey(p) == key; });
}

namespace {

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Reads the JSON of a list of strings, piece by piece.
class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    // Takes c, after any blanks.
    bool Take(char c) {
        SkipBlanks();
        if (at_ >= text_.size() || text_[at_] != c)
            return false;
        ++at_;
        return true;
    }
    bool AtEnd() {
        SkipBlanks();
        return at_ == text_.size();
    }

    std::optional<std::string> String() {
        if (!Take('"'))
            return std::nullopt;
        std::string out;
        while (at_ < text_.size() && text_[at_] != '"') {
            const char c = text_[at_++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (!Escape(out))
                return std::nullopt;
        }
        if (at_ >= text_.size())
            return std::nullopt;
        ++at_;
        return out;
    }

  private:
    void SkipBlanks() {
        while (at_ < text_.size() &&
               std::string_view(" \t\n\r").find(text_[at_]) != std::string_view::npos)
            ++at_;
    }

    std::optional<std::uint32_t> Hex4() {
        if (text_.size() - at_ < 4)
            return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        return value;
    }

    bool Escape(std::string& out) {
        if (at_ >= text_.size())
            return false;
        const char c = text_[at_++];
        const std::string_view plain = "\"\\/bfnrt";
        const std::string_view meant = "\"\\/\b\f\n\r\t";
        if (const auto i = plain.find(c); i != std::string_view::npos) {
            out += meant[i];
            return true;
        }
        if (c != 'u')
            return false;
        std::optional<std::uint32_t> code = Hex4();
        // A character beyond the first plane comes as two halves.
        if (code && *code >= 0xD800 && *code < 0xDC00 && text_.substr(at_, 2) == "\\u") {
            at_ += 2;
            const std::optional<std::uint32_t> low = Hex4();
            if (!low || *low < 0xDC00 || *low >= 0xE000)
                return false;
            code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
        }
        // Half of a pair alone is no character.
        if (!code || (*code >= 0xD800 && *code < 0xE000))
            return false;
        AppendUtf8(out, *code);
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

std::string RecentSetsText(const std::vector<std::string>& paths) {
    std::string text = "[";
    for (const std::string& path : paths) {
        text += text.size() > 1 ? ",\"" : "\"";
        for (const char c : path) {
            if (c == '"' || c == '\\') {
                text += '\\';
                text += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                text += escaped;
            } else {
                text += c;
            }
        }
        text += '"';
    }
    return text + "]";
}

std::vector<std::string> ReadRecentSetsText(std::string_view text) {
    JsonReader reader(text);
    std::vector<std::string> paths;
    if (!reader.Take('['))
        return {};
    if (reader.Take(']'))
        return reader.AtEnd() ? paths : std::vector<std::string>{};
    do {
        std::optional<std::string> path = reader.String();
        if (!path)
            return {};
        paths.push_back(std::move(*path));
    } while (reader.Take(','));
    if (!reader.Take(']') || !reader.AtEnd())
        return {};
    return paths;
}

}  // namespace brambex
