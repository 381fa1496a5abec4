#include "startup/FolderOrder.h"

#include "platform/RandomSource.h"
#include "state/ProgramState.h"

#include <cmath>
#include <utility>

namespace vimbrel {

void BuildFolderOrder(FolderOrder& order, int16_t folders, int16_t currentFolder,
                      platform::RandomSource& random) {
    const int count = folders > 0 ? folders : 0;
    order.FolderNumberArray.assign(static_cast<std::size_t>(count) + 1, 0);
    order.FolderIndex = 0;
    for (int i = 0; i < count; ++i) {
        order.FolderNumberArray[static_cast<std::size_t>(i)] = static_cast<int16_t>(i + 1);
    }

    if (folders > 2) {
        random.Randomize();
        for (int i = 0; i < count; ++i) {
            const int k = i + 1;
            const int n = count - 1;
            const float r = random.Rnd();
            // The draw is single precision; the arithmetic on it is not, so
            // that the largest draw (1 - 2^-24) cannot round up to the next
            // whole number and j stays within k..n-1 as the order needs.
            const auto j = static_cast<int>(std::floor((n - k) * static_cast<double>(r) + k));
            if (j >= 0 && j < count) {
                std::swap(order.FolderNumberArray[static_cast<std::size_t>(i)],
                          order.FolderNumberArray[static_cast<std::size_t>(j)]);
            }
        }
    }

    for (int i = 0; i < count; ++i) {
        if (order.FolderNumberArray[static_cast<std::size_t>(i)] == currentFolder) {
            order.FolderIndex = static_cast<int16_t>(i);
        }
    }
}

} // namespace vimbrel
