#include "toolkit/CAnimKnob.h"

#include "toolkit/CBitmap.h"
#include "toolkit/FloatToInt.h"

#include <cstring>
#include <limits>

namespace toolkit
{

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
                     int32_t heightOfOneImage, CBitmap* strip, const CPoint& offset)
    : CKnob(size, listener, tag, strip, nullptr, offset), subPixmaps(subPixmaps),
      heightOfOneImage(heightOfOneImage)
{
    inset = 0;
}

CAnimKnob::~CAnimKnob() = default;

bool CAnimKnob::isTypeOf(const char* className) const
{
    if (className && std::strcmp(className, "CAnimKnob") == 0)
        return true;
    return CKnob::isTypeOf(className);
}

void CAnimKnob::setInverseBitmap(bool inverse)
{
    bInverseBitmap = inverse;
    setDirty(true);
}

int32_t CAnimKnob::frameOffsetFor(float value) const
{
    if (heightOfOneImage <= 0 || subPixmaps <= 1)
        return 0;
    // Computed wide: frame count and height come from the caller and may multiply past 32 bits.
    const int64_t wideSpan = static_cast<int64_t>(subPixmaps - 1) * heightOfOneImage;
    const int32_t span =
        static_cast<int32_t>(wideSpan > std::numeric_limits<int32_t>::max() ? 0 : wideSpan);
    if (span == 0 || !(value >= 0.0f))
        return 0;
    const float position = bInverseBitmap ? (1.0f - value) * static_cast<float>(span)
                                          : value * static_cast<float>(span);
    // Below the first frame shows the first, at or past the last frame the last.
    const int32_t y = truncateInRange(position, -1, span, 0);
    if (y < 0)
        return 0;
    if (y >= span)
        return span;
    return y / heightOfOneImage * heightOfOneImage;
}

void CAnimKnob::draw(CDrawContext* context)
{
    const float shown = getValue();
    const int32_t y = frameOffsetFor(shown);
    drawBackgroundPicture(context, size, CPoint(0, y));
    lastDrawnOffset = y;
    valueToPoint(lastDrawnPoint);
    setDirty(false);
    oldValue = shown;
}

bool CAnimKnob::isDirty() const
{
    return bDirty || frameOffsetFor(getValue()) != lastDrawnOffset;
}

} // namespace toolkit
