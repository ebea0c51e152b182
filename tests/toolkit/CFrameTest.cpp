#include "toolkit/CFrame.h"
#include "tests/toolkit/ViewTestKit.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/DrawingFacilities.h"

#include <gtest/gtest.h>

namespace toolkit
{
namespace
{

using namespace testkit;
using qev::test::Image;

using Journal = std::vector<std::string>;

constexpr unsigned char kTab = 2;
constexpr unsigned char kShiftBit = 1;

// A control that wants the focus, as text fields and menus do.
class Focusable : public Patch
{
public:
    Focusable(const std::string& name, const CRect& size) : Patch(name, size)
    {
        setWantsFocus(true);
    }
};

class FrameTest : public FrameTreeTest
{
protected:
    int32_t press(unsigned char virt, unsigned char modifier = 0, int32_t character = 0)
    {
        VstKeyCode code = key(character, virt, modifier);
        return frame->onKeyDown(code);
    }
};

// ---- Construction and the editor -------------------------------------------------------------

TEST_F(FrameTest, WithoutHostWindowThereIsNoWindowAndNoDropTarget)
{
    EXPECT_EQ(frame->getWindow(), nullptr);
    EXPECT_EQ(frame->getSystemWindow(), nullptr);
    EXPECT_EQ(frame->getFrame(), frame); // its own parent frame
    EXPECT_EQ(frame->getParentView(), nullptr);
    EXPECT_TRUE(frame->isOpen());
    EXPECT_TRUE(frame->getOpenFlag());
    EXPECT_FALSE(frame->isDropActive());
    EXPECT_FALSE(frame->setDropActive(true));
    EXPECT_TRUE(frame->setDropActive(false)); // already off
    EXPECT_FALSE(frame->isDropActive());
    EXPECT_FALSE(frame->open());
    EXPECT_FALSE(frame->close());
    EXPECT_FALSE(frame->setPosition(10, 10));
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_FALSE(frame->updatesDisabled());
    EXPECT_EQ(frame->getEditor(), &editor);
}

// How many loads of the drawing library are outstanding, counted by giving them all back and
// taking them again.
int outstandingLoads(HMODULE library)
{
    int loads = 0;
    while (FreeLibrary(library))
        ++loads;
    for (int i = 0; i < loads; ++i)
        LoadLibraryA("msimg32.dll");
    return loads;
}

// Every frame loads the drawing library and gives its own load back, whatever the order.
TEST_F(FrameTest, EachFrameHoldsTheDrawingLibraryUntilItGoes)
{
    HMODULE library = drawingFacilities().library;
    ASSERT_NE(library, nullptr);
    const int withOneFrame = outstandingLoads(library);
    auto* second = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
    EXPECT_EQ(outstandingLoads(library), withOneFrame + 1);
    frame->forget();
    frame = nullptr;
    EXPECT_EQ(outstandingLoads(library), withOneFrame);
    second->forget();
    EXPECT_EQ(outstandingLoads(library), withOneFrame - 1);
}

TEST_F(FrameTest, EditorRequestsArePassedOnAndAnsweredWithoutAnEditor)
{
    EXPECT_EQ(frame->getTicks(), 4242u);
    EXPECT_EQ(frame->getKnobMode(), 2);
    EXPECT_TRUE(frame->beginEdit(5));
    EXPECT_TRUE(frame->endEdit(5));
    frame->doIdleStuff();
    EXPECT_EQ(journal(), (Journal{"editor.beginEdit 5", "editor.endEdit 5", "editor.doIdleStuff"}));

    auto* bare = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
    EXPECT_EQ(bare->getEditor(), nullptr);
    EXPECT_EQ(bare->getTicks(), 0u);
    EXPECT_EQ(bare->getKnobMode(), 0);
    EXPECT_FALSE(bare->beginEdit(1));
    EXPECT_FALSE(bare->endEdit(1));
    bare->doIdleStuff();
    bare->forget();
    EXPECT_EQ(journal().size(), 3u);
}

// Contexts made for the frame start clipped to its size, and offscreen ones are made against
// its (missing) window.
TEST_F(FrameTest, ContextsForTheFrameStartClippedToItsSize)
{
    CDrawContext* context = frame->createDrawContext();
    CRect clip;
    EXPECT_EQ(context->getClipRect(clip), CRect(0, 0, 60, 50));
    EXPECT_EQ(context->getFrame(), frame);
    context->forget();
    COffscreenContext offscreen(frame, 8, 6);
    EXPECT_EQ(offscreen.getClipRect(clip), CRect(0, 0, 8, 6));
    EXPECT_NE(offscreen.getBitmap(), nullptr);
}

// ---- Idle and update -------------------------------------------------------------------------

TEST_F(FrameTest, IdleBeforeTheFirstDrawDrawsNothing)
{
    add(frame, new Patch("p", CRect(0, 0, 10, 10), kRedCColor));
    ASSERT_TRUE(frame->isDirty());
    journal().clear();
    frame->idle();
    EXPECT_EQ(journal(), Journal{});
    EXPECT_EQ(surfaceOf(frame).at(5, 5), rgbOf(kBlackCColor));
    drawWhole(frame);
    EXPECT_EQ(surfaceOf(frame).at(5, 5), rgbOf(kRedCColor));
}

// Idle redraws only what is dirty, and nothing at all while closed or with nothing dirty.
TEST_F(FrameTest, IdleRedrawsDirtyViewsOnlyWhileOpen)
{
    auto* a = add(frame, new Patch("a", CRect(0, 0, 10, 10)));
    add(frame, new Patch("b", CRect(20, 0, 30, 10)));
    drawWhole(frame);
    journal().clear();
    frame->idle();
    EXPECT_EQ(journal(), Journal{});

    a->setColour(kGreenCColor);
    frame->setOpenFlag(false);
    frame->idle();
    EXPECT_EQ(journal(), Journal{});
    frame->setOpenFlag(true);
    frame->idle();
    EXPECT_EQ(journal(), (Journal{"a.draw"}));
    EXPECT_EQ(surfaceOf(frame).at(5, 5), rgbOf(kGreenCColor));
}

// Whoever changes a control's value, the next idle redraws it once.
TEST_F(FrameTest, AChangedControlIsRedrawnOnceAtIdle)
{
    auto* dial = add(frame, new Dial(CRect(0, 0, 10, 10), nullptr, 1));
    drawWhole(frame);
    journal().clear();
    dial->setValue(0.3f);
    frame->idle();
    frame->idle();
    dial->setValue(0.3f); // the value already shown
    frame->idle();
    EXPECT_EQ(journal(), (Journal{"dial.draw"}));
    EXPECT_FALSE(dial->isDirty());
}

TEST_F(FrameTest, UpdateDoesNothingWhileUpdatesAreDisabledOrClosed)
{
    auto* a = add(frame, new Patch("a", CRect(0, 0, 10, 10)));
    drawWhole(frame);
    a->setDirty(true);
    EXPECT_FALSE(frame->updatesDisabled(true));
    EXPECT_TRUE(frame->updatesDisabled());
    journal().clear();
    frame->idle();
    EXPECT_EQ(journal(), Journal{});
    EXPECT_TRUE(frame->updatesDisabled(false));
    frame->setOpenFlag(false);
    frame->update(nullptr);
    EXPECT_EQ(journal(), Journal{});
    frame->setOpenFlag(true);
    frame->update(nullptr); // a context of its own
    EXPECT_EQ(journal(), (Journal{"a.draw"}));
}

// A marked frame is drawn whole; a dirty modal view is brought up to date before the rest.
TEST_F(FrameTest, UpdateDrawsAMarkedFrameWholeAndTheModalViewFirst)
{
    auto* a = add(frame, new Patch("a", CRect(0, 0, 10, 10)));
    auto* b = add(frame, new Patch("b", CRect(20, 0, 30, 10)));
    auto* modal = new Patch("modal", CRect(35, 25, 45, 35));
    drawWhole(frame);
    frame->setBackgroundColor(kBlueCColor);
    journal().clear();
    frame->idle();
    EXPECT_EQ(journal(), (Journal{"a.draw", "b.draw"}));
    EXPECT_FALSE(frame->isDirty());
    EXPECT_EQ(surfaceOf(frame).at(40, 40), rgbOf(kBlueCColor));

    ASSERT_TRUE(frame->setModalView(modal));
    b->setDirty(true);
    journal().clear();
    frame->idle();
    EXPECT_EQ(journal(), (Journal{"modal.draw", "b.draw"}));
    (void)a;
    frame->setModalView(nullptr);
    modal->forget();
}

// Paints far beyond its own rectangle whenever it is updated.
class Sprawl : public Patch
{
public:
    using Patch::Patch;
    void update(CDrawContext* context) override
    {
        context->setFillColor(colour);
        context->drawRect(CRect(0, 0, 60, 50), kDrawFilled);
    }
};

// The frame clips each child's update to the child and restores the clip afterwards.
TEST_F(FrameTest, UpdateClipsEveryChildToItself)
{
    auto* sprawl = add(frame, new Sprawl("s", CRect(10, 10, 20, 20), kRedCColor));
    drawWhole(frame);
    sprawl->colour = kGreenCColor;
    CDrawContext* context = frame->createDrawContext();
    context->setClipRect(CRect(0, 0, 15, 50));
    frame->update(context);
    CRect clip;
    EXPECT_EQ(context->getClipRect(clip), CRect(0, 0, 15, 50));
    context->forget();
    Image expected(60, 50, 0);
    paint(expected, CRect(10, 10, 20, 20), kRedCColor);   // the first draw
    paint(expected, CRect(10, 10, 15, 20), kGreenCColor); // the update, inside both clips
    EXPECT_TRUE(qev::test::sameImage(surfaceOf(frame), expected, "update-clip"));
}

TEST_F(FrameTest, DrawRectWithoutContextMakesOneAndAnEmptyRectangleDrawsNothing)
{
    add(frame, new Patch("a", CRect(0, 0, 10, 10), kRedCColor));
    frame->drawRect(nullptr, CRect(0, 0, 0, 10));
    EXPECT_EQ(journal(), (Journal{"a.attached"}));
    frame->drawRect(nullptr, CRect(0, 0, 5, 5));
    EXPECT_EQ(journal().back(), "a.draw");
    const Image image = surfaceOf(frame);
    EXPECT_EQ(image.at(4, 4), rgbOf(kRedCColor));
    EXPECT_EQ(image.at(6, 6), rgbOf(kBlackCColor)); // outside the update rectangle
}

TEST_F(FrameTest, DrawViewDrawsADirectChildOrElseTheWholeFrame)
{
    auto* panel = add(frame, new Panel(CRect(30, 0, 60, 50), frame));
    auto* a = add(frame, new Patch("a", CRect(0, 0, 10, 10), kRedCColor));
    auto* deep = add(panel, new Patch("deep", CRect(0, 0, 10, 10)));
    journal().clear();
    frame->draw(a);
    EXPECT_EQ(journal(), (Journal{"a.draw"}));
    EXPECT_EQ(surfaceOf(frame).at(5, 5), rgbOf(kRedCColor));
    journal().clear();
    frame->draw(deep); // not a direct child: the whole frame
    EXPECT_EQ(journal(), (Journal{"deep.draw", "a.draw"}));
    journal().clear();
    frame->draw(static_cast<CView*>(nullptr));
    EXPECT_EQ(journal(), (Journal{"deep.draw", "a.draw"}));
}

// A view without a context of its own is drawn by the frame at once.
TEST_F(FrameTest, ViewUpdateWithoutContextIsDrawnByTheFrame)
{
    auto* a = add(frame, new Patch("a", CRect(0, 0, 10, 10), kRedCColor));
    a->update(nullptr);
    EXPECT_FALSE(a->isDirty());
    EXPECT_EQ(surfaceOf(frame).at(5, 5), rgbOf(kRedCColor));
}

TEST_F(FrameTest, InvalidateMarksDirectChildrenItTouches)
{
    auto* a = add(frame, new Patch("a", CRect(0, 0, 10, 10)));
    auto* b = add(frame, new Patch("b", CRect(20, 20, 30, 30)));
    auto* panel = add(frame, new Panel(CRect(40, 0, 60, 50), frame));
    auto* deep = add(panel, new Patch("deep", CRect(0, 0, 5, 5)));
    drawWhole(frame);
    ASSERT_FALSE(frame->isDirty());
    frame->invalidate(CRect(10, 10, 15, 15)); // only a's corner
    EXPECT_TRUE(a->isDirty());
    EXPECT_FALSE(b->isDirty());
    EXPECT_FALSE(panel->CView::isDirty());
    frame->invalidate(CRect(45, 2, 46, 3));
    EXPECT_TRUE(panel->CView::isDirty());
    EXPECT_FALSE(deep->isDirty()); // direct children only
}

// ---- Mouse, keys and wheel -------------------------------------------------------------------

// The focus is always cleared before the click is routed; a control that starts a gesture
// takes it back.
TEST_F(FrameTest, ClickClearsTheFocusFirstAndBeginEditTakesItBack)
{
    auto* text = add(frame, new Focusable("text", CRect(0, 0, 10, 10)));
    auto* dial = add(frame, new Dial(CRect(20, 0, 30, 10), nullptr, 6));
    frame->setFocusView(text);
    journal().clear();
    frame->mouse(nullptr, CPoint(25, 5), kLButton);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(journal(), (Journal{"text.looseFocus"}));
    frame->mouse(nullptr, CPoint(25, 5), kLButton | kControl);
    EXPECT_EQ(frame->getFocusView(), dial);
    EXPECT_EQ(journal().back(), "editor.endEdit 6");
}

TEST_F(FrameTest, ModalViewTakesOnlyTheClicksInsideIt)
{
    add(frame, new Patch("under", CRect(0, 0, 60, 50)));
    auto* modal = new Patch("modal", CRect(10, 10, 20, 20));
    ASSERT_TRUE(frame->setModalView(modal));
    journal().clear();
    frame->mouse(nullptr, CPoint(40, 40), kLButton); // outside: dropped
    frame->mouse(nullptr, CPoint(20, 20), kLButton); // inclusive edge
    EXPECT_EQ(journal(), (Journal{"modal.mouse 20,20 1"}));
    EXPECT_EQ(frame->getCurrentView(), modal);
    frame->setModalView(nullptr);
    modal->forget();
}

TEST_F(FrameTest, KeysGoToTheFocusViewThenTheModalView)
{
    auto* text = add(frame, new Focusable("text", CRect(0, 0, 10, 10)));
    auto* other = add(frame, new Patch("other", CRect(20, 0, 30, 10)));
    other->keyAnswer = 'z';
    auto* modal = new Patch("modal", CRect(10, 10, 20, 20));
    modal->keyAnswer = 'm';
    journal().clear();
    EXPECT_EQ(press(0, 0, 'z'), -1); // no focus and no modal view: children are not asked
    frame->setFocusView(text);
    frame->setModalView(modal);
    journal().clear();
    EXPECT_EQ(press(0, 0, 'm'), 1);
    VstKeyCode up = key('m');
    EXPECT_EQ(frame->onKeyUp(up), -1);
    EXPECT_EQ(journal(), (Journal{"text.keyDown", "modal.keyDown", "text.keyUp", "modal.keyUp"}));
    frame->setModalView(nullptr);
    modal->forget();
}

TEST_F(FrameTest, WheelGoesToTheModalViewOrTheViewUnderThePoint)
{
    add(frame, new Patch("p", CRect(0, 0, 10, 10)));
    journal().clear();
    EXPECT_TRUE(frame->onWheel(nullptr, CPoint(3, 3), 1.0f));
    EXPECT_FALSE(frame->onWheel(nullptr, CPoint(30, 30), 1.0f));
    auto* modal = new Patch("modal", CRect(40, 40, 50, 50));
    frame->setModalView(modal);
    journal().pop_back(); // modal.attached
    EXPECT_TRUE(frame->onWheel(nullptr, CPoint(3, 3), kMouseWheelAxisX, 0.5f));
    EXPECT_EQ(journal(), (Journal{"p.wheel 3,3 1.000000", "modal.wheel 3,3 0.500000"}));
    frame->setModalView(nullptr);
    modal->forget();
}

POINT fakeCursor{};
BOOL readFakeCursor(LPPOINT point)
{
    *point = fakeCursor;
    return TRUE;
}

TEST_F(FrameTest, CurrentLocationIsThePlainCursorWithoutAWindow)
{
    qev::platform::setInputReaders(nullptr, readFakeCursor);
    fakeCursor = POINT{123, -4};
    CPoint where;
    EXPECT_TRUE(frame->getCurrentLocation(where));
    qev::platform::setInputReaders(nullptr, nullptr);
    EXPECT_EQ(where, CPoint(123, -4));
}

// ---- Focus -----------------------------------------------------------------------------------

TEST_F(FrameTest, SetFocusViewMarksViewsThatWantTheFocusAndTellsTheOldOne)
{
    auto* text = add(frame, new Focusable("text", CRect(0, 0, 10, 10)));
    auto* plain = add(frame, new Patch("plain", CRect(20, 0, 30, 10)));
    drawWhole(frame);
    frame->setFocusView(text);
    EXPECT_TRUE(text->isDirty());
    drawWhole(frame);
    journal().clear();
    frame->setFocusView(plain);
    EXPECT_FALSE(plain->isDirty());
    EXPECT_TRUE(text->isDirty());
    EXPECT_EQ(journal(), (Journal{"text.looseFocus"})); // takeFocus is never called
    EXPECT_EQ(frame->getFocusView(), plain);
}

TEST_F(FrameTest, FocusOnViewsOutsideTheFrameIsRefused)
{
    auto* text = add(frame, new Focusable("text", CRect(0, 0, 10, 10)));
    frame->setFocusView(text);
    Focusable stranger("stranger", CRect(0, 0, 10, 10));
    frame->setFocusView(&stranger);
    frame->setFocusView(frame);
    EXPECT_EQ(frame->getFocusView(), text);
}

// Removing the focus view, or a container holding it, clears the focus before the view goes.
TEST_F(FrameTest, RemovingTheFocusViewClearsTheFocus)
{
    auto* text = add(frame, new Focusable("text", CRect(0, 0, 10, 10)));
    frame->setFocusView(text);
    journal().clear();
    frame->removeView(text);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(journal(), (Journal{"text.looseFocus", "text.removed"}));

    auto* panel = add(frame, new Panel(CRect(0, 0, 30, 30), frame));
    auto* inner = add(panel, new Focusable("inner", CRect(0, 0, 10, 10)));
    frame->setFocusView(inner);
    frame->removeView(panel);
    EXPECT_EQ(frame->getFocusView(), nullptr);
}

// a, b and d want the focus; c does not.
class TabTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        a = add(frame, new Focusable("a", CRect(0, 0, 10, 10)));
        b = add(frame, new Focusable("b", CRect(10, 0, 20, 10)));
        add(frame, new Patch("c", CRect(20, 0, 30, 10)));
        d = add(frame, new Focusable("d", CRect(30, 0, 40, 10)));
    }
    CView* a = nullptr;
    CView* b = nullptr;
    CView* d = nullptr;
};

