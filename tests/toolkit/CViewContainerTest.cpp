#include "toolkit/CViewContainer.h"
#include "tests/toolkit/ViewTestKit.h"
#include "toolkit/COffscreenContext.h"

#include <gtest/gtest.h>

namespace toolkit
{
namespace
{

using namespace testkit;
using qev::test::Canvas;
using qev::test::Image;
using qev::test::pixel;
using qev::test::sameImage;

using Journal = std::vector<std::string>;

using ContainerTest = FrameTreeTest;

// ---- Child list and references ---------------------------------------------------------------

TEST_F(ContainerTest, AddingKeepsOrderSetsParentsAttachesAndMarksDirty)
{
    auto* panel = new Panel(CRect(0, 0, 40, 40), frame);
    auto* a = new Patch("a", CRect(0, 0, 5, 5));
    auto* b = new Patch("b", CRect(5, 5, 9, 9));
    EXPECT_TRUE(panel->addView(a));
    EXPECT_TRUE(panel->addView(b, CRect(1, 2, 3, 4), false));
    EXPECT_EQ(panel->getNbViews(), 2);
    EXPECT_EQ(panel->getView(0), a);
    EXPECT_EQ(panel->getView(1), b);
    EXPECT_EQ(panel->getView(2), nullptr);
    EXPECT_EQ(panel->getView(-1), nullptr);
    EXPECT_TRUE(panel->isChild(b));
    EXPECT_FALSE(panel->isChild(panel));
    EXPECT_FALSE(panel->isChild(nullptr));
    EXPECT_EQ(a->getParentView(), panel);
    EXPECT_EQ(a->getFrame(), frame);
    EXPECT_TRUE(a->isDirty());
    EXPECT_EQ(a->getReferenceCount(), 2); // the creator's and the list's
    CRect area;
    EXPECT_EQ(b->getMouseableArea(area), CRect(1, 2, 3, 4));
    EXPECT_FALSE(b->getMouseEnabled());
    EXPECT_EQ(journal(), (Journal{"a.attached", "b.attached"}));
    panel->forget();
    EXPECT_EQ(Census::views(), 0); // removeAll (true) at destruction drops both references
}

TEST_F(ContainerTest, RemoveViewWithForgetDropsBothReferences)
{
    auto* a = add(frame, new Patch("a", CRect(0, 0, 5, 5)));
    add(frame, new Patch("b", CRect(0, 0, 5, 5)));
    a->remember(); // a watcher's reference, to see what is left
    EXPECT_TRUE(frame->removeView(a, true));
    EXPECT_EQ(frame->getNbViews(), 1);
    EXPECT_EQ(a->getReferenceCount(), 1);
    EXPECT_EQ(a->getParentView(), nullptr);
    EXPECT_EQ(a->getFrame(), nullptr);
    EXPECT_EQ(journal().back(), "a.removed");
    a->forget();
    EXPECT_EQ(Census::views(), 1);
}

TEST_F(ContainerTest, RemoveViewWithoutForgetLeavesTheCreatorsReference)
{
    auto* a = add(frame, new Patch("a", CRect(0, 0, 5, 5)));
    EXPECT_TRUE(frame->removeView(a, false));
    EXPECT_EQ(frame->getNbViews(), 0);
    EXPECT_EQ(a->getReferenceCount(), 1);
    // Detached, it can go into another container.
    auto* panel = add(frame, new Panel(CRect(0, 0, 20, 20), frame));
    EXPECT_TRUE(panel->addView(a));
    EXPECT_EQ(a->getFrame(), frame);
}

TEST_F(ContainerTest, RemoveAllEmptiesTheListWithOrWithoutForget)
{
    for (bool withForget : {true, false})
    {
        journal().clear();
        auto* a = add(frame, new Patch("a", CRect(0, 0, 5, 5)));
        auto* b = add(frame, new Patch("b", CRect(0, 0, 5, 5)));
        frame->removeAll(withForget);
        EXPECT_EQ(frame->getNbViews(), 0);
        EXPECT_EQ(frame->getView(0), nullptr);
        EXPECT_EQ(journal(), (Journal{"a.attached", "b.attached", "a.removed", "b.removed"}));
        EXPECT_EQ(Census::views(), withForget ? 0 : 2);
        if (!withForget)
        {
            EXPECT_EQ(a->getReferenceCount(), 1);
            a->forget();
            b->forget();
        }
    }
}

TEST_F(ContainerTest, NullContextsDrawNothing)
{
    auto* panel = add(frame, new Panel(CRect(0, 0, 20, 20), frame));
    add(panel, new Patch("p", CRect(0, 0, 5, 5)));
    journal().clear();
    panel->draw(nullptr);
    panel->drawRect(nullptr, CRect(0, 0, 20, 20));
    panel->drawBackgroundRect(nullptr, CRect(0, 0, 20, 20));
    panel->mouse(nullptr, CPoint(1, 1), -1);
    EXPECT_EQ(journal(), (Journal{"p.mouse 1,1 -1"}));
    // A container updated without a context borrows one from the frame.
    panel->update(nullptr);
    EXPECT_EQ(journal().back(), "p.draw");
    EXPECT_FALSE(panel->isDirty());
}

TEST_F(ContainerTest, BadAdditionsAndRemovalsChangeNothing)
{
    auto* panel = add(frame, new Panel(CRect(0, 0, 20, 20), frame));
    auto* child = add(panel, new Patch("c", CRect(0, 0, 5, 5)));
    Patch stranger("s", CRect(0, 0, 5, 5));

    EXPECT_FALSE(frame->addView(nullptr));
    EXPECT_FALSE(frame->addView(nullptr, CRect(), true));
    EXPECT_FALSE(frame->addView(child)); // already in the panel
    EXPECT_FALSE(frame->addView(child, CRect(9, 9, 9, 9), false));
    CRect area;
    EXPECT_EQ(child->getMouseableArea(area), CRect(0, 0, 5, 5)); // a refused view is untouched
    EXPECT_TRUE(child->getMouseEnabled());
    EXPECT_FALSE(panel->addView(panel));        // itself
    EXPECT_FALSE(panel->addView(frame));        // an ancestor
    EXPECT_FALSE(frame->removeView(&stranger)); // not a child
    EXPECT_FALSE(frame->removeView(child));     // a grandchild is not a child
    EXPECT_FALSE(frame->removeView(nullptr));
    EXPECT_EQ(frame->getNbViews(), 1);
    EXPECT_EQ(panel->getNbViews(), 1);
    EXPECT_EQ(stranger.getReferenceCount(), 1);
    EXPECT_EQ(child->getReferenceCount(), 2);
}

// ---- Offscreen buffer ------------------------------------------------------------------------

TEST_F(ContainerTest, OffscreenLivesFromAttachmentUntilRemovalAndFollowsTheSize)
{
    const long before = qev::platform::gdiCounts().alive;
    auto* panel = new Panel(CRect(0, 0, 20, 10), frame);
    EXPECT_EQ(panel->getOffscreenContext(), nullptr);
    frame->addView(panel);
    COffscreenContext* first = panel->getOffscreenContext();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->getWidth(), 20);

