// The order in which the next-folder key visits the folders.

#include "startup/FolderOrder.h"

#include "PlatformDoubles.h"

#include <gtest/gtest.h>
#include <set>

namespace vimbrel {
namespace {

std::vector<int16_t> OrderOf(int16_t folders, std::vector<float> draws, int16_t currentFolder = 1,
                             int16_t* index = nullptr) {
    test::SequenceRandomSource random(std::move(draws));
    FolderOrder order;
    BuildFolderOrder(order, folders, currentFolder, random);
    if (index != nullptr) {
        *index = order.FolderIndex;
    }
    std::vector<int16_t> numbers = order.FolderNumberArray;
    numbers.pop_back(); // the last slot is never used
    return numbers;
}

TEST(FolderOrderTest, OneOrTwoFoldersStayInOrder) {
    EXPECT_EQ(OrderOf(0, {0.3f}), std::vector<int16_t>{});
    EXPECT_EQ(OrderOf(1, {0.3f}), std::vector<int16_t>{1});
    EXPECT_EQ(OrderOf(2, {0.3f}), (std::vector<int16_t>{1, 2}));
}

TEST(FolderOrderTest, ThreeFoldersAlwaysGiveTwoThreeOne) {
    for (float r : {0.0f, 0.001f, 0.25f, 0.5f, 0.75f, 0.99999994f}) {
        EXPECT_EQ(OrderOf(3, {r}), (std::vector<int16_t>{2, 3, 1})) << r;
    }
}

TEST(FolderOrderTest, FourFoldersGiveOneOfTwoOrders) {
    std::set<std::vector<int16_t>> seen;
    const float draws[] = {0.0f, 0.2f, 0.49f, 0.5f, 0.8f, 0.99999994f};
    for (float a : draws) {
        for (float b : draws) {
            for (float c : draws) {
                seen.insert(OrderOf(4, {a, b, c, 0.5f}));
            }
        }
    }
    EXPECT_EQ(seen, (std::set<std::vector<int16_t>>{{2, 3, 4, 1}, {3, 1, 4, 2}}));
}

TEST(FolderOrderTest, EveryFolderAppearsOnceAndTheIndexFindsTheCurrentOne) {
    for (int16_t folders : {int16_t{5}, int16_t{17}, int16_t{300}}) {
        std::vector<float> draws;
        for (int i = 0; i < folders; ++i) {
            draws.push_back(static_cast<float>((i * 37) % 101) / 101.0f);
        }
        int16_t index = -1;
        const std::vector<int16_t> order = OrderOf(folders, draws, 4, &index);
        std::vector<int16_t> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        for (int16_t i = 0; i < folders; ++i) {
            EXPECT_EQ(sorted[static_cast<std::size_t>(i)], i + 1);
        }
        EXPECT_EQ(order[static_cast<std::size_t>(index)], 4);
    }
    int16_t index = -1;
    OrderOf(3, {0.5f}, 99, &index);
    EXPECT_EQ(index, 0); // a folder number that is not there
}

} // namespace
} // namespace vimbrel
