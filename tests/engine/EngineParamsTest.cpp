#include "engine/EngineParams.h"

#include <gtest/gtest.h>

namespace qev
{
namespace
{

TEST(EngineParams, StartsAtZeroAndIgnoresBadIndices)
{
    EngineParams p;
    for (int i = 0; i < kNumParams; ++i)
        EXPECT_EQ(p.get(i), 0.0f);
    p.set(-1, 5.0f);
    p.set(kNumParams, 5.0f);
    EXPECT_EQ(p.get(-1), 0.0f);
    EXPECT_EQ(p.get(kNumParams), 0.0f);
    p.set(22, 0.25f);
    EXPECT_EQ(p.get(22), 0.25f);
}

} // namespace
} // namespace qev