    panel->setViewSize(CRect(5, 5, 35, 25));
    ASSERT_NE(panel->getOffscreenContext(), nullptr);
    EXPECT_EQ(panel->getOffscreenContext()->getWidth(), 30);
    EXPECT_EQ(panel->getOffscreenContext()->getHeight(), 20);

    panel->remember();
    frame->removeView(panel, false);
    EXPECT_EQ(panel->getOffscreenContext(), nullptr);
    EXPECT_EQ(qev::platform::gdiCounts().alive, before);
    panel->forget();
    panel->forget();
}

TEST_F(ContainerTest, OffscreenIsMadeLazilyAndDroppedByUseOffscreenFalse)
{
    Canvas canvas(10, 10);
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    const long before = qev::platform::gdiCounts().alive;
    Panel panel(CRect(0, 0, 10, 10), nullptr);
    panel.setViewSize(CRect(0, 0, 12, 12)); // nothing to remake yet
    EXPECT_EQ(panel.getOffscreenContext(), nullptr);
    panel.draw(&context);
    ASSERT_NE(panel.getOffscreenContext(), nullptr);
    EXPECT_EQ(panel.getOffscreenContext()->getWidth(), 12);
    panel.useOffscreen(false);
    EXPECT_EQ(panel.getOffscreenContext(), nullptr);
    panel.draw(&context);
    panel.drawRect(&context, CRect(0, 0, 5, 5));
    panel.attached(nullptr);
    EXPECT_EQ(panel.getOffscreenContext(), nullptr);
    panel.useOffscreen(true);
    panel.drawRect(&context, CRect(0, 0, 5, 5));
    EXPECT_NE(panel.getOffscreenContext(), nullptr);
    panel.removed(nullptr);
    EXPECT_EQ(panel.getOffscreenContext(), nullptr);
    EXPECT_EQ(qev::platform::gdiCounts().alive, before);
}

// Without the buffer the children draw straight into the given context, shifted by the
// container's origin, and the context's offsets come back as they were.
TEST_F(ContainerTest, WithoutOffscreenChildrenDrawShiftedAndOffsetsAreRestored)
{
    Panel panel(CRect(10, 10, 30, 30), nullptr);
    panel.useOffscreen(false);
    panel.setTransparency(true); // no background fill: only the child shows
    auto* patch = add(&panel, new Patch("p", CRect(2, 3, 6, 8), kGreenCColor));
    (void)patch;
    for (bool partial : {false, true})
    {
        Canvas canvas(40, 40);
        CDrawContext context(nullptr, canvas.dc(), nullptr);
        context.offset = CPoint(1, 2);
        context.offsetScreen = CPoint(100, 200);
        if (partial)
            panel.drawRect(&context, CRect(0, 0, 40, 40));
        else
            panel.draw(&context);
        EXPECT_EQ(context.offset, CPoint(1, 2));
        EXPECT_EQ(context.offsetScreen, CPoint(100, 200));
        Image expected(40, 40, pixel(255, 255, 255));
        paint(expected, CRect(13, 15, 17, 20), kGreenCColor);
        EXPECT_TRUE(sameImage(canvas.image(), expected, partial ? "shifted-rect" : "shifted"));
    }
}

// ---- Messages, types, coordinates ------------------------------------------------------------

TEST_F(ContainerTest, NotifyRecognisesTheMessageObjectNotItsText)
{
    char sameText[] = "kMsgCheckIfViewContainer";
    EXPECT_EQ(frame->notify(nullptr, kMsgCheckIfViewContainer), 1);
    EXPECT_EQ(frame->notify(nullptr, sameText), 0);
    EXPECT_EQ(frame->notify(nullptr, "kMsgCheckIfViewContainer"), 0);
    EXPECT_EQ(frame->notify(nullptr, nullptr), 0);
}

TEST_F(ContainerTest, PointsConvertThroughEveryContainerLevel)
{
    auto* outer = add(frame, new Panel(CRect(10, 20, 50, 50), frame));
    auto* inner = add(outer, new Panel(CRect(5, 6, 30, 30), frame));
    auto* leaf = add(inner, new Patch("leaf", CRect(1, 1, 4, 4)));
    CPoint p(100, 100);
    EXPECT_EQ(inner->frameToLocal(p), CPoint(85, 74));
    EXPECT_EQ(inner->localToFrame(p), CPoint(100, 100));
    CPoint q(100, 100);
    EXPECT_EQ(leaf->frameToLocal(q), CPoint(85, 74)); // into the leaf's parent coordinates
    EXPECT_EQ(leaf->localToFrame(q), CPoint(100, 100));
}

// ---- Drawing ---------------------------------------------------------------------------------

// The frame's scene: one patch under a panel, the panel with two children, one patch on top.
struct Scene
{
    static inline const CRect kPanel{10, 8, 50, 40};
    static inline const CRect kA{2, 2, 20, 20};   // in the panel
    static inline const CRect kB{15, 10, 38, 30}; // in the panel, over A

