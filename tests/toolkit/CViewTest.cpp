#include "toolkit/CView.h"
#include "tests/toolkit/ViewTestKit.h"
#include "toolkit/CViewContainer.h"

#include <gtest/gtest.h>

namespace toolkit
{
namespace
{

using namespace testkit;
using qev::test::Canvas;
using qev::test::Image;
using qev::test::pixel;

using ViewTest = TreeTest;

TEST_F(ViewTest, StartsCleanMouseEnabledOpaqueWithoutFocusWishOrPicture)
{
    CView view(CRect(1, 2, 30, 40));
    CRect r;
    EXPECT_EQ(view.getViewSize(r), CRect(1, 2, 30, 40));
    EXPECT_EQ(view.getMouseableArea(r), CRect(1, 2, 30, 40));
    EXPECT_FALSE(view.isDirty());
    EXPECT_TRUE(view.getMouseEnabled());
    EXPECT_FALSE(view.getTransparency());
    EXPECT_FALSE(view.getWantsFocus());
    EXPECT_EQ(view.getBackground(), nullptr);
    EXPECT_EQ(view.getFrame(), nullptr);
    EXPECT_EQ(view.getParentView(), nullptr);
    EXPECT_EQ(view.getEditor(), nullptr);
    EXPECT_EQ(view.getReferenceCount(), 1);
}

TEST_F(ViewTest, BackgroundHoldsOneReferenceUntilReplacedOrDestroyed)
{
    auto* first = new SolidBitmap(4, 4, 0);
    auto* second = new SolidBitmap(4, 4, 0);
    auto* view = new CView(CRect(0, 0, 4, 4));
    view->setBackground(first);
    EXPECT_EQ(first->getReferenceCount(), 2);
    EXPECT_TRUE(view->isDirty());
    view->setDirty(false);
    view->setBackground(second);
    EXPECT_EQ(first->getReferenceCount(), 1);
    EXPECT_EQ(second->getReferenceCount(), 2);
    EXPECT_TRUE(view->isDirty());
    view->setBackground(nullptr);
    EXPECT_EQ(second->getReferenceCount(), 1);
    view->setBackground(second);
    view->forget();
    EXPECT_EQ(second->getReferenceCount(), 1);
    first->forget();
    second->forget();
}

// The picture is drawn over the view from its own top-left; the transparent form leaves the
// target showing where the picture has the transparent colour (white).
TEST_F(ViewTest, DrawPaintsTheBackgroundOpaquelyOrTransparentlyAndCleans)
{
    for (bool transparent : {false, true})
    {
        Canvas canvas(20, 20, RGB(0, 0, 255));
        auto* picture = new SolidBitmap(20, 20, 0xFFFFFF);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, picture->getHandle());
        SetPixel(dc, 3, 3, RGB(255, 0, 0));
        SelectObject(dc, previous);
        DeleteDC(dc);

        CView view(CRect(5, 6, 10, 12));
        view.setBackground(picture);
        picture->forget();
        view.setTransparency(transparent);
        CDrawContext context(nullptr, canvas.dc(), nullptr);
        view.draw(&context);
        EXPECT_FALSE(view.isDirty());

        const Image image = canvas.image();
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
            {
                const bool inside = x >= 5 && x < 10 && y >= 6 && y < 12;
                uint32_t expected = pixel(0, 0, 255);
                if (inside && x - 5 == 3 && y - 6 == 3)
                    expected = pixel(255, 0, 0);
                else if (inside && !transparent)
                    expected = pixel(255, 255, 255);
                ASSERT_EQ(image.at(x, y), expected)
                    << x << "," << y << " transparent " << transparent;
            }
    }
}

TEST_F(ViewTest, DrawWithoutPictureDrawsNothingAndDrawRectDraws)
{
    Canvas canvas(10, 10, RGB(1, 2, 3));
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    CView view(CRect(0, 0, 10, 10));
    view.setDirty(true);
    view.drawRect(&context, CRect(0, 0, 2, 2));
    EXPECT_FALSE(view.isDirty());
    for (uint32_t p : canvas.image().pixels)
        ASSERT_EQ(p, pixel(1, 2, 3));
}

struct RectCase
{
    CRect other;
    bool overlaps;
};

void PrintTo(const RectCase& c, std::ostream* os)
{
    PrintTo(c.other, os);
    *os << (c.overlaps ? " overlaps" : " apart");
}

class CheckUpdate : public ::testing::TestWithParam<RectCase>
{
};

TEST_P(CheckUpdate, TouchingEdgesCountAsOverlap)
{
    const CView view(CRect(10, 10, 20, 20));
    EXPECT_EQ(view.checkUpdate(GetParam().other), GetParam().overlaps);
}

INSTANTIATE_TEST_SUITE_P(
    ViewTest, CheckUpdate,
    ::testing::Values(RectCase{CRect(0, 0, 10, 10), true}, RectCase{CRect(20, 20, 30, 30), true},
                      RectCase{CRect(20, 0, 30, 10), true}, RectCase{CRect(12, 12, 14, 14), true},
                      RectCase{CRect(0, 0, 9, 30), false}, RectCase{CRect(21, 0, 30, 30), false},
                      RectCase{CRect(0, 21, 30, 30), false}));

struct PointCase
{
    CPoint where;
    bool hits;
};

void PrintTo(const PointCase& c, std::ostream* os)
{
    PrintTo(c.where, os);
    *os << (c.hits ? " hits" : " misses");
}

class HitTest : public ::testing::TestWithParam<PointCase>
{
};

// The mouseable area decides, not the size, and both of its edges are inclusive.
TEST_P(HitTest, MouseableAreaWithInclusiveEdges)
{
    CView view(CRect(0, 0, 100, 100));
    view.setMouseableArea(CRect(10, 20, 30, 40));
    EXPECT_EQ(view.hitTest(GetParam().where, kLButton), GetParam().hits);
}

INSTANTIATE_TEST_SUITE_P(
    ViewTest, HitTest,
    ::testing::Values(PointCase{CPoint(10, 20), true}, PointCase{CPoint(30, 40), true},
                      PointCase{CPoint(30, 20), true}, PointCase{CPoint(10, 40), true},
                      PointCase{CPoint(9, 20), false}, PointCase{CPoint(31, 40), false},
                      PointCase{CPoint(30, 41), false}, PointCase{CPoint(5, 5), false}));

TEST_F(ViewTest, SetViewSizeMovesTheViewButNotItsMouseableArea)
{
    CView view(CRect(0, 0, 10, 10));
    view.setViewSize(CRect(50, 50, 60, 60));
    CRect r;
    EXPECT_EQ(view.getViewSize(r), CRect(50, 50, 60, 60));
    EXPECT_EQ(view.getMouseableArea(r), CRect(0, 0, 10, 10));
    EXPECT_TRUE(view.isDirty());
}

TEST_F(ViewTest, BaseAnswersForInputNotHandled)
{
    CView view(CRect(0, 0, 10, 10));
    VstKeyCode k = key('a');
    EXPECT_EQ(view.onKeyDown(k), -1);
    EXPECT_EQ(view.onKeyUp(k), -1);
    EXPECT_FALSE(view.onWheel(nullptr, CPoint(1, 1), kMouseWheelAxisX, 1.0f));
    EXPECT_FALSE(view.onWheel(nullptr, CPoint(1, 1), 1.0f));
    EXPECT_FALSE(view.onDrop(nullptr, nullptr, CPoint(1, 1)));
    EXPECT_EQ(view.notify(nullptr, kMsgCheckIfViewContainer), 0);
    EXPECT_TRUE(view.attached(nullptr));
    EXPECT_TRUE(view.removed(nullptr));
}

// The axis is not looked at: both axes reach the plain form with the same distance.
TEST_F(ViewTest, WheelWithAxisHandsOverToThePlainForm)
{
    Patch patch("p", CRect(0, 0, 10, 10));
    EXPECT_TRUE(patch.onWheel(nullptr, CPoint(3, 4), kMouseWheelAxisX, 0.5f));
    EXPECT_TRUE(patch.onWheel(nullptr, CPoint(3, 4), kMouseWheelAxisY, -1.0f));
    EXPECT_EQ(journal(), (std::vector<std::string>{"p.wheel 3,4 0.500000 no context",
                                                   "p.wheel 3,4 -1.000000 no context"}));
}

struct TypeCase
{
    const char* name;
    bool view, control, container, frame;
};

void PrintTo(const TypeCase& c, std::ostream* os)
{
    *os << (c.name ? c.name : "null");
}

class IsTypeOf : public TreeTest, public ::testing::WithParamInterface<TypeCase>
{
};

// Each class answers its own name and every name further down its chain, nothing else.
TEST_P(IsTypeOf, ChainsThroughTheBaseClasses)
{
    const TypeCase c = GetParam();
    CView view{CRect()};
    CControl control(CRect(), nullptr, 0);
    CViewContainer container(CRect(), nullptr);
    CFrame* frame = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
    EXPECT_EQ(view.isTypeOf(c.name), c.view);
    EXPECT_EQ(control.isTypeOf(c.name), c.control);
    EXPECT_EQ(container.isTypeOf(c.name), c.container);
    EXPECT_EQ(frame->isTypeOf(c.name), c.frame);
    frame->forget();
}

INSTANTIATE_TEST_SUITE_P(ViewTest, IsTypeOf,
                         ::testing::Values(TypeCase{"CView", true, true, true, true},
                                           TypeCase{"CControl", false, true, false, false},
                                           TypeCase{"CViewContainer", false, false, true, true},
                                           TypeCase{"CFrame", false, false, false, true},
                                           TypeCase{"CKnob", false, false, false, false},
                                           TypeCase{"cview", false, false, false, false},
                                           TypeCase{nullptr, false, false, false, false}));

TEST_F(ViewTest, UpdateOfADetachedViewOnlyCleansIt)
{
    CView view(CRect(0, 0, 10, 10));
    view.update(nullptr); // clean: nothing at all
    view.setDirty(true);
    view.update(nullptr);
    EXPECT_FALSE(view.isDirty());
    Canvas canvas(10, 10);
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    view.setDirty(true);
    view.update(&context); // no parent and no frame to redraw through
    EXPECT_FALSE(view.isDirty());
}

TEST_F(ViewTest, MouseLocationWithoutContextLeavesThePoint)
{
    CView view(CRect(0, 0, 10, 10));
    CPoint where(7, 8);
    view.getMouseLocation(nullptr, where);
    EXPECT_EQ(where, CPoint(7, 8));
    EXPECT_EQ(view.frameToLocal(where), CPoint(7, 8));
    EXPECT_EQ(view.localToFrame(where), CPoint(7, 8));
}

} // namespace
} // namespace toolkit
