#include "animation/figures.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(RandomGenerator, KnownSequences) {
    struct Row {
        uint32_t seed;
        std::vector<int32_t> values;
    };
    const Row rows[] = {
        {1, {41, 18467, 6334, 26500, 19169, 15724}},
        {0, {38, 7719, 21238}},
    };
    for (const Row &row : rows) {
        SeedRandom(row.seed);
        for (size_t i = 0; i < row.values.size(); ++i)
            EXPECT_EQ(NextRandom(), row.values[i]) << "seed " << row.seed << " draw " << i;
    }
}

} // namespace
