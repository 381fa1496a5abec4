#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vimbrel {

namespace platform {
class NameCollation;
}

// Splits list[lo..hi] (lo < hi) around its first entry by Hoare's scheme and
// returns p, lo <= p < hi, such that no entry of lo..p comes after any entry
// of p+1..hi. Both scans move before they test, so an exchanged pair is
// passed over and entries equal to the pivot do not stall the split.
// less must be a strict weak order.
template <typename T, typename Less>
int32_t Partition(std::vector<T>& list, int32_t lo, int32_t hi, Less less) {
    const T pivot = list[lo];
    int32_t i = lo - 1;
    int32_t j = hi + 1;
    for (;;) {
        do {
            ++i;
        } while (less(list[i], pivot));
        do {
            --j;
        } while (less(pivot, list[j]));
        if (i >= j) {
            return j;
        }
        std::swap(list[i], list[j]);
    }
}

// Sorts list[lo..hi] ascending: split, then sort lo..p and p+1..hi. The two
// parts do not overlap, so sorting them in either order gives the same list;
// recursing into the smaller part and looping on the larger one keeps the
// depth at log2 of the length, even where a first-entry pivot splits off one
// entry at a time (input already in order).
template <typename T, typename Less>
void QuickSort(std::vector<T>& list, int32_t lo, int32_t hi, Less less) {
    while (lo < hi) {
        const int32_t p = Partition(list, lo, hi, less);
        if (p - lo < hi - p) {
            QuickSort(list, lo, p, less);
            lo = p + 1;
        } else {
            QuickSort(list, p + 1, hi, less);
            hi = p;
        }
    }
}

// Puts list[lo + k] = the entry that was at list[lo + order[k]], for every k
// of order, which holds each of 0..order.size()-1 once. Entries move along
// the cycles of the arrangement, so no second list is made; order is used up.
void Rearrange(std::vector<std::string>& list, int32_t lo, std::vector<int32_t>& order);

// The play list's order: names by the collation given, or the user's,
// without regard to case. The result is the one the sort above gives with
// the collation's comparison; the names are compared through sort keys made
// once per name.
void QuickSort(std::vector<std::string>& list, int32_t lo, int32_t hi,
               const platform::NameCollation& collation);
void QuickSort(std::vector<std::string>& list, int32_t lo, int32_t hi);

} // namespace vimbrel
