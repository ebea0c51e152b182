#include "toolkit/COffscreenContext.h"

#include "toolkit/CFrame.h"

namespace toolkit
{

COffscreenContext::COffscreenContext(CFrame* frame, int32_t width, int32_t height,
                                     const CColor& backgroundColor)
    : CDrawContext(frame, nullptr, nullptr), height(height), width(width),
      backgroundColor(backgroundColor)
{
    clipRect = CRect(0, 0, width, height);
    HWND frameWin = frame ? frame->getWindow() : nullptr;
    HDC windowDC = GetDC(frameWin);
    systemContext = CreateCompatibleDC(windowDC);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDC, width, height);
    window = reinterpret_cast<HWND>(bitmap);
    if (bitmap)
        SelectObject(systemContext, bitmap);
    ReleaseDC(frameWin, windowDC);

    setFillColor(backgroundColor);
    setFrameColor(backgroundColor);
    fillRect(CRect(0, 0, width, height));
    drawRect(CRect(0, 0, width, height));
}

COffscreenContext::~COffscreenContext()
{
    DeleteDC(systemContext);
    systemContext = nullptr;
    if (destroyPixmap && window)
        DeleteObject(getBitmap());
    window = nullptr;
}

void COffscreenContext::copyFrom(CDrawContext* destination, const CRect& rect,
                                 const CPoint& sourceOffset)
{
    if (!destination)
        return;
    BitBlt(destination->getSystemContext(), rect.left + destination->offset.h,
           rect.top + destination->offset.v, rect.width(), rect.height(), systemContext,
           sourceOffset.h, sourceOffset.v, SRCCOPY);
}

} // namespace toolkit
