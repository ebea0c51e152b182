// The drop target and the drag container through their interfaces, with a data object made here,
// on a frame without a window. Runs on Linux and, cross-built, under Wine.
#include "toolkit/CDropTarget.h"

#include "tests/toolkit/DataObjectStub.h"
#include "toolkit/CDragContainer.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace toolkit
{
namespace
{

// Offers at most one format, and lends its own reference to the media it hands out, so that a
// medium not released shows as a reference left.
class TestData final : public testkit::DataObjectStub
{
public:
    explicit TestData(CLIPFORMAT offered) : offered(offered) {}

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        asked.push_back(format->cfFormat);
        if (format->cfFormat != offered || format->dwAspect != DVASPECT_CONTENT ||
            format->lindex != -1 || !(format->tymed & TYMED_HGLOBAL))
            return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = nullptr;
        medium->pUnkForRelease = this;
        AddRef();
        return S_OK;
    }

    CLIPFORMAT offered;
    std::vector<CLIPFORMAT> asked;
};

std::vector<std::string>& steps()
{
    static std::vector<std::string> entries;
    return entries;
}

// Covers any point the mouse may be at, and records the drags that reach it.
class DropView : public CView
{
public:
    DropView() : CView(CRect(-100000, -100000, 100000, 100000)) {}
    void onDragEnter(CDrawContext* c, CDragContainer* d, const CPoint& p) override
    {
        record("enter", c, d, p);
    }
    void onDragMove(CDrawContext* c, CDragContainer* d, const CPoint& p) override
    {
        record("move", c, d, p);
    }
    void onDragLeave(CDrawContext* c, CDragContainer* d, const CPoint& p) override
    {
        record("leave", c, d, p);
    }
    bool onDrop(CDrawContext* c, CDragContainer* d, const CPoint& p) override
    {
        record("drop", c, d, p);
        return true;
    }

private:
    void record(const char* step, CDrawContext* context, CDragContainer* drag, const CPoint& where)
    {
        POINT cursor{};
        GetCursorPos(&cursor);
        const bool atMouse = where.h == cursor.x && where.v == cursor.y;
        steps().push_back(std::string(step) + " " + std::to_string(drag->getCount()) +
                          (atMouse ? " at the mouse" : " elsewhere") +
                          (context ? "" : " without context"));
    }
};

class DropTargetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        steps().clear();
        frame = new CFrame(CRect(0, 0, 100, 80), nullptr, nullptr);
        frame->addView(new DropView);
        target = new CDropTarget(frame);
        target->AddRef();
    }
    void TearDown() override
    {
        EXPECT_EQ(dragInFlight(), nullptr);
        target->Release();
        frame->forget();
    }

    CFrame* frame = nullptr;
    CDropTarget* target = nullptr;
    POINTL ignored{-5, -5};
};

using Steps = std::vector<std::string>;

TEST_F(DropTargetTest, AnswersForItselfOnlyAndCountsItsReferences)
{
    void* object = nullptr;
    EXPECT_EQ(target->QueryInterface(IID_IDropTarget, &object), S_OK);
    EXPECT_EQ(object, static_cast<IDropTarget*>(target));
    EXPECT_EQ(target->QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(target->QueryInterface(IID_IDataObject, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(target->Release(), 2u);
    EXPECT_EQ(target->Release(), 1u);
    EXPECT_EQ(target->AddRef(), 2u);
    EXPECT_EQ(target->Release(), 1u);
}

TEST_F(DropTargetTest, ADragIsRoutedToTheViewUnderTheMouseUntilItLeaves)
{
    TestData text(CF_TEXT);
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragEnter(&text, 0, ignored, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    ASSERT_NE(dragInFlight(), nullptr);
    EXPECT_EQ(dragInFlight()->getPlatformDrag(), &text);
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragOver(0, ignored, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(dragInFlight(), nullptr);
    EXPECT_EQ(steps(),
              (Steps{"enter 1 at the mouse", "move 1 at the mouse", "leave 1 at the mouse"}));
    EXPECT_EQ(text.asked, std::vector<CLIPFORMAT>{CF_TEXT});
    EXPECT_EQ(text.references, 0) << "a reference or a medium was not given back";
}

TEST_F(DropTargetTest, ADropEndsTheDragAndLeavesTheEffectAlone)
{
    TestData files(CF_HDROP);
    DWORD effect = DROPEFFECT_NONE;
    target->DragEnter(&files, 0, ignored, &effect);
    effect = DROPEFFECT_LINK;
    EXPECT_EQ(target->Drop(&files, 0, ignored, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(dragInFlight(), nullptr);
    // Text is asked for first; the list offered here holds no file.
    EXPECT_EQ(files.asked, (std::vector<CLIPFORMAT>{CF_TEXT, CF_HDROP}));
    EXPECT_EQ(steps(),
              (Steps{"enter 0 at the mouse", "drop 0 at the mouse", "leave 0 at the mouse"}));
    EXPECT_EQ(files.references, 0);
}

TEST_F(DropTargetTest, WithoutDataFrameOrDragInFlightNothingIsRouted)
{
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragEnter(nullptr, 0, ignored, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragOver(0, ignored, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(target->Drop(nullptr, 0, ignored, &effect), S_OK);

    TestData text(CF_TEXT);
    target->forgetFrame(); // the frame went first
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragEnter(&text, 0, ignored, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_TRUE(steps().empty());
    EXPECT_EQ(text.references, 0);
}

TEST_F(DropTargetTest, TheContainerCountsTextAsOneItemAndNothingAsNone)
{
    TestData text(CF_TEXT);
    TestData other(CF_HDROP + 1);
    auto* withText = new CDragContainer(&text);
    auto* withNothing = new CDragContainer(&other);
    EXPECT_EQ(withText->getCount(), 1);
    EXPECT_EQ(withNothing->getCount(), 0);
    EXPECT_EQ(text.references, 1); // held while the container lives
    withText->forget();
    withNothing->forget();
    EXPECT_EQ(text.references, 0);
    EXPECT_EQ(other.references, 0);
}

} // namespace
} // namespace toolkit
