#include "catalogue/QuickSort.h"

#include "platform/Collation.h"

#include <span>
#include <utility>

namespace vimbrel {

void Rearrange(std::vector<std::string>& list, int32_t lo, std::vector<int32_t>& order) {
    const auto at = [&](int32_t k) -> std::string& {
        return list[static_cast<std::size_t>(lo + k)];
    };
    const auto size = static_cast<int32_t>(order.size());
    for (int32_t start = 0; start < size; ++start) {
        if (order[static_cast<std::size_t>(start)] == start) {
            continue; // in place, or placed by an earlier cycle
        }
        std::string carried = std::move(at(start));
        int32_t k = start;
        for (;;) {
            const int32_t from = std::exchange(order[static_cast<std::size_t>(k)], k);
            if (from == start) {
                at(k) = std::move(carried);
                break;
            }
            at(k) = std::move(at(from));
            k = from;
        }
    }
}

void QuickSort(std::vector<std::string>& list, int32_t lo, int32_t hi,
               const platform::NameCollation& collation) {
    if (lo >= hi) {
        return;
    }
    const auto count = static_cast<std::size_t>(hi - lo) + 1;
    const platform::NameSortKeys keys =
        collation.KeysOf(std::span(list.begin() + lo, list.begin() + hi + 1));

    // The sort runs over small entries that are cheap to exchange and carry
    // the head of their name's key; every comparison it makes has the outcome
    // the names' comparison would have, so it arrives at the same order.
    struct Entry {
        platform::NameSortKeys::Head head;
        int32_t position;
    };
    std::vector<Entry> entries(count);
    for (std::size_t i = 0; i < count; ++i) {
        entries[i] = {keys.HeadOf(i), static_cast<int32_t>(i)};
    }
    QuickSort(entries, 0, static_cast<int32_t>(count) - 1, [&](const Entry& a, const Entry& b) {
        if (const auto order = a.head <=> b.head; order != 0) {
            return order < 0;
        }
        // The split compares its pivot with the entry it was copied from.
        if (a.position == b.position) {
            return false;
        }
        return keys.Less(static_cast<std::size_t>(a.position),
                         static_cast<std::size_t>(b.position));
    });

    std::vector<int32_t> order(count);
    for (std::size_t k = 0; k < count; ++k) {
        order[k] = entries[k].position;
    }
    Rearrange(list, lo, order);
}

void QuickSort(std::vector<std::string>& list, int32_t lo, int32_t hi) {
    QuickSort(list, lo, hi, platform::NameCollation());
}

} // namespace vimbrel
