// The arithmetic of the progress window, shared by the desktop and terminal front ends:
// the whole-number share of the set done, which only ever grows.
#pragma once

#include <cstdint>
#include <string>

namespace brambex {

// "About 3 minutes left." from the bytes copied in the seconds since the copying began,
// at the rate so far; empty while too little is known (nothing copied yet, or for less
// than two seconds) or when nothing is left.
std::string TimeLeftText(std::int64_t doneBytes, std::int64_t totalBytes, double seconds);

class ProgressMeter {
  public:
    // total is the count that makes 100 per cent. Above 21474836 it is divided by 100
    // (and the counts taken as they are), as the window always did; a total of 0 shows
    // 100 per cent for any count of 1 or more.
    explicit ProgressMeter(int total);

    // Takes the count done so far; true when the percentage shown changed. A count that
    // gives a smaller or equal percentage changes nothing: the bar never moves back.
    bool Update(int done);
    // The percentage shown, 0 to 100.
    int Percent() const { return percent_; }
    // The total as used in the division, and whether it was divided by 100.
    int Total() const { return total_; }
    bool TotalScaled() const { return totalScaled_; }

    static constexpr int LargestUnscaledTotal = 21474836;

  private:
    int total_;
    bool totalScaled_ = false;
    int percent_ = 0;
};

}  // namespace brambex
