// The sets chosen lately, which File > Open Recent offers again: most recent first, ten
// at most, each set once however its path was spelt when chosen again (paths compared
// as the system compares them). The window keeps the list in its settings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brambex {

class RecentSets {
  public:
    static constexpr std::size_t MaxSets = 10;

    RecentSets() = default;
    // A list as it was kept: empty paths and repeats are left out, and no more than
    // MaxSets are taken.
    explicit RecentSets(const std::vector<std::string>& kept);

    const std::vector<std::string>& Paths() const { return paths_; }

    // A set just chosen goes first, in place of the same set's earlier entry; the
    // oldest falls off the end.
    void Add(const std::string& path);
    // A set that is gone leaves the list.
    void Remove(const std::string& path);
    void Clear() { paths_.clear(); }

  private:
    std::vector<std::string> paths_;
};

// The list as the settings keep it, one value for every system: a JSON array of
// strings, since a path may hold any character but NUL.
std::string RecentSetsText(const std::vector<std::string>& paths);
// The paths of such a text; none from a text that is not such an array.
std::vector<std::string> ReadRecentSetsText(std::string_view text);

}  // namespace brambex
