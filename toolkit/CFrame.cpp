#include "toolkit/CFrame.h"

#include "toolkit/CDropTarget.h"
#include "toolkit/CFrameEditor.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/DrawingFacilities.h"

#include <cstring>

namespace toolkit
{
namespace
{

// The host's key codes: the virtual key of the tab key, and the shift bit of the modifiers.
constexpr unsigned char kTabVirtualKey = 2;
constexpr unsigned char kShiftModifierBit = 1;

} // namespace

namespace
{

// Frames whose destruction waits for an EventScope to end, linked through pNextPending.
CFrame*& pendingFrames()
{
    static CFrame* first = nullptr;
    return first;
}

int& runningEventScopes()
{
    static int count = 0;
    return count;
}

} // namespace

CFrame::CFrame(const CRect& size, void* systemWindow, CFrameEditor* editor)
    : CViewContainer(size, nullptr, nullptr), pEditor(editor), pSystemWindow(systemWindow)
{
    pParentFrame = this;
    // Success includes "already initialised on this thread" (S_FALSE), which must be paired too;
    // a failure (another threading model on this thread) must not be.
    bOleInitialised = SUCCEEDED(OleInitialize(nullptr));
    oleThread = std::this_thread::get_id();
    loadDrawingFacilities();
    hInstMsimg32dll = drawingFacilities().library;
    if (pSystemWindow)
        openWindow();
}

CFrame::~CFrame()
{
    if (pModalView)
        removeView(pModalView, false);
    setCursor(0);
    setDropActive(false);
    if (bOleInitialised && oleThread == std::this_thread::get_id())
        OleUninitialize();
    bOleInitialised = false;
    // Each frame gives back its own load: with several frames alive, the library stays loaded
    // for the others. The process-wide entries stay as they are.
    if (hInstMsimg32dll)
        FreeLibrary(hInstMsimg32dll);
    hInstMsimg32dll = nullptr;
    closeWindow();
    // Done here rather than by the container's destructor: removing views reaches back into
    // the frame (focus, modal view), which must still be a whole frame then.
    removeAll(true);
    releaseOffscreen();
    if (pWindowlessSurface)
        pWindowlessSurface->forget();
    pWindowlessSurface = nullptr;
}

// ---- Deferred destruction --------------------------------------------------------------------

CFrame::EventScope::EventScope(CFrame* frame) : frame(frame)
{
    if (!frame)
        return;
    ++frame->eventDepth;
    ++runningEventScopes();
}

CFrame::EventScope::~EventScope()
{
    if (!frame)
        return;
    --runningEventScopes();
    if (--frame->eventDepth > 0 || !frame->bDestroyPending)
        return;
    for (CFrame** link = &pendingFrames(); *link; link = &(*link)->pNextPending)
        if (*link == frame)
        {
            *link = frame->pNextPending;
            break;
        }
    frame->CViewContainer::forget();
}

bool CFrame::eventInProgress()
{
    return runningEventScopes() > 0;
}

void CFrame::editorGone(CFrameEditor* editor)
{
    for (CFrame* frame = pendingFrames(); frame; frame = frame->pNextPending)
        if (frame->pEditor == editor)
            frame->pEditor = nullptr;
}

void CFrame::forget()
{
    if (eventDepth > 0 && getReferenceCount() == 1)
    {
        closeForDeferredDestruction();
        return;
    }
    CViewContainer::forget();
}

void CFrame::closeForDeferredDestruction()
{
    if (bDestroyPending)
        return;
    bDestroyPending = true;
    pNextPending = pendingFrames();
    pendingFrames() = this;
    bOpenFlag = false;
    // The pop-up's choice would go to a listener that may be gone by now.
    if (pHwnd)
        EndMenu();
}

bool CFrame::isTypeOf(const char* className) const
{
    if (className && std::strcmp(className, "CFrame") == 0)
        return true;
    return CViewContainer::isTypeOf(className);
}

CFrameEditor* CFrame::getEditor() const
{
    return pEditor;
}

bool CFrame::open(CPoint*)
{
    return false;
}

bool CFrame::close()
{
    return false;
}

bool CFrame::setPosition(int32_t, int32_t)
{
    return false;
}

// ---- Editor requests -------------------------------------------------------------------------

void CFrame::doIdleStuff()
{
    if (pEditor)
        pEditor->doIdleStuff();
}

uint32_t CFrame::getTicks() const
{
    return pEditor ? pEditor->getTicks() : 0;
}

int32_t CFrame::getKnobMode() const
{
    return pEditor ? pEditor->getKnobMode() : 0;
}

bool CFrame::beginEdit(int32_t index)
{
    return pEditor ? pEditor->beginEdit(index) : false;
}

bool CFrame::endEdit(int32_t index)
{
    return pEditor ? pEditor->endEdit(index) : false;
}

// ---- Contexts and drawing --------------------------------------------------------------------

CDrawContext* CFrame::createDrawContext()
{
    if (pHwnd)
        return new CDrawContext(this, nullptr, pHwnd);
    if (pWindowlessSurface && (pWindowlessSurface->getWidth() != size.width() ||
                               pWindowlessSurface->getHeight() != size.height()))
    {
        pWindowlessSurface->forget();
        pWindowlessSurface = nullptr;
    }
    if (!pWindowlessSurface)
        pWindowlessSurface = new COffscreenContext(this, size.width(), size.height(), kBlackCColor);
    // Like a window's device context, every context starts without a clip of its own.
    SelectClipRgn(pWindowlessSurface->getSystemContext(), nullptr);
    return new CDrawContext(this, pWindowlessSurface->getSystemContext(), nullptr);
}

void CFrame::draw(CDrawContext* context)
{
    bFirstDraw = false;
    CViewContainer::draw(context);
}

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect)
{
    bFirstDraw = false;
    CDrawContext* own = context ? nullptr : createDrawContext();
    if (own)
        context = own;

    CRect oldClip;
    context->getClipRect(oldClip);
    context->setClipRect(CRect(updateRect).bound(oldClip));
    if (updateRect.width() > 0 && updateRect.height() > 0)
        CViewContainer::drawRect(context, updateRect);
    context->setClipRect(oldClip);

    if (own)
        own->forget();
}

