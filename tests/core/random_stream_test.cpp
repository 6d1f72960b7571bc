// The game's seeded random streams: a seed gives one sequence, the values span exactly the range the
// rules expect, and the board's rules never draw from the decoration stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/board.h"
#include "core/random_stream.h"

namespace {

using namespace quz::core;

std::vector<int32_t> Draws(RandomStream stream, int count) {
    std::vector<int32_t> values;
    values.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        values.push_back(stream.Next());
    }
    return values;
}

TEST(RandomStream, ASeedGivesOneSequenceOverTheWholeRange) {
    EXPECT_EQ(Draws(RandomStream(2026), 500), Draws(RandomStream(2026), 500));
    EXPECT_NE(Draws(RandomStream(2026), 500), Draws(RandomStream(2027), 500));
    RandomStream reseeded(5);
    reseeded.Next();
    reseeded.Seed(2026);
    EXPECT_EQ(Draws(reseeded, 50), Draws(RandomStream(2026), 50));

    const std::vector<int32_t> values = Draws(RandomStream(0), 100000);
    EXPECT_EQ(*std::min_element(values.begin(), values.end()), 0);
    EXPECT_EQ(*std::max_element(values.begin(), values.end()), RandomStream::kMax);
    // Parity decides the points bonus: both must come up about equally often.
    const auto odd = std::count_if(values.begin(), values.end(), [](int32_t v) { return v % 2 != 0; });
    EXPECT_NEAR(static_cast<double>(odd) / static_cast<double>(values.size()), 0.5, 0.02);
}

TEST(RandomStream, DecorationNeverChangesTheDeal) {
    Board first;
    RandomStream rules(41);
    RandomStream decoration(1);
    first.Fill(rules, decoration);
    first.AddLine(rules);
    Board second;
    RandomStream rulesAgain(41);
    RandomStream otherDecoration(999);
    otherDecoration.Next();
    second.Fill(rulesAgain, otherDecoration);
    second.AddLine(rulesAgain);
    EXPECT_EQ(memcmp(first.cells, second.cells, sizeof first.cells), 0);
    EXPECT_NE(memcmp(first.phases, second.phases, sizeof first.phases), 0);
}

}  // namespace
