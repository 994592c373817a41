#include "common/work_control.h"

#include <algorithm>
#include <thread>

namespace korvale {

unsigned everyCore() noexcept {
    // hardware_concurrency() is 0 where the count is not known.
    return std::max(1U, std::thread::hardware_concurrency());
}

}  // namespace korvale
