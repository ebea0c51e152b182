#include "toolkit/CView.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

#include <cstring>

namespace toolkit
{

const char kMsgCheckIfViewContainer[] = "kMsgCheckIfViewContainer";

CView::CView(const CRect& size) : size(size), mouseableArea(size) {}

CView::~CView()
{
    if (pBackground)
        pBackground->forget();
}

void CView::drawBackgroundPicture(CDrawContext* context, const CRect& rect,
                                  const CPoint& offset) const
{
    if (!pBackground || !context)
        return;
    if (bTransparencyEnabled)
        pBackground->drawTransparent(context, rect, offset);
    else
        pBackground->draw(context, rect, offset);
}

void CView::draw(CDrawContext* context)
{
    drawBackgroundPicture(context, size, CPoint(0, 0));
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect&)
{
    draw(context);
}

bool CView::checkUpdate(const CRect& updateRect) const
{
    return updateRect.isOverlapping(size);
}

void CView::mouse(CDrawContext*, const CPoint&, int32_t) {}

void CView::setBackground(CBitmap* background)
{
    if (pBackground)
        pBackground->forget();
    pBackground = background;
    if (pBackground)
        pBackground->remember();
    setDirty(true);
}

CBitmap* CView::getBackground() const
{
    return pBackground;
}

int32_t CView::onKeyDown(VstKeyCode&)
{
    return -1;
}

int32_t CView::onKeyUp(VstKeyCode&)
{
    return -1;
}

bool CView::onWheel(CDrawContext* context, const CPoint& where, int32_t, float distance)
{
    return onWheel(context, where, distance);
}

bool CView::onWheel(CDrawContext*, const CPoint&, float)
{
    return false;
}

bool CView::onDrop(CDrawContext*, CDragContainer*, const CPoint&)
{
    return false;
}

void CView::onDragEnter(CDrawContext*, CDragContainer*, const CPoint&) {}
void CView::onDragLeave(CDrawContext*, CDragContainer*, const CPoint&) {}
void CView::onDragMove(CDrawContext*, CDragContainer*, const CPoint&) {}
void CView::looseFocus(CDrawContext*) {}
void CView::takeFocus(CDrawContext*) {}

bool CView::isDirty() const
{
    return bDirty;
}

void CView::setDirty(bool dirty)
{
    bDirty = dirty;
}

void CView::setMouseEnabled(bool enabled)
{
    bMouseEnabled = enabled;
}

bool CView::getMouseEnabled() const
{
    return bMouseEnabled;
}

void CView::setMouseableArea(const CRect& area)
{
    mouseableArea = area;
}

CRect& CView::getMouseableArea(CRect& area) const
{
    area = mouseableArea;
    return area;
}

bool CView::hitTest(const CPoint& where, int32_t)
{
    return mouseableArea.pointInside(where);
}

void CView::setTransparency(bool transparent)
{
    bTransparencyEnabled = transparent;
}

bool CView::getTransparency() const
{
    return bTransparencyEnabled;
}

void CView::setViewSize(const CRect& rect)
{
    size = rect;
    setDirty(true);
}

CRect& CView::getViewSize(CRect& rect) const
{
    rect = size;
    return rect;
}

bool CView::removed(CView*)
{
    return true;
}

bool CView::attached(CView*)
{
    return true;
}

void CView::getMouseLocation(CDrawContext* context, CPoint& point)
{
    if (!context)
        return;
    if (pParentView && pParentView->notify(this, kMsgCheckIfViewContainer) == 1)
    {
        // The container answers in its parent's coordinates; shifting the context by the
        // container's origin turns that into the container's own, which are this view's.
        CRect parentSize;
        pParentView->getViewSize(parentSize);
        context->offset.offset(parentSize.left, parentSize.top);
        context->offsetScreen.offset(parentSize.left, parentSize.top);
        pParentView->getMouseLocation(context, point);
        context->offset.offset(-parentSize.left, -parentSize.top);
        context->offsetScreen.offset(-parentSize.left, -parentSize.top);
        return;
    }
    context->getMouseLocation(point);
}

CPoint& CView::frameToLocal(CPoint& point) const
{
    if (pParentView && pParentView->isTypeOf("CViewContainer"))
        return pParentView->frameToLocal(point);
    return point;
}

CPoint& CView::localToFrame(CPoint& point) const
{
    if (pParentView && pParentView->isTypeOf("CViewContainer"))
        return pParentView->localToFrame(point);
    return point;
}

CFrameEditor* CView::getEditor() const
{
    return pParentFrame ? pParentFrame->getEditor() : nullptr;
}

int32_t CView::notify(CView*, const char*)
{
    return 0;
}

void CView::redrawRect(CDrawContext* context, const CRect& rect)
{
    if (pParentView)
        pParentView->redrawRect(context, rect);
    else if (pParentFrame)
        pParentFrame->drawRect(context, rect);
}

bool CView::getWantsFocus() const
{
    return bWantsFocus;
}

void CView::setWantsFocus(bool wantsFocus)
{
    bWantsFocus = wantsFocus;
}

bool CView::isTypeOf(const char* className) const
{
    return className && std::strcmp(className, "CView") == 0;
}

void CView::update(CDrawContext* context)
{
    if (!isDirty())
        return;
    if (context)
        redrawRect(context, size);
    else if (pParentFrame)
        pParentFrame->draw(this);
    setDirty(false);
}

} // namespace toolkit
