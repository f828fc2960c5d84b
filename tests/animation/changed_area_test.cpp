#include "animation/changed_area.h"

#include <gtest/gtest.h>

namespace {

// Blocks close together go to the display under one look; a block whose joining would bring
// many unchanged pixels along is handed over apart, and the pending bounds start over from it.
TEST(HandOverBefore, JoinsNearbyBlocksAndSeparatesDistantOnes) {
    struct Row {
        const char *what;
        RECT pending, next;
        bool hand_over;
        RECT after;
    };
    const Row rows[] = {
        {"side by side", {0, 0, 100, 100}, {100, 0, 200, 100}, false, {0, 0, 200, 100}},
        {"one below the other", {0, 0, 100, 100}, {0, 100, 100, 200}, false, {0, 0, 100, 200}},
        {"a small gap", {0, 0, 100, 100}, {0, 150, 100, 250}, false, {0, 0, 100, 250}},
        {"opposite corners",
         {0, 0, 100, 100},
         {3700, 2000, 3800, 2100},
         true,
         {3700, 2000, 3800, 2100}},
        {"diagonal neighbours far apart",
         {0, 0, 200, 200},
         {400, 400, 600, 600},
         true,
         {400, 400, 600, 600}},
    };
    for (const Row &row : rows) {
        RECT pending = row.pending;
        EXPECT_EQ(HandOverBefore(&pending, row.next), row.hand_over) << row.what;
        EXPECT_TRUE(pending.left == row.after.left && pending.top == row.after.top &&
                    pending.right == row.after.right && pending.bottom == row.after.bottom)
            << row.what;
    }
}

} // namespace