TEST_F(TabTest, TabMovesForwardSkippingViewsThatDoNotWantTheFocus)
{
    EXPECT_EQ(press(kTab), 1);
    EXPECT_EQ(frame->getFocusView(), a);
    EXPECT_EQ(press(kTab), 1);
    EXPECT_EQ(frame->getFocusView(), b);
    EXPECT_EQ(press(kTab), 1);
    EXPECT_EQ(frame->getFocusView(), d);
}

TEST_F(TabTest, ShiftTabOnTheLastMovesBackwards)
{
    frame->setFocusView(d);
    EXPECT_EQ(press(kTab, kShiftBit), 1);
    EXPECT_EQ(frame->getFocusView(), b);
    EXPECT_EQ(press(kTab, kShiftBit), 1);
    EXPECT_EQ(frame->getFocusView(), a);
}

TEST_F(TabTest, TabPastTheLastClearsTheFocus)
{
    frame->setFocusView(d);
    EXPECT_EQ(press(kTab), -1);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(press(kTab), 1); // and starts again from the first
    EXPECT_EQ(frame->getFocusView(), a);
}

TEST_F(TabTest, ModalViewStopsTabTraversal)
{
    auto* modal = new Patch("modal", CRect(0, 0, 5, 5));
    frame->setFocusView(a);
    frame->setModalView(modal);
    EXPECT_EQ(press(kTab), -1);
    EXPECT_FALSE(frame->advanceNextFocusView(nullptr));
    EXPECT_EQ(frame->getFocusView(), a);
    frame->setModalView(nullptr);
    modal->forget();
}

