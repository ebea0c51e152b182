#pragma once

#include "toolkit/CColor.h"
#include "toolkit/CControl.h"
#include "toolkit/DrawingTypes.h"

#include <cstdint>

namespace toolkit
{

// Style bits of the value display (the option menu adds its own beside them).
enum : int32_t
{
    kShadowTextStyle = 0x4,         // the text a second time first, one pixel right and down
    kEdgeBackTopLeftStyle = 0x80,   // 3-D edge: top and left in backColor, the rest in frameColor
    kEdgeFrameTopLeftStyle = 0x100, // 3-D edge: top and left in frameColor, the rest in backColor
    kNoTextStyle = 0x800,           // the box only
    kDrawNothingStyle = 0x1000,     // nothing at all; the display starts clean
    kNoFrameStyle = 0x4000,         // no plain frame around the box
};

// Converts a value into the text shown, at most 255 characters and a terminator.
using CParamDisplayConvert = void (*)(float value, char* text);
using CParamDisplayConvertWithData = void (*)(float value, char* text, void* userData);
// Reads a value back from a text; stored for callers, never used by the display itself.
using CParamDisplayTextToValue = void (*)(const char* text, float& value, void* userData);

// A control that shows its value as one line of text in a box: a background picture or a
// filled box with a frame or a 3-D edge, and the text with an optional shadow, clipped to the
// box. Its text drawing is also the face of the option menu.
class CParamDisplay : public CControl
{
public:
    // No listener and tag 0; the background takes a reference.
    explicit CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32_t style = 0);
    ~CParamDisplay() override;

    // The value through the conversion hook (the one with user data first), or "%2.2f".
    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* className) const override;

    // These mark the display dirty only when the stored setting really changes.
    virtual void setFont(int32_t fontId);
    virtual void setFontColor(const CColor& color);
    virtual void setBackColor(const CColor& color);
    virtual void setFrameColor(const CColor& color);
    virtual void setShadowColor(const CColor& color);
    virtual void setHoriAlign(int32_t alignment);
    // These only store.
    virtual void setStringConvert(CParamDisplayConvertWithData convert, void* userData);
    virtual void setStringConvert(CParamDisplayConvert convert);
    virtual void setTextToValueConvert(CParamDisplayTextToValue convert);
    // Marks dirty when changed, like the colours.
    virtual void setStyle(int32_t style);
    virtual void setTxtFace(int32_t face);
    virtual void setTextTransparency(bool transparent);

    // Draws the box and `text` (null: the box only) as the style says, over `picture` when one
    // is given, else over the background picture or a filled box. The display is clean
    // afterwards; the context's clip is as it was before.
    void drawText(CDrawContext* context, const char* text, CBitmap* picture = nullptr);

    int32_t getFont() const { return fontID; }
    CColor getFontColor() const { return fontColor; }
    CColor getBackColor() const { return backColor; }
    CColor getFrameColor() const { return frameColor; }
    CColor getShadowColor() const { return shadowColor; }
    int32_t getHoriAlign() const { return horiAlign; }
    int32_t getStyle() const { return style; }
    int32_t getTxtFace() const { return txtFace; }
    bool getTextTransparency() const { return bTextTransparencyEnabled; }
    CParamDisplayTextToValue getTextToValueConvert() const { return textToValue; }

protected:
    // Text buffer size for a converted value: 255 characters and the terminator.
    static constexpr int32_t kTextSize = 256;

    CParamDisplayConvert stringConvert = nullptr;
    CParamDisplayConvertWithData stringConvert2 = nullptr;
    CParamDisplayTextToValue textToValue = nullptr;
    void* userData = nullptr;
    int32_t horiAlign = kCenterText;
    int32_t style;
    int32_t fontID = kNormalFont;
    int32_t txtFace = kNormalFace;
    CColor fontColor = kWhiteCColor;
    CColor backColor = kBlackCColor;
    CColor frameColor = kBlackCColor;
    CColor shadowColor = kRedCColor;
    bool bTextTransparencyEnabled = true;

private:
    void drawBox(CDrawContext* context, CBitmap* picture);
    void drawEdge(CDrawContext* context);
    void drawTextLine(CDrawContext* context, const char* text);
    // Stores `value` into `field`, marking the display dirty when it differs.
    template <typename T> void change(T& field, const T& value);
};

} // namespace toolkit
