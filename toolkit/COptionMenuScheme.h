#pragma once

#include "toolkit/CColor.h"
#include "toolkit/CPoint.h"
#include "toolkit/CRect.h"
#include "toolkit/CReferenceCounter.h"

#include <cstdint>

namespace toolkit
{

class CDrawContext;

// Item states the pop-up passes to the scheme; any combination.
enum : int32_t
{
    kMenuItemChecked = 1,
    kMenuItemDisabled = 2,
    kMenuItemSelected = 4,
};

// How the items of an option menu's pop-up look: colours, font, and the measuring and drawing of
// one item. A menu that has a scheme has its items drawn by it. Shared by reference counting:
// every menu using it holds a reference.
class COptionMenuScheme : public CReferenceCounter
{
public:
    // The system's menu colours (alpha 0) and kNormalFontSmall.
    COptionMenuScheme();
    ~COptionMenuScheme() override;

    // "-" (a separator) is 6 x 18; any other text its width in the scheme's font plus 18, by 18.
    // A null text measures as empty; without a context the text width counts as 0.
    virtual void getItemSize(const char* text, CDrawContext* context, CPoint& size);
    // Draws one item into `rect`: the back, a separator's two lines, or a check mark and the
    // text (a tab sends the rest of the text to a column 50 pixels from the right edge).
    // `state` holds the kMenuItem bits.
    virtual void drawItem(const char* text, int32_t itemId, int32_t state, CDrawContext* context,
                          const CRect& rect);
    virtual void drawItemBack(CDrawContext* context, const CRect& rect, bool highlighted);

    void setColors(const CColor& background, const CColor& selection, const CColor& text,
                   const CColor& highlightedText, const CColor& disabledText);
    void setFont(int32_t fontId) { font = fontId; }

    CColor getBackgroundColor() const { return backgroundColor; }
    CColor getSelectionColor() const { return selectionColor; }
    CColor getTextColor() const { return textColor; }
    CColor getHiliteTextColor() const { return hiliteTextColor; }
    CColor getDisableTextColor() const { return disableTextColor; }
    int32_t getFont() const { return font; }

protected:
    CColor backgroundColor;
    CColor selectionColor;
    CColor textColor;
    CColor hiliteTextColor;
    CColor disableTextColor;
    int32_t font;
};

} // namespace toolkit
