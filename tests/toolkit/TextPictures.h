// Expected pictures of boxes with a line of text, for the value display and the option menu.
#pragma once

#include "tests/support/Canvas.h"
#include "tests/toolkit/ViewTestKit.h"

namespace toolkit::testkit
{

// The editor's menu colours: grey text on dark blue.
inline constexpr CColor kMenuText{120, 120, 120, 255};
inline constexpr CColor kMenuBack{18, 31, 122, 255};
// The entries of the editor's SYNC menu.
inline constexpr const char* kSync[] = {"man",   "1/16", "1/8",  "1/4",  "1/2",  "1/1", "2/1",
                                        "1/16T", "1/8T", "1/4T", "1/2T", "1/1T", "2/1T"};

// One line of text as the drawing context's own text primitive draws it.
struct TextLine
{
    const char* text;
    CColor colour;
    CPoint shift; // from the box
};

// A picture of `width` x `height` filled with `back`, holding the lines drawn in `box` with the
// font and alignment given.
inline qev::test::Image textPicture(int width, int height, CColor back, const CRect& box,
                                    std::initializer_list<TextLine> lines,
                                    int32_t font = kNormalFont, int32_t align = kCenterText)
{
    qev::test::Canvas canvas(width, height, RGB(back.red, back.green, back.blue));
    {
        CDrawContext context(nullptr, canvas.dc(), nullptr);
        context.setClipRect(box);
        context.setFont(font);
        for (const TextLine& line : lines)
        {
            context.setFontColor(line.colour);
            context.drawString(line.text, CRect(box).offset(line.shift.h, line.shift.v), 0, align);
        }
    }
    return canvas.image();
}

// Paints the one-pixel outline just inside `rect`.
inline void outline(qev::test::Image& image, const CRect& rect, CColor colour)
{
    paint(image, CRect(rect.left, rect.top, rect.right, rect.top + 1), colour);
    paint(image, CRect(rect.left, rect.bottom - 1, rect.right, rect.bottom), colour);
    paint(image, CRect(rect.left, rect.top, rect.left + 1, rect.bottom), colour);
    paint(image, CRect(rect.right - 1, rect.top, rect.right, rect.bottom), colour);
}

// Paints everything outside `rect`.
inline void surround(qev::test::Image& image, const CRect& rect, CColor colour)
{
    paint(image, CRect(0, 0, image.width, rect.top), colour);
    paint(image, CRect(0, rect.bottom, image.width, image.height), colour);
    paint(image, CRect(0, rect.top, rect.left, rect.bottom), colour);
    paint(image, CRect(rect.right, rect.top, image.width, rect.bottom), colour);
}

} // namespace toolkit::testkit