void CFrame::draw(CView* view)
{
    if (view && !isChild(view))
        view = nullptr;
    CDrawContext* context = createDrawContext();
    if (view)
        view->draw(context);
    else
        draw(context);
    context->forget();
}

void CFrame::idle()
{
    if (!bOpenFlag || bFirstDraw || !isDirty())
        return;
    CDrawContext* context = createDrawContext();
    update(context);
    context->forget();
}

void CFrame::update(CDrawContext* context)
{
    if (!isOpen() || bUpdatesDisabled)
        return;
    CDrawContext* own = context ? nullptr : createDrawContext();
    if (own)
        context = own;

    if (bDirty)
    {
        draw(context);
        setDirty(false);
    }
    else
    {
        CRect oldClip;
        context->getClipRect(oldClip);
        if (pModalView && pModalView->isDirty())
            pModalView->update(context);
        for (ViewNode* node = pFirstView; node; node = node->pNext)
        {
            CRect childClip;
            node->pView->getViewSize(childClip).bound(oldClip);
            context->setClipRect(childClip);
            node->pView->update(context);
        }
        context->setClipRect(oldClip);
    }

    if (own)
        own->forget();
}

void CFrame::invalidate(const CRect& rect)
{
    for (ViewNode* node = pFirstView; node; node = node->pNext)
    {
        CRect childSize;
        if (node->pView->getViewSize(childSize).isOverlapping(rect))
            node->pView->setDirty(true);
    }
}

bool CFrame::updatesDisabled(bool disabled)
{
    const bool previous = bUpdatesDisabled;
    bUpdatesDisabled = disabled;
    return previous;
}

// ---- Input -----------------------------------------------------------------------------------

void CFrame::mouse(CDrawContext* context, const CPoint& where, int32_t buttons)
{
    if (pFocusView)
        setFocusView(nullptr);
    if (buttons == -1 && context)
        buttons = static_cast<int32_t>(context->getMouseButtons());
    if (!pModalView)
        CViewContainer::mouse(context, where, buttons);
    else if (pModalView->hitTest(where, buttons))
        pModalView->mouse(context, where, buttons);
}

