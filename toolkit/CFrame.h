#pragma once

#include "platform/Win32.h"
#include "toolkit/CViewContainer.h"

#include <cstdint>

namespace toolkit
{

class CFrameEditor;

// The root of the view tree. It holds the focus view and the modal view, redraws dirty views
// when the editor idles, and passes the controls' requests (gestures, idle work, ticks, knob
// mode) on to its editor. The frame is its own parent frame.
//
// A frame made without a host window has no window: it paints into a surface of its own size
// instead, which every context from createDrawContext draws on, so the same drawing paths run
// with or without a window system.
class CFrame : public CViewContainer
{
public:
    // The editor is not owned and may be null; so may the host window.
    CFrame(const CRect& size, void* systemWindow, CFrameEditor* editor);
    // Removes the modal view without forgetting it, then removes and forgets every child.
    ~CFrame() override;

    // Clears the first-draw state, then draws the whole tree.
    void draw(CDrawContext* context) override;
    // Redraws `updateRect` only; without a context the frame makes one for the call.
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    // Clears the focus view first, so that a control takes it back by calling beginEdit. With
    // a modal view only clicks inside it are passed on.
    void mouse(CDrawContext* context, const CPoint& where, int32_t buttons = -1) override;
    // To the focus view, then the modal view; an unused tab moves the focus (shift: backwards).
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;
    using CViewContainer::onWheel;
    // To the modal view, else to the view under `where`; false without one.
    bool onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance) override;
    CFrameEditor* getEditor() const override;
    bool isTypeOf(const char* className) const override;
    // Redraws what is dirty, each child clipped to itself. Nothing while closed or while
    // updates are disabled.
    void update(CDrawContext* context) override;
    // The modal view, else the child under the mouse.
    CView* getCurrentView() const override;
    // False while a modal view is up. From the focus view when `oldFocus` is null; moving past
    // the last view that wants the focus clears it.
    bool advanceNextFocusView(CView* oldFocus, bool reverse = false) override;

    // The frame never makes a top-level window of its own: both answer false.
    bool open(CPoint* where = nullptr);
    bool close();
    bool isOpen() const { return bOpenFlag; }

    // Redraws dirty views; nothing while closed, before the first draw or when all is clean.
    void idle();
    void doIdleStuff();
    // Milliseconds; 0 without an editor.
    uint32_t getTicks() const;
    // The editor's knob mode; without an editor 0, the mode every module starts with.
    int32_t getKnobMode() const;
    bool beginEdit(int32_t index);
    bool endEdit(int32_t index);

    // The frame never moves itself: false.
    bool setPosition(int32_t x, int32_t y);

    // Fails while another view is modal. A view made modal is added as a child; it is removed
    // again, without being forgotten, when the modal view changes or the frame goes.
    bool setModalView(CView* view);
    CView* getModalView() const { return pModalView; }

    // The mouse position in the frame's coordinates (the plain cursor position without a
    // window). Always true.
    bool getCurrentLocation(CPoint& where) const;

    // Views that want the focus are marked dirty when they gain or lose it; the old one is
    // told it lost it. Views outside this frame are refused.
    void setFocusView(CView* view);
    CView* getFocusView() const { return pFocusView; }

    // Without a window there is nothing to register: turning drops on fails.
    bool setDropActive(bool active);
    bool isDropActive() const { return bDropActive; }

    void setOpenFlag(bool open) { bOpenFlag = open; }
    bool getOpenFlag() const { return bOpenFlag; }

    // Marks every direct child that overlaps `rect` (touching edges count) dirty.
    void invalidate(const CRect& rect);
    // Returns the previous setting.
    bool updatesDisabled(bool disabled);
    bool updatesDisabled() const { return bUpdatesDisabled; }

    // Draws one direct child, or the whole frame for null or any other view, at once with a
    // context of its own.
    void draw(CView* view);

    // A new context for the frame's window (or its windowless surface); release it with forget.
    CDrawContext* createDrawContext();

    HWND getWindow() const { return pHwnd; }
    void* getSystemWindow() const { return pSystemWindow; }

    // Called by containers before they let go of `view`: focus, modal view and anything else
    // the frame points at inside it are dropped.
    void viewRemoved(CView* view);

protected:
    // Whether `view` is `ancestor` or lies inside it.
    static bool isWithin(const CView* view, const CView* ancestor);

    CFrameEditor* pEditor;
    void* pSystemWindow;
    CView* pModalView = nullptr;
    CView* pFocusView = nullptr;
    bool bFirstDraw = true;
    bool bOpenFlag = true;
    bool bDropActive = false;
    bool bUpdatesDisabled = false;
    HWND pHwnd = nullptr;
    HMODULE hInstMsimg32dll = nullptr;
    // Stands in for the window's pixels while the frame has no window.
    COffscreenContext* pWindowlessSurface = nullptr;
};

} // namespace toolkit
