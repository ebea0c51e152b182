#include "toolkit/CViewContainer.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/COffscreenContext.h"

#include <cstring>

namespace toolkit
{

CViewContainer* asContainer(CView* view)
{
    if (!view || !view->isTypeOf("CViewContainer"))
        return nullptr;
    return dynamic_cast<CViewContainer*>(view);
}

CViewContainer::ViewNode::ViewNode(CView* view) : pView(view)
{
    pView->remember();
}

CViewContainer::ViewNode::~ViewNode()
{
    pView->forget();
}

CViewContainer::CViewContainer(const CRect& size, CFrame* frame, CBitmap* background) : CView(size)
{
    pParentFrame = frame;
    setBackground(background);
}

CViewContainer::~CViewContainer()
{
    removeAll(true);
    releaseOffscreen();
}

// ---- Child list ------------------------------------------------------------------------------

bool CViewContainer::addView(CView* view, const CRect& area, bool mouseEnabled)
{
    // A refused view keeps its own area and setting.
    if (!canAdopt(view))
        return false;
    view->setMouseEnabled(mouseEnabled);
    view->setMouseableArea(area);
    return addView(view);
}

bool CViewContainer::canAdopt(const CView* view) const
{
    if (!view || view->getParentView())
        return false;
    // Adding this container or one of its ancestors would make the tree a loop.
    for (const CView* up = this; up; up = up->getParentView())
        if (up == view)
            return false;
    return true;
}

bool CViewContainer::addView(CView* view)
{
    if (!canAdopt(view))
        return false;

    auto* node = new ViewNode(view);
    view->setParentFrame(pParentFrame);
    view->setParentView(this);
    node->pPrevious = pLastView;
    if (pLastView)
        pLastView->pNext = node;
    else
        pFirstView = node;
    pLastView = node;

    view->attached(this);
    view->setDirty(true);
    return true;
}

bool CViewContainer::removeView(CView* view, bool withForget)
{
    ViewNode* node = findNode(view);
    if (!node)
        return false;
    forgetReferencesInto(view);
    view->removed(this);
    // A detached view must not point at a frame that may go away before it does.
    view->setParentView(nullptr);
    view->setParentFrame(nullptr);
    unlink(node);
    if (withForget)
        view->forget();
    delete node; // drops the list's own reference
    return true;
}

void CViewContainer::removeAll(bool withForget)
{
    // One at a time from the front: a view's removed() may itself change the list.
    while (pFirstView)
        removeView(pFirstView->pView, withForget);
}

bool CViewContainer::isChild(CView* view) const
{
    return findNode(view) != nullptr;
}

int32_t CViewContainer::getNbViews() const
{
    int32_t count = 0;
    for (ViewNode* node = pFirstView; node; node = node->pNext)
        ++count;
    return count;
}

CView* CViewContainer::getView(int32_t index) const
{
    if (index < 0)
        return nullptr;
    for (ViewNode* node = pFirstView; node; node = node->pNext)
        if (index-- == 0)
            return node->pView;
    return nullptr;
}

CViewContainer::ViewNode* CViewContainer::findNode(CView* view) const
{
    if (!view)
        return nullptr;
    for (ViewNode* node = pFirstView; node; node = node->pNext)
        if (node->pView == view)
            return node;
    return nullptr;
}

void CViewContainer::unlink(ViewNode* node)
{
    if (node->pPrevious)
        node->pPrevious->pNext = node->pNext;
    else
        pFirstView = node->pNext;
    if (node->pNext)
        node->pNext->pPrevious = node->pPrevious;
    else
        pLastView = node->pPrevious;
    node->pNext = node->pPrevious = nullptr;
}

void CViewContainer::forgetReferencesInto(CView* view)
{
    if (currentDragView == view)
        currentDragView = nullptr;
    if (pParentFrame)
        pParentFrame->viewRemoved(view);
}

// ---- Plain settings --------------------------------------------------------------------------

void CViewContainer::setBackgroundColor(const CColor& color)
{
    backgroundColor = color;
    setDirty(true);
}

CColor CViewContainer::getBackgroundColor() const
{
    return backgroundColor;
}

void CViewContainer::setBackgroundOffset(const CPoint& offset)
{
    backgroundOffset = offset;
}

CPoint CViewContainer::getBackgroundOffset() const
{
    return backgroundOffset;
}

void CViewContainer::setMode(int32_t newMode)
{
    mode = newMode;
}

int32_t CViewContainer::getMode() const
{
    return mode;
}

bool CViewContainer::isTypeOf(const char* className) const
{
    if (className && std::strcmp(className, "CViewContainer") == 0)
        return true;
    return CView::isTypeOf(className);
}

int32_t CViewContainer::notify(CView*, const char* message)
{
    return message == kMsgCheckIfViewContainer ? 1 : 0;
}

// ---- Offscreen buffer ------------------------------------------------------------------------

void CViewContainer::useOffscreen(bool useIt)
{
    bDrawInOffscreen = useIt;
    if (!useIt)
        releaseOffscreen();
}

void CViewContainer::makeOffscreenIfWanted()
{
    if (bDrawInOffscreen && !pOffscreenContext)
        pOffscreenContext =
            new COffscreenContext(pParentFrame, size.width(), size.height(), kBlackCColor);
}

void CViewContainer::releaseOffscreen()
{
    if (pOffscreenContext)
        pOffscreenContext->forget();
    pOffscreenContext = nullptr;
}

bool CViewContainer::attached(CView* parent)
{
    makeOffscreenIfWanted();
    return CView::attached(parent);
}

bool CViewContainer::removed(CView* parent)
{
    releaseOffscreen();
    return CView::removed(parent);
}

void CViewContainer::setViewSize(const CRect& rect)
{
    CView::setViewSize(rect);
    if (pOffscreenContext && bDrawInOffscreen)
    {
        releaseOffscreen();
        makeOffscreenIfWanted();
    }
}

// ---- Coordinates -----------------------------------------------------------------------------

CPoint CViewContainer::toLocal(const CPoint& where) const
{
    return CPoint(where.h - size.left, where.v - size.top);
}

void CViewContainer::shift(CDrawContext* context) const
{
    if (!context)
        return;
    context->offset.offset(size.left, size.top);
    context->offsetScreen.offset(size.left, size.top);
}

void CViewContainer::unshift(CDrawContext* context) const
{
    if (!context)
        return;
    context->offset.offset(-size.left, -size.top);
    context->offsetScreen.offset(-size.left, -size.top);
}

CPoint& CViewContainer::frameToLocal(CPoint& point) const
{
    point.offset(-size.left, -size.top);
    if (pParentView && pParentView->isTypeOf("CViewContainer"))
        pParentView->frameToLocal(point);
    return point;
}

CPoint& CViewContainer::localToFrame(CPoint& point) const
{
    point.offset(size.left, size.top);
    if (pParentView && pParentView->isTypeOf("CViewContainer"))
        pParentView->localToFrame(point);
    return point;
}

// ---- Drawing ---------------------------------------------------------------------------------

CRect CViewContainer::clipForPass(CDrawContext* context, bool offscreen) const
{
    CRect clip;
    context->getClipRect(clip);
    // The given context is in the parent's coordinates; the offscreen buffer is in ours. A
    // shifted context already answers in ours, and the frame's coordinates are its own.
    if (offscreen && static_cast<const CView*>(pParentFrame) != this)
        clip.offset(-size.left, -size.top);
    return clip;
}

void CViewContainer::draw(CDrawContext* context)
{
    if (!context)
        return;
    makeOffscreenIfWanted();
    const bool offscreen = pOffscreenContext != nullptr;
    CDrawContext* target = offscreen ? pOffscreenContext : context;
    if (!offscreen)
        shift(context);

    const CRect local = localRect();
    const CRect oldClip = clipForPass(context, offscreen);
    target->setClipRect(CRect(local).bound(oldClip));

    if (pBackground)
        drawBackgroundPicture(target, local, backgroundOffset);
    else if (!bTransparencyEnabled)
    {
        target->setFillColor(backgroundColor);
        target->fillRect(local);
    }

    for (ViewNode* node = pFirstView; node; node = node->pNext)
    {
        CRect childSize;
        node->pView->getViewSize(childSize);
        target->setClipRect(childSize.bound(oldClip));
        node->pView->draw(target);
    }
    target->setClipRect(oldClip);

    if (offscreen)
        pOffscreenContext->copyFrom(context, size, CPoint(0, 0));
    else
        unshift(context);
    setDirty(false);
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateArea)
{
    if (!context)
        return;
    makeOffscreenIfWanted();
    const bool offscreen = pOffscreenContext != nullptr;
    CDrawContext* target = offscreen ? pOffscreenContext : context;
    if (!offscreen)
        shift(context);

    const CRect updateRect = CRect(updateArea).bound(size);
    const CRect clientRect = CRect(updateRect).offset(-size.left, -size.top);
    const CRect oldClip = clipForPass(context, offscreen);
    const CRect newClip = CRect(clientRect).bound(oldClip);
    target->setClipRect(newClip);

    drawBackgroundRect(target, clientRect);

    for (ViewNode* node = pFirstView; node; node = node->pNext)
    {
        CView* child = node->pView;
        if (!child->checkUpdate(clientRect))
            continue;
        CRect childSize;
        child->getViewSize(childSize);
        const CRect viewRect = CRect(childSize).bound(newClip);
        if (viewRect.width() <= 0 || viewRect.height() <= 0)
            continue;
        target->setClipRect(viewRect);
        const bool wasDirty = child->isDirty();
        child->drawRect(target, clientRect);
        // Only part of the child was drawn: keep it dirty so that the rest follows.
        if (wasDirty && childSize != viewRect)
            child->setDirty(true);
    }
    target->setClipRect(oldClip);

    if (offscreen)
        pOffscreenContext->copyFrom(context, updateRect, clientRect.topLeft());
    else
        unshift(context);
    setDirty(false);
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& rect)
{
    if (!context)
        return;
    if (pBackground)
    {
        CRect saved;
        context->getClipRect(saved);
        context->setClipRect(CRect(rect).bound(saved));
        const CRect whole(0, 0, pBackground->getWidth(), pBackground->getHeight());
        drawBackgroundPicture(context, whole, backgroundOffset);
        context->setClipRect(saved);
    }
    else if (!bTransparencyEnabled)
    {
        context->setFillColor(backgroundColor);
        context->fillRect(rect);
    }
}

bool CViewContainer::isDirty() const
{
    if (bDirty)
        return true;
    const CRect local = localRect();
    for (ViewNode* node = pFirstView; node; node = node->pNext)
    {
        if (!node->pView->isDirty())
            continue;
        CRect visible;
        node->pView->getViewSize(visible).bound(local);
        if (visible.width() > 0 && visible.height() > 0)
            return true;
    }
    return false;
}

void CViewContainer::update(CDrawContext* context)
{
    if (!context)
    {
        // Redrawing needs a context; the frame can make one.
        CDrawContext* own = pParentFrame ? pParentFrame->createDrawContext() : nullptr;
        if (own)
        {
            update(own);
            own->forget();
        }
        return;
    }
    const CRect local = localRect();
    if (mode == kNormalUpdate)
    {
        if (isDirty())
        {
            redrawRect(context, local);
            setDirty(false);
        }
        return;
    }
    if (mode != kOnlyDirtyUpdate)
        return;
    if (bDirty)
        redrawRect(context, local);
    else
    {
        for (ViewNode* node = pFirstView; node; node = node->pNext)
        {
            CView* child = node->pView;
            if (!child->isDirty() || !child->checkUpdate(local))
                continue;
            if (child->notify(this, kMsgCheckIfViewContainer) != 0)
                child->update(context);
            else
            {
                CRect area;
                child->redrawRect(context, child->getViewSize(area).bound(local));
            }
        }
    }
    setDirty(false);
}

void CViewContainer::redrawRect(CDrawContext* context, const CRect& rect)
{
    const CRect inParent = CRect(rect).offset(size.left, size.top);
    if (bTransparencyEnabled)
    {
        // What shows through is drawn by the parent.
        if (pParentView)
            pParentView->redrawRect(context, inParent);
        else if (pParentFrame)
            pParentFrame->drawRect(context, inParent);
        return;
    }
    if (!pParentView)
    {
        drawRect(context, inParent);
        return;
    }
    if (!context)
        return;
    // The context is in the frame's coordinates; drawRect wants the parent's.
    CPoint parentOrigin(0, 0);
    pParentView->localToFrame(parentOrigin);
    context->offset.offset(parentOrigin.h, parentOrigin.v);
    context->offsetScreen.offset(parentOrigin.h, parentOrigin.v);
    drawRect(context, inParent);
    context->offset.offset(-parentOrigin.h, -parentOrigin.v);
    context->offsetScreen.offset(-parentOrigin.h, -parentOrigin.v);
}

// ---- Hit testing and routing -----------------------------------------------------------------

CView* CViewContainer::childUnder(const CPoint& local) const
{
    for (ViewNode* node = pLastView; node; node = node->pPrevious)
    {
        CRect area;
        if (node->pView->getMouseableArea(area).pointInside(local))
            return node->pView;
    }
    return nullptr;
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) const
{
    if (!pParentFrame)
        return nullptr;
    const CPoint local = toLocal(where);
    CView* child = childUnder(local);
    if (deep)
        if (CViewContainer* inner = asContainer(child))
            return inner->getViewAt(local, deep);
    return child;
}

CView* CViewContainer::getCurrentView() const
{
    if (!pParentFrame)
        return nullptr;
    CPoint where;
    pParentFrame->getCurrentLocation(where);
    frameToLocal(where);
    return childUnder(where);
}

void CViewContainer::mouse(CDrawContext* context, const CPoint& where, int32_t buttons)
{
    const CPoint local = toLocal(where);
    if (buttons == -1 && context)
        buttons = static_cast<int32_t>(context->getMouseButtons());
    for (ViewNode* node = pLastView; node; node = node->pPrevious)
    {
        CView* child = node->pView;
        if (child->getMouseEnabled() && child->hitTest(local, buttons))
        {
            child->mouse(context, local, buttons);
            return;
        }
    }
}

int32_t CViewContainer::onKeyDown(VstKeyCode& keyCode)
{
    for (ViewNode* node = pLastView; node; node = node->pPrevious)
    {
        const int32_t result = node->pView->onKeyDown(keyCode);
        if (result != -1)
            return result;
    }
    return -1;
}

int32_t CViewContainer::onKeyUp(VstKeyCode& keyCode)
{
    for (ViewNode* node = pLastView; node; node = node->pPrevious)
    {
        const int32_t result = node->pView->onKeyUp(keyCode);
        if (result != -1)
            return result;
    }
    return -1;
}

bool CViewContainer::onWheel(CDrawContext* context, const CPoint& where, int32_t axis,
                             float distance)
{
    CView* child = getViewAt(where, false);
    if (!child)
        return false;
    shift(context);
    const bool result = child->onWheel(context, toLocal(where), axis, distance);
    unshift(context);
    return result;
}

bool CViewContainer::onWheel(CDrawContext* context, const CPoint& where, float distance)
{
    return onWheel(context, where, kMouseWheelAxisY, distance);
}

void CViewContainer::switchDragView(CView* view, CDrawContext* context, CDragContainer* drag,
                                    const CPoint& local)
{
    if (currentDragView)
        currentDragView->onDragLeave(context, drag, local);
    currentDragView = view;
    if (currentDragView)
        currentDragView->onDragEnter(context, drag, local);
}

void CViewContainer::onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    if (!pParentFrame)
        return;
    shift(context);
    switchDragView(getViewAt(where, false), context, drag, toLocal(where));
    unshift(context);
}

