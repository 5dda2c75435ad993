#include "app/progress_meter.h"

#include <algorithm>
#include <cstdint>

namespace brambex {

ProgressMeter::ProgressMeter(int total) : total_(total) {
    if (total_ > LargestUnscaledTotal) {
        total_ /= 100;
        totalScaled_ = true;
    }
}

bool ProgressMeter::Update(int done) {
    // Counts beyond the total must not overflow, so the product is taken in 64 bits.
    std::int64_t value = totalScaled_ ? done : std::int64_t{done} * 100;
    if (total_ != 0)
        value /= total_;
    int shown = static_cast<int>(std::clamp<std::int64_t>(value, 0, 100));
    if (shown <= percent_)
        return false;
    percent_ = shown;
    return true;
}

std::string TimeLeftText(std::int64_t doneBytes, std::int64_t totalBytes, double seconds) {
    if (doneBytes <= 0 || seconds < 2.0 || doneBytes >= totalBytes)
        return {};
    const double left =
        seconds * static_cast<double>(totalBytes - doneBytes) / static_cast<double>(doneBytes);
    if (left < 60.0)
        return "Less than a minute left.";
    // Whole minutes, rounded to the nearest; hours beyond two.
    const auto minutes = static_cast<long long>(left / 60.0 + 0.5);
    if (minutes < 120)
        return "About " + std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes") +
               " left.";
    return "About " + std::to_string((minutes + 30) / 60) + " hours left.";
}

}  // namespace brambex