TEST_F(TabTest, OtherKeysDoNotMoveTheFocus)
{
    EXPECT_EQ(press(3), -1);
    EXPECT_EQ(frame->getFocusView(), nullptr);
}

// The focus walks into containers, and out of them again from where it was.
TEST_F(FrameTest, FocusTraversalEntersAndLeavesNestedContainers)
{
    auto* first = add(frame, new Focusable("first", CRect(0, 0, 10, 10)));
    auto* panel = add(frame, new Panel(CRect(10, 0, 40, 10), frame));
    auto* in1 = add(panel, new Focusable("in1", CRect(0, 0, 10, 10)));
    auto* in2 = add(panel, new Focusable("in2", CRect(10, 0, 20, 10)));
    auto* last = add(frame, new Focusable("last", CRect(40, 0, 50, 10)));
    const std::vector<CView*> forward{first, in1, in2, last};
    for (CView* expected : forward)
    {
        EXPECT_EQ(press(kTab), 1);
        EXPECT_EQ(frame->getFocusView(), expected);
    }
    frame->setFocusView(in2);
    EXPECT_EQ(press(kTab, kShiftBit), 1);
    EXPECT_EQ(frame->getFocusView(), in1);
    EXPECT_EQ(press(kTab, kShiftBit), 1); // out of the panel, backwards
    EXPECT_EQ(frame->getFocusView(), first);
}

