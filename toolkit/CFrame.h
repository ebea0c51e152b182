#pragma once

#include "platform/Win32.h"
#include "toolkit/CViewContainer.h"

#include <cstdint>
#include <thread>

namespace toolkit
{

class CDropTarget;
class CFrameEditor;

// The root of the view tree. It holds the focus view and the modal view, redraws dirty views
// when the editor idles, and passes the controls' requests (gestures, idle work, ticks, knob
// mode) on to its editor. The frame is its own parent frame.
//
// With a host window the frame makes its own child window inside it, at (0, 0) with the frame's
// size, of a window class the module registers with its first frame and unregisters with its
// last. The window's messages reach the frame through the toolkit's window procedure: clicks,
// wheel turns, paint requests, its destruction, and the measuring and drawing of the focused
// option menu's pop-up items. The window is registered as a drop target while drops are active.
//
// A frame made without a host window has no window: it paints into a surface of its own size
// instead, which every context from createDrawContext draws on, so the same drawing paths run
// with or without a window system.
//
// Everything here runs on the thread that owns the window, which must also be the thread that
// made the frame.
class CFrame : public CViewContainer
{
public:
    // The editor is not owned and may be null; so may the host window. Initialises OLE for the
    // calling thread; with a host window, makes the child window and activates drops. A window
    // that cannot be made leaves a frame that behaves as a windowless one.
    CFrame(const CRect& size, void* systemWindow, CFrameEditor* editor);
    // Removes the modal view without forgetting it, restores the default cursor, revokes the drop
    // target, gives OLE back, destroys the window (unless the host already destroyed it with its
    // own), then removes and forgets every child.
    ~CFrame() override;

    // Marks a call from the window system that may run a modal loop of the frame's or of one of
    // its views (a click: the knob drag, the pop-up menu; a wheel turn; a drag and drop). While
    // such a call is running, the forget that drops the frame's last reference only closes the
    // frame: it stops redrawing, its open flag goes false (which ends a knob drag) and an open
    // pop-up menu is dismissed. The frame is destroyed when the outermost call has returned, so a
    // host that closes the editor, or the plug-in, from inside the loop destroys nothing the loop
    // still uses.
    class EventScope
    {
    public:
        explicit EventScope(CFrame* frame);
        ~EventScope();
        EventScope(const EventScope&) = delete;
        EventScope& operator=(const EventScope&) = delete;

    private:
        CFrame* frame;
    };
    // Whether a call marked by an EventScope is running on any frame of the module.
    static bool eventInProgress();
    // The editor is going away: frames whose destruction waits for a loop to return let go of it.
    static void editorGone(CFrameEditor* editor);

    // Destroys the frame at the last reference, unless an EventScope defers it (see there).
    void forget() override;

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
    // The position of the outer window (the first window up from the frame's that has a caption
    // or no parent, or whose parent differs in size from the frame's window by more than 60
    // pixels) in its parent's client coordinates. False when not open or without a window.
    bool getPosition(int32_t& x, int32_t& y) const;
    // Resizes to width x height: through the host when it can ("sizeWindow"), else by resizing
    // the chain of windows up to the first that belongs to the host. False when not open, without
    // a window, or when the size is unchanged.
    bool setSize(int32_t width, int32_t height);
    // The host window's rectangle in the client coordinates of its grandparent (the screen when
    // it has none). False when not open or without a window.
    bool getSize(CRect& size) const;
    bool getSize(CRect* size) const;
    // Calls setSize with the rectangle's width and height.
    void setViewSize(const CRect& rect) override;

    // Fails while another view is modal. A view made modal is added as a child; it is removed
    // again, without being forgotten, when the modal view changes or the frame goes.
    bool setModalView(CView* view);
    CView* getModalView() const { return pModalView; }

    // The mouse position in the frame's coordinates (the plain cursor position without a
    // window). Always true.
    bool getCurrentLocation(CPoint& where) const;

    // Shows a system cursor over the frame's window: 1 wait, 2 west-east, 3 north-south, 4
    // four-way, 5 north-east/south-west, 6 north-west/south-east sizing, 8 not allowed, 9 hand; 0,
    // 7 and any other type the cursor that was in use when this was first called. Always true.
    bool setCursor(int32_t type);

    // Views that want the focus are marked dirty when they gain or lose it; the old one is
    // told it lost it. Views outside this frame are refused.
    void setFocusView(CView* view);
    CView* getFocusView() const { return pFocusView; }

    // Registers (true) or revokes (false) the window's drop target. Without a window there is
    // nothing to register: false, unless drops are off already.
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

    // The toolkit's window procedure: the frame is found in the window's user data.
    static LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void openWindow();
    void closeWindow();
    // The first window up from the frame's that the host or the user sees as the editor's.
    HWND outerWindow() const;
    // Resizes the windows from the frame's upward; false when it stopped below a window that
    // belongs to the host.
    bool resizeWindowChain(int32_t width, int32_t height);

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
    CDropTarget* dropTarget = nullptr; // held by its registration, not by the frame
    HCURSOR defaultCursor = nullptr;

private:
    void closeForDeferredDestruction();

    // Stands in for the window's pixels while the frame has no window.
    COffscreenContext* pWindowlessSurface = nullptr;
    bool bCursorSaved = false;
    // OLE is given back only after it was taken, and only on the thread that took it.
    bool bOleInitialised = false;
    std::thread::id oleThread;
    // This frame counts as a user of the window class (it was given a host window).
    bool bWindowClassHeld = false;
    // EventScopes running on this frame, and whether its last reference went meanwhile.
    int32_t eventDepth = 0;
    bool bDestroyPending = false;
    CFrame* pNextPending = nullptr;
};

} // namespace toolkit
