#include "options/progress_meter.h"

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

}  // namespace brambex
