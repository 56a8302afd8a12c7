#include <gtest/gtest.h>

#include "scrolling/StopStripPlacement.h"

namespace {

// A 1920 x 1080 primary screen. The strip is 220 x 18, centred on the target.
TEST(StopStripPlacement, BelowAboveClippedOrNone) {
    const RECT screen{0, 0, 1920, 1080};
    const struct {
        RECT target;
        bool placed;
        POINT at;
    } cases[] = {
        {{100, 100, 500, 400}, true, {190, 400}},      // below
        {{100, 600, 500, 1080}, true, {190, 582}},     // touching the bottom: above
        {{-300, 100, 100, 400}, true, {0, 400}},       // off the left edge: clipped strip's left
        {{1800, 100, 2200, 400}, true, {1890, 400}},   // off the right edge: unclipped left
        {{100, 0, 500, 1080}, false, {}},              // full height
        {{2000, 100, 2400, 400}, false, {}},           // on a monitor right of the primary
        {{-1000, 100, -400, 400}, false, {}},          // on a monitor left of the primary
        {{100, 10, 500, 1075}, true, {190, 0}},        // 10 rows above, 5 below
        {{100, 5, 500, 1070}, true, {190, 1070}},      // 5 above, 10 below
        {{100, 10, 500, 1070}, false, {}},             // 10 on both sides: no whole strip anywhere
        {{100, 18, 500, 1062}, true, {190, 1062}},     // whole strips on both sides: below
    };
    for (const auto& c : cases) {
        const std::optional<POINT> at = qel::StopStripPosition(c.target, screen);
        const auto& t = c.target;
        ASSERT_EQ(at.has_value(), c.placed) << t.left << "," << t.top << "," << t.right << "," << t.bottom;
        if (at) {
            EXPECT_TRUE(at->x == c.at.x && at->y == c.at.y) << at->x << "," << at->y << " for " << t.left << "," << t.top;
        }
    }
}

}  // namespace
