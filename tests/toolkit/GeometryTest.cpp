#include "toolkit/Buttons.h"
#include "toolkit/CColor.h"
#include "toolkit/CRect.h"
#include "toolkit/CReferenceCounter.h"

#include <gtest/gtest.h>

namespace toolkit
{
namespace
{

TEST(CRect, SettingCornersNormalisesButConstructionKeepsTheValues)
{
    CRect r;
    r.setCorners(10, 20, 5, 8);
    EXPECT_EQ(r, CRect(5, 8, 10, 20));
    r.setCorners(CPoint(3, 1), CPoint(-2, 7));
    EXPECT_EQ(r, CRect(-2, 1, 3, 7));
    const CRect kept(10, 20, 5, 8);
    EXPECT_EQ(kept.left, 10);
    EXPECT_EQ(kept.width(), -5);
    const CRect copy = kept;
    EXPECT_EQ(copy, kept);
}

TEST(CRect, OffsetMovesAllFourSides)
{
    CRect r(1, 2, 3, 4);
    r.offset(10, -2);
    EXPECT_EQ(r, CRect(11, 0, 13, 2));
    CPoint p(5, 6);
    EXPECT_EQ(p.offset(-5, 1), CPoint(0, 7));
}

struct OverlapCase
{
    CRect other;
    bool overlaps;
};
void PrintTo(const OverlapCase& c, std::ostream* os)
{
    *os << c.other.left << "," << c.other.top << "," << c.other.right << "," << c.other.bottom;
}

class Overlap : public ::testing::TestWithParam<OverlapCase>
{
};

TEST_P(Overlap, TouchingEdgesCount)
{
    const CRect r(10, 10, 20, 20);
    EXPECT_EQ(r.isOverlapping(GetParam().other), GetParam().overlaps);
    EXPECT_EQ(GetParam().other.isOverlapping(r), GetParam().overlaps);
}

INSTANTIATE_TEST_SUITE_P(Cases, Overlap,
                         ::testing::Values(OverlapCase{CRect(20, 10, 30, 20), true},
                                           OverlapCase{CRect(0, 20, 10, 30), true},
                                           OverlapCase{CRect(12, 12, 15, 15), true},
                                           OverlapCase{CRect(21, 10, 30, 20), false},
                                           OverlapCase{CRect(10, 0, 20, 9), false}));

TEST(CRect, PointInsideIncludesAllFourEdges)
{
    const CRect r(10, 10, 20, 20);
    EXPECT_TRUE(r.pointInside(CPoint(10, 10)));
    EXPECT_TRUE(r.pointInside(CPoint(20, 20)));
    EXPECT_TRUE(r.pointInside(CPoint(20, 15)));
    EXPECT_FALSE(r.pointInside(CPoint(21, 15)));
    EXPECT_FALSE(r.pointInside(CPoint(15, 9)));
}

struct BoundCase
{
    CRect a;
    CRect b;
    CRect expected;
};
void PrintTo(const BoundCase& c, std::ostream* os)
{
    *os << c.b.left << "," << c.b.top << "," << c.b.right << "," << c.b.bottom;
}

class Bound : public ::testing::TestWithParam<BoundCase>
{
};

TEST_P(Bound, ClipsAndNeverInverts)
{
    CRect a = GetParam().a;
    a.bound(GetParam().b);
    EXPECT_EQ(a, GetParam().expected);
    EXPECT_GE(a.width(), 0);
    EXPECT_GE(a.height(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Bound,
    ::testing::Values(BoundCase{CRect(0, 0, 10, 10), CRect(5, 5, 20, 20), CRect(5, 5, 10, 10)},
                      BoundCase{CRect(0, 0, 10, 10), CRect(2, 3, 4, 5), CRect(2, 3, 4, 5)},
                      BoundCase{CRect(0, 0, 10, 10), CRect(30, 40, 50, 60), CRect(30, 40, 30, 40)},
                      BoundCase{CRect(30, 40, 50, 60), CRect(0, 0, 10, 10), CRect(30, 40, 30, 40)},
                      BoundCase{CRect(0, 0, 10, 10), CRect(20, 0, 30, 10), CRect(20, 0, 20, 10)}));

TEST(CColor, NamedColoursAndEquality)
{
    EXPECT_EQ(kGreyCColor, (CColor{127, 127, 127, 255}));
    EXPECT_EQ(kMagentaCColor, (CColor{255, 0, 255, 255}));
    EXPECT_EQ(kTransparentCColor, (CColor{255, 255, 255, 0}));
    EXPECT_NE(kTransparentCColor, kWhiteCColor); // alpha takes part
    EXPECT_EQ(kLButton | kMButton | kRButton | kShift | kControl | kAlt | kExtraModifier, 127);
}

class Counted : public CReferenceCounter
{
public:
    explicit Counted(int& destroyed) : destroyed_(destroyed) {}
    ~Counted() override { ++destroyed_; }

private:
    int& destroyed_;
};

TEST(CReferenceCounter, TheLastForgetDestroys)
{
    int destroyed = 0;
    auto* object = new Counted(destroyed);
    EXPECT_EQ(object->getReferenceCount(), 1);
    object->remember();
    object->forget();
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(object->getReferenceCount(), 1);
    object->forget();
    EXPECT_EQ(destroyed, 1);
}

} // namespace
} // namespace toolkit
