#include "toolkit/COptionMenuScheme.h"

#include "platform/Win32.h"
#include "toolkit/CDrawContext.h"

#include <cstring>

namespace toolkit
{
namespace
{

// Item geometry, pixels: height, room for the check mark before the text, the tab column.
constexpr int32_t kItemHeight = 18;
constexpr int32_t kTextIndent = 18;
constexpr int32_t kSeparatorWidth = 6;
constexpr int32_t kTabColumnFromRight = 50;

CColor systemColor(int index)
{
    const COLORREF c = GetSysColor(index);
    return CColor{GetRValue(c), GetGValue(c), GetBValue(c), 0};
}

bool isSeparator(const char* text)
{
    return text && std::strcmp(text, "-") == 0;
}

} // namespace

COptionMenuScheme::COptionMenuScheme()
    : backgroundColor(systemColor(COLOR_MENU)), selectionColor(systemColor(COLOR_HIGHLIGHT)),
      textColor(systemColor(COLOR_MENUTEXT)), hiliteTextColor(systemColor(COLOR_HIGHLIGHTTEXT)),
      disableTextColor(systemColor(COLOR_GRAYTEXT)), font(kNormalFontSmall)
{
}

COptionMenuScheme::~COptionMenuScheme() = default;

void COptionMenuScheme::setColors(const CColor& background, const CColor& selection,
                                  const CColor& text, const CColor& highlightedText,
                                  const CColor& disabledText)
{
    backgroundColor = background;
    selectionColor = selection;
    textColor = text;
    hiliteTextColor = highlightedText;
    disableTextColor = disabledText;
}

void COptionMenuScheme::getItemSize(const char* text, CDrawContext* context, CPoint& size)
{
    if (isSeparator(text))
    {
        size = CPoint(kSeparatorWidth, kItemHeight);
        return;
    }
    int32_t width = 0;
    if (context && text)
    {
        context->setFont(font);
        width = context->getStringWidth(text);
    }
    size = CPoint(width + kTextIndent, kItemHeight);
}

void COptionMenuScheme::drawItemBack(CDrawContext* context, const CRect& rect, bool highlighted)
{
    context->setFillColor(highlighted ? selectionColor : backgroundColor);
    context->drawRect(rect, kDrawFilled);
}

void COptionMenuScheme::drawItem(const char* text, int32_t, int32_t state, CDrawContext* context,
                                 const CRect& rect)
{
    if (!context)
        return;
    const bool highlighted = (state & kMenuItemSelected) != 0;
    drawItemBack(context, rect, highlighted);
    if (!text)
        return;

    if (isSeparator(text))
    {
        const int32_t mid = rect.top + rect.height() / 2;
        context->setLineWidth(1);
        context->setFrameColor(CColor{0, 0, 0, 150});
        context->moveTo(CPoint(rect.left + 2, mid - 1));
        context->lineTo(CPoint(rect.right - 2, mid - 1));
        context->setFrameColor(CColor{255, 255, 255, 150});
        context->moveTo(CPoint(rect.left + 2, mid));
        context->lineTo(CPoint(rect.right - 2, mid));
        return;
    }

    if (state & kMenuItemChecked)
    {
        context->setFillColor(highlighted ? hiliteTextColor : textColor);
        context->fillEllipse(CRect(rect.left + 6, rect.top + 4, rect.left + 14, rect.top + 12));
    }

    CRect textRect = rect;
    textRect.left += kTextIndent;
    context->setFont(font);
    context->setFontColor((state & kMenuItemDisabled) ? disableTextColor
                          : highlighted               ? hiliteTextColor
                                                      : textColor);
    const char* tab = std::strchr(text, '\t');
    if (!tab)
    {
        context->drawString(text, textRect, 0, kLeftText);
        return;
    }
    char before[256] = {};
    const size_t length = static_cast<size_t>(tab - text);
    std::memcpy(before, text, length < sizeof before ? length : sizeof before - 1);
    context->drawString(before, textRect, 0, kLeftText);
    CRect tabRect = rect;
    tabRect.left = rect.right - kTabColumnFromRight;
    context->drawString(tab + 1, tabRect, 0, kLeftText);
}

} // namespace toolkit