void CViewContainer::onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    if (!pParentFrame)
        return;
    shift(context);
    const CPoint local = toLocal(where);
    CView* under = getViewAt(where, false);
    if (under != currentDragView)
        switchDragView(under, context, drag, local);
    else if (currentDragView)
        currentDragView->onDragMove(context, drag, local);
    unshift(context);
}

void CViewContainer::onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    if (!pParentFrame)
        return;
    shift(context);
    if (currentDragView)
        currentDragView->onDragLeave(context, drag, toLocal(where));
    currentDragView = nullptr;
    unshift(context);
}

bool CViewContainer::onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    if (!pParentFrame)
        return false;
    shift(context);
    const CPoint local = toLocal(where);
    CView* under = getViewAt(where, false);
    if (under != currentDragView)
    {
        if (currentDragView)
            currentDragView->onDragLeave(context, drag, local);
        currentDragView = under;
    }
    bool result = false;
    if (currentDragView)
    {
        result = currentDragView->onDrop(context, drag, local);
        currentDragView->onDragLeave(context, drag, local);
    }
    currentDragView = nullptr;
    unshift(context);
    return result;
}

void CViewContainer::looseFocus(CDrawContext* context)
{
    for (ViewNode* node = pFirstView; node; node = node->pNext)
        node->pView->looseFocus(context);
}

void CViewContainer::takeFocus(CDrawContext* context)
{
    for (ViewNode* node = pFirstView; node; node = node->pNext)
        node->pView->takeFocus(context);
}

// ---- Focus -----------------------------------------------------------------------------------

bool CViewContainer::advanceNextFocusView(CView* oldFocus, bool reverse)
{
    bool passedOld = oldFocus == nullptr;
    for (ViewNode* node = reverse ? pLastView : pFirstView; node;
         node = reverse ? node->pPrevious : node->pNext)
    {
        CView* child = node->pView;
        if (!passedOld)
        {
            passedOld = child == oldFocus;
            continue;
        }
        if (child->getWantsFocus())
        {
            // Without a frame there is no focus to give.
            if (!pParentFrame)
                return false;
            pParentFrame->setFocusView(child);
            return true;
        }
        if (CViewContainer* inner = asContainer(child))
            if (inner->advanceNextFocusView(nullptr, reverse))
                return true;
    }
    return false;
}

} // namespace toolkit
