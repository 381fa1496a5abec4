// The play list's sort: Hoare's split around the first entry, the order it
// gives, its depth on input that is already in order, and the name order.

#include "catalogue/QuickSort.h"

#include "platform/Collation.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <pthread.h>
#include <random>

namespace vimbrel {
namespace {

const auto kLess = [](int a, int b) { return a < b; };

TEST(Partition, SplitsAroundTheFirstEntryPassingOverExchangedPairs) {
    std::vector<int> list = {3, 1, 4, 1, 5};
    // 3 and the second 1 change places; the scans then cross at index 1.
    EXPECT_EQ(Partition(list, 0, 4, kLess), 1);
    EXPECT_EQ(list, (std::vector<int>{1, 1, 4, 3, 5}));

    // Entries equal to the pivot stop neither scan for long: the split of
    // equal entries falls in the middle.
    std::vector<int> equal(8, 7);
    EXPECT_EQ(Partition(equal, 0, 7, kLess), 3);
}

TEST(QuickSort, OrdersEveryShapeOfInputLikeTheLibrarySort) {
    std::mt19937 engine(12345);
    std::vector<std::vector<int>> inputs = {{}, {1}, {2, 1}, {1, 2}, std::vector<int>(50, 4)};
    std::vector<int> ascending(300), descending(300), few(500), random(2000);
    for (int i = 0; i < 300; ++i) {
        ascending[static_cast<std::size_t>(i)] = i;
        descending[static_cast<std::size_t>(i)] = 300 - i;
    }
    for (int& v : few) {
        v = static_cast<int>(engine() % 4);
    }
    for (int& v : random) {
        v = static_cast<int>(engine() % 100000);
    }
    inputs.insert(inputs.end(), {ascending, descending, few, random});
    for (const std::vector<int>& input : inputs) {
        std::vector<int> sorted = input;
        QuickSort(sorted, 0, static_cast<int32_t>(sorted.size()) - 1, kLess);
        std::vector<int> expected = input;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(sorted, expected) << "length " << input.size();
    }

    // Only lo..hi moves.
    std::vector<int> part = {9, 8, 3, 2, 1, 0};
    QuickSort(part, 1, 4, kLess);
    EXPECT_EQ(part, (std::vector<int>{9, 1, 2, 3, 8, 0}));
}

TEST(Rearrange, MovesEveryEntryAlongItsCycle) {
    const std::vector<std::string> letters = {"x", "a", "b", "c", "d", "e", "y"};
    // Where each of the five entries from index 1 on is to come from.
    const std::vector<std::vector<int32_t>> orders = {
        {0, 1, 2, 3, 4}, {4, 3, 2, 1, 0}, {1, 2, 3, 4, 0}, {1, 0, 3, 2, 4}, {2, 4, 0, 1, 3}};
    for (const std::vector<int32_t>& order : orders) {
        std::vector<std::string> list = letters;
        std::vector<int32_t> consumed = order;
        Rearrange(list, 1, consumed);
        std::vector<std::string> expected = {"x"};
        for (const int32_t from : order) {
            expected.push_back(letters[static_cast<std::size_t>(1 + from)]);
        }
        expected.push_back("y");
        EXPECT_EQ(list, expected);
    }
}

// A first-entry pivot splits input in reverse order one entry at a time,
// the long part on alternate sides; sorting both parts by recursion would
// go 10,000 calls deep and overrun this thread's stack.
void* SortReversedInput(void* result) {
    std::vector<int> list(20000);
    for (int i = 0; i < 20000; ++i) {
        list[static_cast<std::size_t>(i)] = 20000 - i;
    }
    QuickSort(list, 0, 19999, kLess);
    *static_cast<bool*>(result) = std::is_sorted(list.begin(), list.end());
    return nullptr;
}

TEST(QuickSort, InputInReverseOrderDoesNotDeepenTheStack) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 128 * 1024);
    bool sorted = false;
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, SortReversedInput, &sorted), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_TRUE(sorted);
}

TEST(QuickSort, NamesThroughSortKeysComeOutAsThroughTheComparison) {
    const platform::NameCollation collation(QLocale(QLocale::English, QLocale::UnitedStates));
    const std::vector<std::vector<std::string>> lists = {
        {"cherry.jpg", "Banana.jpg", "apple.jpg", "APPLE.jpg", "b.gif", "B.GIF"},
        {"z.jpg", "\xc3\xa9t\xc3\xa9.jpg", "ete.jpg", "Ete.jpg", "\xff.jpg", "\xfe.jpg", "e.jpg"},
    };
    for (const auto& list : lists) {
        std::vector<std::string> byKeys = list;
        QuickSort(byKeys, 0, static_cast<int32_t>(byKeys.size()) - 1, collation);
        std::vector<std::string> byComparison = list;
        QuickSort(byComparison, 0, static_cast<int32_t>(byComparison.size()) - 1,
                  [&](const std::string& a, const std::string& b) {
                      return collation.Compare(a, b) < 0;
                  });
        EXPECT_EQ(byKeys, byComparison);
    }

    // Names equal but for case or width, and bytes that are no UTF-8, in
    // every order they may come in: one result.
    std::vector<std::string> names = {"b.jpg", "B.jpg", "\xef\xbd\x82.jpg", "\xff.jpg", "\xfe.jpg",
                                      "a.jpg", "A.JPG"};
    std::sort(names.begin(), names.end());
    std::vector<std::string> first;
    do {
        std::vector<std::string> sorted = names;
        QuickSort(sorted, 0, static_cast<int32_t>(sorted.size()) - 1, collation);
        if (first.empty()) {
            first = sorted;
        }
        ASSERT_EQ(sorted, first);
    } while (std::next_permutation(names.begin(), names.end()));

    std::vector<std::string> part = {"z", "c", "B", "a", "0"};
    QuickSort(part, 1, 3, collation);
    EXPECT_EQ(part, (std::vector<std::string>{"z", "a", "B", "c", "0"}));
}

} // namespace
} // namespace vimbrel