int32_t CFrame::onKeyDown(VstKeyCode& keyCode)
{
    int32_t result = pFocusView ? pFocusView->onKeyDown(keyCode) : -1;
    if (result == -1 && pModalView)
        result = pModalView->onKeyDown(keyCode);
    if (result == -1 && keyCode.virt == kTabVirtualKey)
    {
        const bool reverse = (keyCode.modifier & kShiftModifierBit) != 0;
        result = advanceNextFocusView(pFocusView, reverse) ? 1 : -1;
    }
    return result;
}

int32_t CFrame::onKeyUp(VstKeyCode& keyCode)
{
    int32_t result = pFocusView ? pFocusView->onKeyUp(keyCode) : -1;
    if (result == -1 && pModalView)
        result = pModalView->onKeyUp(keyCode);
    return result;
}

bool CFrame::onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance)
{
    CView* target = pModalView ? pModalView : getViewAt(where, false);
    if (!target)
        return false;
    CDrawContext* own = context ? nullptr : createDrawContext();
    const bool result = target->onWheel(context ? context : own, where, axis, distance);
    if (own)
        own->forget();
    return result;
}

bool CFrame::getCurrentLocation(CPoint& where) const
{
    POINT cursor{};
    GetCursorPos(&cursor);
    where = CPoint(cursor.x, cursor.y);
    RECT window{};
    if (pHwnd && GetWindowRect(pHwnd, &window))
        where.offset(-window.left, -window.top);
    return true;
}

CView* CFrame::getCurrentView() const
{
    return pModalView ? pModalView : CViewContainer::getCurrentView();
}

// ---- Focus and modal view --------------------------------------------------------------------

bool CFrame::isWithin(const CView* view, const CView* ancestor)
{
    for (const CView* up = view; up; up = up->getParentView())
        if (up == ancestor)
            return true;
    return false;
}

void CFrame::setFocusView(CView* view)
{
    if (view && (view == this || !isWithin(view, this)))
        return;
    CView* old = pFocusView;
    pFocusView = view;
    if (view && view->getWantsFocus())
        view->setDirty(true);
    if (old)
    {
        old->looseFocus(nullptr);
        if (old->getWantsFocus())
            old->setDirty(true);
    }
}

bool CFrame::advanceNextFocusView(CView* oldFocus, bool reverse)
{
    if (pModalView)
        return false;
    if (!oldFocus)
        oldFocus = pFocusView;
    if (!oldFocus)
        return CViewContainer::advanceNextFocusView(nullptr, reverse);
    if (isChild(oldFocus))
    {
        if (CViewContainer::advanceNextFocusView(oldFocus, reverse))
            return true;
        setFocusView(nullptr);
        return false;
    }
    // Deeper down: each container on the way up continues after the child it was reached
    // through; the frame's own level uses the plain container walk.
    CView* reachedThrough = oldFocus;
    for (CView* up = oldFocus->getParentView(); up; up = up->getParentView())
    {
        CViewContainer* level = asContainer(up);
        if (!level)
            break;
        const bool moved = level == this
                               ? CViewContainer::advanceNextFocusView(reachedThrough, reverse)
                               : level->advanceNextFocusView(reachedThrough, reverse);
        if (moved)
            return true;
        reachedThrough = up;
    }
    return false;
}

bool CFrame::setModalView(CView* view)
{
    if (view && pModalView)
        return false;
    if (pModalView)
        removeView(pModalView, false);
    pModalView = nullptr;
    if (view && !addView(view))
        return false;
    pModalView = view;
    return true;
}

void CFrame::viewRemoved(CView* view)
{
    if (pFocusView && isWithin(pFocusView, view))
        setFocusView(nullptr);
    if (pModalView && isWithin(pModalView, view))
        pModalView = nullptr;
}

bool CFrame::setDropActive(bool active)
{
    if (!active && !bDropActive)
        return true;
    if (!pHwnd)
        return false;
    if (dropTarget)
    {
        dropTarget->forgetFrame();
        RevokeDragDrop(pHwnd);
        dropTarget = nullptr;
    }
    if (active)
    {
        dropTarget = new CDropTarget(this);
        dropTarget->AddRef();
        const bool registered = RegisterDragDrop(pHwnd, dropTarget) == S_OK;
        // From here the registration holds the target; a refused one (OLE not initialised) is
        // held by nobody and goes.
        dropTarget->Release();
        if (!registered)
            dropTarget = nullptr;
    }
    bDropActive = active;
    return true;
}

} // namespace toolkit