// ---- Modal view ------------------------------------------------------------------------------

TEST_F(FrameTest, OnlyOneModalViewAndRemovingItDoesNotDestroyIt)
{
    auto* a = new Patch("a", CRect(0, 0, 10, 10));
    auto* b = new Patch("b", CRect(0, 0, 10, 10));
    EXPECT_TRUE(frame->setModalView(a));
    EXPECT_TRUE(frame->isChild(a));
    EXPECT_EQ(a->getReferenceCount(), 2);
    EXPECT_FALSE(frame->setModalView(b));
    EXPECT_EQ(frame->getModalView(), a);
    EXPECT_FALSE(frame->isChild(b));
    EXPECT_TRUE(frame->setModalView(nullptr));
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_FALSE(frame->isChild(a));
    EXPECT_EQ(a->getReferenceCount(), 1); // alive, with its creator's reference
    EXPECT_TRUE(frame->setModalView(b));
    frame->removeView(b, false); // removed behind the frame's back: no longer modal
    EXPECT_EQ(frame->getModalView(), nullptr);
    auto* panel = add(frame, new Panel(CRect(0, 0, 30, 30), frame));
    panel->addView(a);
    EXPECT_FALSE(frame->setModalView(a)); // a view with a parent cannot be made modal
    panel->removeView(a, false);
    EXPECT_EQ(frame->getModalView(), nullptr);
    a->forget();
    b->forget();
}

// ---- Destruction -----------------------------------------------------------------------------

// The modal view goes first and is not forgotten; then every child, first to last, with both
// references; the focus view is told before it goes.
TEST_F(FrameTest, DestructionOrder)
{
    auto* modal = new Patch("modal", CRect(0, 0, 5, 5));
    add(frame, new Patch("a", CRect(0, 0, 10, 10)));
    auto* b = add(frame, new Focusable("b", CRect(10, 0, 20, 10)));
    frame->setModalView(modal);
    frame->setFocusView(b);
    drawWhole(frame);
    journal().clear();
    frame->forget();
    frame = nullptr;
    EXPECT_EQ(journal(), (Journal{"modal.removed", "a.removed", "b.looseFocus", "b.removed"}));
    EXPECT_EQ(modal->getReferenceCount(), 1);
    EXPECT_EQ(modal->getFrame(), nullptr);
    modal->forget();
}

} // namespace
} // namespace toolkit
