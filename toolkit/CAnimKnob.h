#pragma once

#include "toolkit/CKnob.h"

#include <cstdint>

namespace toolkit
{

// A knob drawn as one frame of a vertical filmstrip instead of a handle: frame k starts at row
// k * heightOfOneImage of the strip, the first frame showing vmin (the last one with
// bInverseBitmap). A negative or NaN value shows the first frame of the strip, a value above 1.0
// the last: the drawing never reads outside the frames.
class CAnimKnob : public CKnob
{
public:
    // The strip is the background picture and takes a reference; `offset` is kept for the knob
    // but frames are always read from column 0.
    CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
              int32_t heightOfOneImage, CBitmap* strip, const CPoint& offset = CPoint());
    ~CAnimKnob() override;

    void draw(CDrawContext* context) override;
    // Dirty when marked or when the frame for the value differs from the frame last drawn: a
    // change too small to show another frame is not redrawn. The listener hears of it anyway.
    bool isDirty() const override;
    bool isTypeOf(const char* className) const override;

    void setInverseBitmap(bool inverse);
    bool getInverseBitmap() const { return bInverseBitmap; }
    // The strip row the value shows: a multiple of the frame height from 0 to the last frame.
    int32_t frameOffsetFor(float value) const;
    CPoint getLastDrawnPoint() const { return lastDrawnPoint; }

protected:
    int32_t subPixmaps;
    int32_t heightOfOneImage;
    bool bInverseBitmap = false;
    // The handle point of the value last drawn.
    CPoint lastDrawnPoint;
    // The strip row last drawn; -1 before the first drawing.
    int32_t lastDrawnOffset = -1;
};

} // namespace toolkit