    static void build(CFrame* frame, bool nested, bool panelOffscreen)
    {
        frame->addView(new Patch("under", CRect(0, 0, 8, 6), kYellowCColor));
        if (nested)
        {
            auto* panel = new Panel(kPanel, frame);
            panel->setBackgroundColor(kBlueCColor);
            panel->useOffscreen(panelOffscreen);
            frame->addView(panel);
            panel->addView(new Patch("a", kA, kRedCColor));
            panel->addView(new Patch("b", kB, kGreenCColor));
        }
        else
        {
            // The panel's fill leaves its top row and left column as they were: black.
            frame->addView(new Patch("edge", kPanel, kBlackCColor));
            frame->addView(new Patch("fill", CRect(11, 9, 50, 40), kBlueCColor));
            frame->addView(new Patch("a", CRect(kA).offset(10, 8), kRedCColor));
            frame->addView(new Patch("b", CRect(kB).offset(10, 8), kGreenCColor));
        }
        frame->addView(new Patch("over", CRect(45, 35, 60, 50), kMagentaCColor));
    }

    static Image expected()
    {
        Image image(60, 50, 0);
        paint(image, CRect(0, 0, 8, 6), kYellowCColor);
        paint(image, CRect(11, 9, 50, 40), kBlueCColor);
        paint(image, CRect(12, 10, 30, 28), kRedCColor);
        paint(image, CRect(25, 18, 48, 38), kGreenCColor);
        paint(image, CRect(45, 35, 60, 50), kMagentaCColor);
        return image;
    }
};

// Drawn through the panel's buffer and the frame's, straight into the frame's, or flat: the
// same picture, later children on top.
TEST_F(ContainerTest, NestedSceneDrawsLikeTheFlatScene)
{
    const Image expected = Scene::expected();
    struct Variant
    {
        bool nested, panelOffscreen;
        const char* name;
    };
    for (Variant v : {Variant{true, true, "nested-two-buffers"},
                      Variant{true, false, "nested-one-buffer"}, Variant{false, false, "flat"}})
    {
        auto* f = new CFrame(CRect(0, 0, 60, 50), nullptr, nullptr);
        Scene::build(f, v.nested, v.panelOffscreen);
        drawWhole(f);
        EXPECT_TRUE(sameImage(surfaceOf(f), expected, v.name)) << v.name;
        f->forget();
    }
}

// A partial redraw paints exactly what a full one paints inside the update rectangle and
// nothing outside, although views outside it changed too.
TEST_F(ContainerTest, PartialRedrawMatchesAFullDrawInsideAndLeavesTheRest)
{
    Scene::build(frame, true, true);
    drawWhole(frame);
    const Image before = surfaceOf(frame);
    auto* panel = static_cast<CViewContainer*>(frame->getView(1));
    static_cast<Patch*>(panel->getView(1))->setColour(kCyanCColor);  // b
    static_cast<Patch*>(frame->getView(2))->setColour(kWhiteCColor); // over

    const CRect update(20, 15, 40, 30);
    CDrawContext* context = frame->createDrawContext();
    frame->drawRect(context, update);
    context->forget();
    const Image partial = surfaceOf(frame);

    auto* reference = new CFrame(CRect(0, 0, 60, 50), nullptr, nullptr);
    Scene::build(reference, true, true);
    auto* refPanel = static_cast<CViewContainer*>(reference->getView(1));
    static_cast<Patch*>(refPanel->getView(1))->setColour(kCyanCColor);
    static_cast<Patch*>(reference->getView(2))->setColour(kWhiteCColor);
    drawWhole(reference);
    const Image full = surfaceOf(reference);
    reference->forget();

    Image expected = before;
    for (int y = update.top; y < update.bottom; ++y)
        for (int x = update.left; x < update.right; ++x)
            expected.at(x, y) = full.at(x, y);
    EXPECT_TRUE(sameImage(partial, expected, "partial-redraw"));
}

// b is dirty and only partly inside the update rectangle: drawn there, and still dirty so that
// the rest follows at the next idle. a lies wholly inside and is clean afterwards.
TEST_F(ContainerTest, DirtyChildDrawnOnlyInPartStaysDirtyUntilTheNextIdle)
{
    auto* a = add(frame, new Patch("a", CRect(22, 17, 30, 25), kRedCColor));
    auto* b = add(frame, new Patch("b", CRect(30, 20, 55, 45), kGreenCColor));
    drawWhole(frame);
    a->setColour(kBlueCColor);
    b->setColour(kBlueCColor);
    CDrawContext* context = frame->createDrawContext();
    frame->drawRect(context, CRect(20, 15, 40, 30));
    context->forget();
    EXPECT_FALSE(a->isDirty());
    EXPECT_TRUE(b->isDirty());
    Image image = surfaceOf(frame);
    EXPECT_EQ(image.at(35, 25), rgbOf(kBlueCColor));  // inside: the new colour
    EXPECT_EQ(image.at(35, 35), rgbOf(kGreenCColor)); // outside: not yet

    frame->idle();
    EXPECT_FALSE(b->isDirty());
    image = surfaceOf(frame);
    EXPECT_EQ(image.at(35, 35), rgbOf(kBlueCColor));
}

TEST_F(ContainerTest, BackgroundRectFillsLikeFillRectOrDrawsThePicture)
{
    Canvas canvas(12, 12);
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    Panel panel(CRect(0, 0, 12, 12), nullptr);
    panel.setBackgroundColor(kRedCColor);
    panel.drawBackgroundRect(&context, CRect(2, 2, 6, 6));
    Image expected(12, 12, pixel(255, 255, 255));
    paint(expected, CRect(3, 3, 6, 6), kRedCColor); // fillRect keeps the top row and left column
    EXPECT_TRUE(sameImage(canvas.image(), expected, "background-colour"));

    panel.setTransparency(true); // transparent without a picture: nothing
    panel.setBackgroundColor(kBlueCColor);
    panel.drawBackgroundRect(&context, CRect(0, 0, 12, 12));
    EXPECT_TRUE(sameImage(canvas.image(), expected, "background-transparent"));

    // The picture is clipped to the rectangle and the clip is restored afterwards.
    auto* picture = new SolidBitmap(12, 12, 0x00FF00);
    panel.setBackground(picture);
    picture->forget();
    panel.setTransparency(false);
    panel.drawBackgroundRect(&context, CRect(8, 8, 10, 11));
    paint(expected, CRect(8, 8, 10, 11), kGreenCColor);
    EXPECT_TRUE(sameImage(canvas.image(), expected, "background-picture"));
    CRect clip;
    EXPECT_EQ(context.getClipRect(clip), CRect(0, 0, 1000, 1000));
    panel.drawBackgroundRect(nullptr, CRect(0, 0, 1, 1));
}

TEST_F(ContainerTest, DirtyMeansMarkedOrAVisibleDirtyChild)
{
    auto* panel = add(frame, new Panel(CRect(0, 0, 20, 20), frame));
    auto* inside = add(panel, new Patch("in", CRect(5, 5, 10, 10)));
    auto* outside = add(panel, new Patch("out", CRect(25, 5, 30, 10)));
    auto* edge = add(panel, new Patch("edge", CRect(20, 0, 25, 20))); // touches, zero width
    panel->setDirty(false);
    inside->setDirty(false);
    EXPECT_FALSE(panel->isDirty()); // only invisible children are dirty
    EXPECT_TRUE(outside->isDirty());
    EXPECT_TRUE(edge->isDirty());
    inside->setDirty(true);
    EXPECT_TRUE(panel->isDirty());
    inside->setDirty(false);
    panel->setDirty(true);
    EXPECT_TRUE(panel->isDirty());
}

// ---- Update and redraw -----------------------------------------------------------------------

TEST_F(ContainerTest, UpdateInEachMode)
{
    struct Case
    {
        int32_t mode;
        Journal drawn;
    };
    for (const Case& c : {Case{kNormalUpdate, {"a.draw", "b.draw"}},
                          Case{kOnlyDirtyUpdate, {"b.draw"}}, Case{7, {}}})
    {
        auto* panel = add(frame, new Panel(CRect(0, 0, 30, 30), frame));
        auto* a = add(panel, new Patch("a", CRect(0, 0, 10, 10)));
        auto* b = add(panel, new Patch("b", CRect(10, 10, 20, 20)));
        drawWhole(frame);
        panel->setMode(c.mode);
        EXPECT_EQ(panel->getMode(), c.mode);
        b->setDirty(true);
        journal().clear();
        CDrawContext* context = frame->createDrawContext();
        panel->update(context);
        context->forget();
        EXPECT_EQ(journal(), c.drawn) << "mode " << c.mode;
        EXPECT_FALSE(a->isDirty());
        EXPECT_EQ(b->isDirty(), c.mode == 7);
        frame->removeAll();
    }
}

// In the only-dirty mode a marked container redraws itself whole, and a dirty child container
// is asked to update itself.
TEST_F(ContainerTest, OnlyDirtyUpdateRedrawsMarkedContainersWholeAndDescends)
{
    auto* outer = add(frame, new Panel(CRect(0, 0, 40, 40), frame));
    add(outer, new Patch("a", CRect(0, 0, 10, 10)));
    auto* inner = add(outer, new Panel(CRect(10, 10, 40, 40), frame));
    add(inner, new Patch("b", CRect(0, 0, 10, 10)));
    auto* c = add(inner, new Patch("c", CRect(10, 10, 20, 20)));
    drawWhole(frame);
    CDrawContext* context = frame->createDrawContext();

    c->setDirty(true);
    journal().clear();
    outer->update(context);
    EXPECT_EQ(journal(), (Journal{"c.draw"}));

    outer->setDirty(true);
    journal().clear();
    outer->update(context);
    EXPECT_EQ(journal(), (Journal{"a.draw", "b.draw", "c.draw"}));
    EXPECT_FALSE(outer->isDirty());
    context->forget();
}

// A dirty view's update redraws it through its container into the frame's window.
TEST_F(ContainerTest, ChildUpdateRedrawsThroughTheContainer)
{
    auto* panel = add(frame, new Panel(CRect(10, 10, 40, 40), frame));
    auto* p = add(panel, new Patch("p", CRect(5, 5, 15, 15), kRedCColor));
    drawWhole(frame);
    p->setColour(kGreenCColor);
    CDrawContext* context = frame->createDrawContext();
    p->update(context);
    context->forget();
    EXPECT_FALSE(p->isDirty());
    const Image image = surfaceOf(frame);
    EXPECT_EQ(image.at(15, 15), rgbOf(kGreenCColor));
    EXPECT_EQ(image.at(24, 24), rgbOf(kGreenCColor));
    EXPECT_EQ(image.at(25, 25), rgbOf(kBlackCColor));
}

// Two levels down, the inner container draws in its parent's coordinates: the context is shifted
// by where the parent lies in the frame.
TEST_F(ContainerTest, RedrawTwoLevelsDownLandsAtTheRightPlace)
{
    auto* outer = add(frame, new Panel(CRect(10, 10, 50, 45), frame));
    auto* inner = add(outer, new Panel(CRect(5, 5, 35, 30), frame));
    auto* p = add(inner, new Patch("p", CRect(3, 4, 8, 9), kRedCColor));
    outer->setBackgroundColor(kBlueCColor);
    inner->setBackgroundColor(kBlueCColor);
    drawWhole(frame);
    p->setColour(kGreenCColor);
    CDrawContext* context = frame->createDrawContext();
    p->update(context);
    EXPECT_EQ(context->offset, CPoint(0, 0));
    context->forget();
    Image expected(60, 50, 0);
    paint(expected, CRect(11, 11, 50, 45), kBlueCColor);
    paint(expected, CRect(15, 15, 45, 40), kBlackCColor); // the inner buffer's first row/column
    paint(expected, CRect(16, 16, 45, 40), kBlueCColor);
    paint(expected, CRect(18, 19, 23, 24), kGreenCColor);
    EXPECT_TRUE(sameImage(surfaceOf(frame), expected, "redraw-two-levels"));
}

// What shows through a transparent container belongs to its parent, so the parent redraws.
TEST_F(ContainerTest, TransparentContainerPassesRedrawRequestsUp)
{
    add(frame, new Patch("under", CRect(0, 0, 60, 50), kRedCColor));
    auto* glass = add(frame, new Panel(CRect(10, 10, 40, 40), frame));
    add(glass, new Patch("p", CRect(5, 5, 15, 15), kGreenCColor));
    drawWhole(frame);
    CDrawContext* context = frame->createDrawContext();
    journal().clear();
    glass->redrawRect(context, CRect(0, 0, 5, 5));
    EXPECT_EQ(journal(), Journal{}); // opaque: only the panel's own children, none touched
    glass->setTransparency(true);
    glass->redrawRect(context, CRect(0, 0, 5, 5));
    EXPECT_EQ(journal(), (Journal{"under.draw"})); // the frame redrew (10, 10, 15, 15)
    context->forget();
}

// ---- Hit testing and routing -----------------------------------------------------------------

TEST_F(ContainerTest, OverlappingChildrenTheLaterOneGetsTheClickAndIsOnTop)
{
    add(frame, new Patch("first", CRect(0, 0, 30, 30), kRedCColor));
    add(frame, new Patch("second", CRect(20, 20, 50, 50), kGreenCColor));
    frame->mouse(nullptr, CPoint(25, 25), kLButton);
    EXPECT_EQ(journal().back(), "second.mouse 25,25 1");
    drawWhole(frame);
    EXPECT_EQ(surfaceOf(frame).at(25, 25), rgbOf(kGreenCColor));
    EXPECT_EQ(frame->getViewAt(CPoint(25, 25)), frame->getView(1));
}

TEST_F(ContainerTest, MouseGoesToTheTopmostEnabledHitInLocalCoordinates)
{
    auto* panel = add(frame, new Panel(CRect(10, 10, 50, 50), frame));
    add(panel, new Patch("low", CRect(0, 0, 20, 20)));
    auto* high = add(panel, new Patch("high", CRect(0, 0, 20, 20)));
    journal().clear();
    frame->mouse(nullptr, CPoint(30, 30), kRButton); // (20, 20): both right edges, inclusive
    high->setMouseEnabled(false);
    frame->mouse(nullptr, CPoint(15, 15), kLButton);
    frame->mouse(nullptr, CPoint(31, 15), kLButton); // past both: nobody
    EXPECT_EQ(journal(), (Journal{"high.mouse 20,20 4", "low.mouse 5,5 1"}));
}

SHORT leftAndShiftDown(int key)
{
    return key == VK_LBUTTON || key == VK_SHIFT ? SHORT(0x8000) : SHORT(0);
}

TEST_F(ContainerTest, UnknownButtonsAreAskedOfTheContextWhenThereIsOne)
{
    add(frame, new Patch("p", CRect(0, 0, 20, 20)));
    journal().clear();
    qev::platform::setInputReaders(leftAndShiftDown, nullptr);
    Canvas canvas(4, 4);
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    frame->CViewContainer::mouse(&context, CPoint(1, 1), -1);
    frame->CViewContainer::mouse(nullptr, CPoint(2, 2), -1);
    qev::platform::setInputReaders(nullptr, nullptr);
    EXPECT_EQ(journal(), (Journal{"p.mouse 1,1 9", "p.mouse 2,2 -1"}));
}

TEST_F(ContainerTest, KeysGoLastToFirstUntilOneIsUsed)
{
    auto* a = add(frame, new Patch("a", CRect()));
    auto* b = add(frame, new Patch("b", CRect()));
    auto* c = add(frame, new Patch("c", CRect()));
    a->keyAnswer = 'x';
    b->keyAnswer = 'x';
    (void)c;
    journal().clear();
    VstKeyCode x = key('x');
    VstKeyCode y = key('y');
    EXPECT_EQ(frame->CViewContainer::onKeyDown(x), 1);
    EXPECT_EQ(journal(), (Journal{"c.keyDown", "b.keyDown"}));
    journal().clear();
    EXPECT_EQ(frame->CViewContainer::onKeyDown(y), -1);
    EXPECT_EQ(frame->CViewContainer::onKeyUp(y), -1);
    EXPECT_EQ(journal(),
              (Journal{"c.keyDown", "b.keyDown", "a.keyDown", "c.keyUp", "b.keyUp", "a.keyUp"}));
}

TEST_F(ContainerTest, WheelGoesToTheViewUnderThePointInLocalCoordinates)
{
    auto* panel = add(frame, new Panel(CRect(10, 10, 50, 50), frame));
    add(panel, new Patch("p", CRect(0, 0, 20, 20)));
    journal().clear();
    Canvas canvas(4, 4);
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    EXPECT_TRUE(panel->onWheel(&context, CPoint(15, 16), 1.0f));
    EXPECT_EQ(context.offset, CPoint(0, 0));
    EXPECT_FALSE(panel->onWheel(&context, CPoint(45, 45), 1.0f)); // nothing there
    EXPECT_EQ(journal(), (Journal{"p.wheel 5,6 1.000000"}));

    Panel orphan(CRect(0, 0, 20, 20), nullptr); // no frame: no view is found
    add(&orphan, new Patch("q", CRect(0, 0, 20, 20)));
    EXPECT_FALSE(orphan.onWheel(&context, CPoint(5, 5), kMouseWheelAxisY, 1.0f));
}

TEST_F(ContainerTest, DragsFollowTheViewUnderThePoint)
{
    auto* a = add(frame, new Patch("a", CRect(0, 0, 10, 10)));
    auto* b = add(frame, new Patch("b", CRect(20, 0, 30, 10)));
    b->acceptsDrop = true;
    journal().clear();
    frame->onDragEnter(nullptr, nullptr, CPoint(5, 5));
    EXPECT_EQ(frame->getCurrentDragView(), a);
    frame->onDragMove(nullptr, nullptr, CPoint(6, 5));
    frame->onDragMove(nullptr, nullptr, CPoint(25, 5));
    frame->onDragMove(nullptr, nullptr, CPoint(15, 5)); // between the two
    EXPECT_EQ(frame->getCurrentDragView(), nullptr);
    frame->onDragEnter(nullptr, nullptr, CPoint(5, 5));
    EXPECT_TRUE(frame->onDrop(nullptr, nullptr, CPoint(22, 3)));
    EXPECT_EQ(frame->getCurrentDragView(), nullptr);
    frame->onDragEnter(nullptr, nullptr, CPoint(5, 5));
    frame->onDragLeave(nullptr, nullptr, CPoint(5, 5));
    EXPECT_FALSE(frame->onDrop(nullptr, nullptr, CPoint(15, 5)));
    EXPECT_EQ(journal(), (Journal{"a.enter", "a.move", "a.leave", "b.enter", "b.leave", "a.enter",
                                  "a.leave", "b.drop 22,3", "b.leave", "a.enter", "a.leave"}));
}

TEST_F(ContainerTest, RemovingTheDragViewForgetsIt)
{
    auto* a = add(frame, new Patch("a", CRect(0, 0, 10, 10)));
    frame->onDragEnter(nullptr, nullptr, CPoint(5, 5));
    frame->removeView(a);
    EXPECT_EQ(frame->getCurrentDragView(), nullptr);
    frame->onDragLeave(nullptr, nullptr, CPoint(5, 5)); // nobody left to tell
}

TEST_F(ContainerTest, WithoutAFrameNothingIsFoundAndDragsAreIgnored)
{
    Panel orphan(CRect(0, 0, 20, 20), nullptr);
    add(&orphan, new Patch("p", CRect(0, 0, 20, 20)));
    EXPECT_EQ(orphan.getViewAt(CPoint(5, 5)), nullptr);
    EXPECT_EQ(orphan.getCurrentView(), nullptr);
    orphan.onDragEnter(nullptr, nullptr, CPoint(5, 5));
    orphan.onDragMove(nullptr, nullptr, CPoint(5, 5));
    orphan.onDragLeave(nullptr, nullptr, CPoint(5, 5));
    EXPECT_FALSE(orphan.onDrop(nullptr, nullptr, CPoint(5, 5)));
    EXPECT_EQ(journal(), (Journal{"p.attached"}));
}

TEST_F(ContainerTest, ViewAtLooksIntoContainersOnlyWhenDeep)
{
    auto* panel = add(frame, new Panel(CRect(10, 10, 50, 50), frame));
    auto* p = add(panel, new Patch("p", CRect(0, 0, 10, 10)));
    EXPECT_EQ(frame->getViewAt(CPoint(12, 12), false), panel);
    EXPECT_EQ(frame->getViewAt(CPoint(12, 12), true), p);
    EXPECT_EQ(frame->getViewAt(CPoint(20, 20), true), p); // inclusive edge
    EXPECT_EQ(frame->getViewAt(CPoint(30, 30), true), nullptr);
    EXPECT_EQ(frame->getViewAt(CPoint(55, 5), false), nullptr);
}

POINT fakeCursor{};
BOOL readFakeCursor(LPPOINT point)
{
    *point = fakeCursor;
    return TRUE;
}

TEST_F(ContainerTest, CurrentViewAndMouseLocationUseTheCursorInLocalCoordinates)
{
    auto* panel = add(frame, new Panel(CRect(10, 10, 50, 50), frame));
    auto* p = add(panel, new Patch("p", CRect(0, 0, 10, 10)));
    qev::platform::setInputReaders(nullptr, readFakeCursor);
    fakeCursor = POINT{15, 17};
    EXPECT_EQ(panel->getCurrentView(), p);
    EXPECT_EQ(frame->getCurrentView(), panel);
    CDrawContext* context = frame->createDrawContext();
    CPoint where;
    p->getMouseLocation(context, where);
    EXPECT_EQ(where, CPoint(5, 7));
    EXPECT_EQ(context->offset, CPoint(0, 0));
    EXPECT_EQ(context->offsetScreen, CPoint(0, 0));
    fakeCursor = POINT{45, 45};
    EXPECT_EQ(panel->getCurrentView(), nullptr);
    context->forget();
    qev::platform::setInputReaders(nullptr, nullptr);
}

TEST_F(ContainerTest, FocusAndTakeFocusReachEveryChildInOrder)
{
    add(frame, new Patch("a", CRect()));
    add(frame, new Patch("b", CRect()));
    frame->takeFocus();
    frame->looseFocus();
    EXPECT_EQ(journal(), (Journal{"a.attached", "b.attached", "a.takeFocus", "b.takeFocus",
                                  "a.looseFocus", "b.looseFocus"}));
}

// ---- Destruction -----------------------------------------------------------------------------

// Views, bitmaps and contexts made along the way are all gone with the frame.
TEST_F(ContainerTest, EverythingBalancesAfterTheFrameIsDestroyed)
{
    auto* picture = new SolidBitmap(60, 50, 0x123456);
    frame->setBackground(picture);
    auto* panel = add(frame, new Panel(CRect(10, 10, 50, 50), frame, picture));
    add(panel, new Dial(CRect(0, 0, 10, 10), nullptr, 1, picture));
    add(panel, new Patch("p", CRect(10, 10, 20, 20)));
    picture->forget();
    EXPECT_EQ(picture->getReferenceCount(), 3);
    drawWhole(frame);
    frame->idle();
    EXPECT_EQ(Census::views(), 3);
    frame->forget();
    frame = nullptr;
    EXPECT_EQ(Census::views(), 0);
    EXPECT_EQ(Census::bitmaps(), 0);
    EXPECT_EQ(qev::platform::gdiCounts().alive, gdiAlive);
}

} // namespace
} // namespace toolkit
