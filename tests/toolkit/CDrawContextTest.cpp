#include "toolkit/CDrawContext.h"
#include "platform/Platform.h"
#include "tests/support/Canvas.h"
#include "toolkit/Buttons.h"
#include "toolkit/DrawingFacilities.h"

#include <gtest/gtest.h>

#include <cstring>

namespace toolkit
{
namespace
{

using qev::test::Canvas;
using qev::test::Image;
using qev::test::inkBox;
using qev::test::pixel;
using qev::test::sameImage;

const uint32_t kWhite = pixel(255, 255, 255);

// A white canvas and a drawing context on it.
struct Drawing
{
    Canvas canvas;
    CDrawContext context;
    explicit Drawing(int w = 40, int h = 40) : canvas(w, h), context(nullptr, canvas.dc(), nullptr)
    {
    }
    Image image() const { return canvas.image(); }
};

TEST(CDrawContext, FillRectLeavesTheTopRowAndLeftColumn)
{
    Drawing d(12, 12);
    d.context.setFillColor(kRedCColor);
    d.context.fillRect(CRect(0, 0, 10, 10));
    const Image image = d.image();
    const RECT ink = inkBox(image, kWhite);
    EXPECT_EQ(ink.left, 1);
    EXPECT_EQ(ink.top, 1);
    EXPECT_EQ(ink.right, 10);
    EXPECT_EQ(ink.bottom, 10);
    EXPECT_EQ(image.at(9, 9), pixel(255, 0, 0));
}

TEST(CDrawContext, StrokedRectOutlineRunsThroughZeroAndNine)
{
    Drawing d(12, 12);
    d.context.setFrameColor(kBlueCColor);
    d.context.drawRect(CRect(0, 0, 10, 10));
    const Image image = d.image();
    for (int i = 0; i < 10; ++i)
    {
        EXPECT_EQ(image.at(i, 0), pixel(0, 0, 255)) << i;
        EXPECT_EQ(image.at(i, 9), pixel(0, 0, 255)) << i;
        EXPECT_EQ(image.at(0, i), pixel(0, 0, 255)) << i;
        EXPECT_EQ(image.at(9, i), pixel(0, 0, 255)) << i;
    }
    EXPECT_EQ(image.at(5, 5), kWhite);
    EXPECT_EQ(image.at(10, 5), kWhite);
    EXPECT_EQ(image.at(5, 10), kWhite);
}

TEST(CDrawContext, FilledRectCoversTheWholeRectangleAndFilledAndStrokedAddsTheOutline)
{
    Drawing filled(12, 12);
    filled.context.setFillColor(kGreenCColor);
    filled.context.setFrameColor(kBlueCColor);
    filled.context.drawRect(CRect(0, 0, 10, 10), kDrawFilled);
    const RECT ink = inkBox(filled.image(), kWhite);
    EXPECT_EQ(ink.left, 0);
    EXPECT_EQ(ink.right, 10);
    EXPECT_EQ(filled.image().at(0, 0), pixel(0, 255, 0));

    Drawing both(12, 12);
    both.context.setFillColor(kGreenCColor);
    both.context.setFrameColor(kBlueCColor);
    both.context.drawRect(CRect(0, 0, 10, 10), kDrawFilledAndStroked);
    EXPECT_EQ(both.image().at(0, 0), pixel(0, 0, 255));
    EXPECT_EQ(both.image().at(5, 5), pixel(0, 255, 0));
    EXPECT_EQ(inkBox(both.image(), kWhite).right, 10);
}

TEST(CDrawContext, LinesAreOffsetAndExcludeTheirEndPoint)
{
    Drawing d(30, 30);
    d.context.setFrameColor(kBlackCColor);
    d.context.offset = CPoint(10, 5);
    d.context.moveTo(CPoint(0, 0));
    d.context.lineTo(CPoint(5, 0));
    const RECT ink = inkBox(d.image(), kWhite);
    EXPECT_EQ(ink.left, 10);
    EXPECT_EQ(ink.right, 15);
    EXPECT_EQ(ink.top, 5);
    EXPECT_EQ(ink.bottom, 6);
}

TEST(CDrawContext, DashedLineStyleSelectsADottedPenAndDrawModesPickTheirRasterOperations)
{
    Drawing d;
    HDC dc = d.canvas.dc();
    d.context.setLineStyle(kLineOnOffDash);
    LOGPEN pen{};
    GetObjectA(GetCurrentObject(dc, OBJ_PEN), sizeof pen, &pen);
    EXPECT_EQ(pen.lopnStyle, static_cast<UINT>(PS_DOT));
    d.context.setLineStyle(kLineSolid);
    GetObjectA(GetCurrentObject(dc, OBJ_PEN), sizeof pen, &pen);
    EXPECT_EQ(pen.lopnStyle, static_cast<UINT>(PS_SOLID));

    EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
    d.context.setDrawMode(kXorMode);
    EXPECT_EQ(GetROP2(dc), R2_NOTXORPEN);
    d.context.setDrawMode(kOrMode);
    EXPECT_EQ(GetROP2(dc), R2_MERGEPEN);
    d.context.setDrawMode(7);
    EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
}

TEST(CDrawContext, SettersCreateObjectsOnlyOnARealChange)
{
    Drawing d;
    const long before = qev::platform::gdiCounts().created;
    d.context.setFrameColor(kWhiteCColor); // the constructor's values
    d.context.setLineWidth(1);
    d.context.setFillColor(kBlackCColor);
    d.context.setFont(kSystemFont);
    EXPECT_EQ(qev::platform::gdiCounts().created, before);
    d.context.setFillColor(CColor{0, 0, 0, 0}); // alpha alone is a change too
    EXPECT_EQ(qev::platform::gdiCounts().created, before + 1);
    d.context.setFrameColor(kRedCColor);
    EXPECT_EQ(qev::platform::gdiCounts().created, before + 2);
}

TEST(CDrawContext, SameEffectiveFontSizeChangesNothing)
{
    Drawing d;
    d.context.setFont(kNormalFont, 0, 0);
    const HGDIOBJ selected = GetCurrentObject(d.canvas.dc(), OBJ_FONT);
    const long before = qev::platform::gdiCounts().created;
    d.context.setFont(kNormalFont, 12, 0);
    EXPECT_EQ(qev::platform::gdiCounts().created, before);
    EXPECT_EQ(GetCurrentObject(d.canvas.dc(), OBJ_FONT), selected);
    d.context.setFont(kNormalFont, 13, 0);
    EXPECT_EQ(qev::platform::gdiCounts().created, before + 1);
}

TEST(CDrawContext, UnknownFontIdsAreTheAlwaysBoldSystemFont)
{
    Drawing d;
    d.context.setFont(kNormalFont, 0, kBoldFace);
    const int32_t boldWidth = d.context.getStringWidth("FEEDBACK");
    d.context.setFont(kNormalFont, 0, 0);
    const int32_t plainWidth = d.context.getStringWidth("FEEDBACK");
    d.context.setFont(9, 0, 0);
    EXPECT_EQ(d.context.getFont(), kSystemFont);
    EXPECT_EQ(d.context.getFontSize(), 12);
    EXPECT_EQ(d.context.getStringWidth("FEEDBACK"), boldWidth);
    EXPECT_NE(boldWidth, plainWidth);
    LOGFONTA lf{};
    GetObjectA(GetCurrentObject(d.canvas.dc(), OBJ_FONT), sizeof lf, &lf);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfHeight, -12);
    EXPECT_STREQ(lf.lfFaceName, "Arial");
    d.context.setFont(kSymbolFont);
    GetObjectA(GetCurrentObject(d.canvas.dc(), OBJ_FONT), sizeof lf, &lf);
    EXPECT_EQ(lf.lfPitchAndFamily, DEFAULT_PITCH | FF_DECORATIVE);
    EXPECT_EQ(lf.lfHeight, -13);
    EXPECT_STREQ(lf.lfFaceName, "Symbol");
}

struct AlignCase
{
    int32_t align;
    UINT format;
    int leftShift;
};
void PrintTo(const AlignCase& c, std::ostream* os)
{
    *os << "align " << c.align;
}

class DrawStringAlignment : public ::testing::TestWithParam<AlignCase>
{
};

// drawString is DrawTextA on one vertically centred line; left alignment starts 1 pixel in.
TEST_P(DrawStringAlignment, MatchesTheEquivalentDrawText)
{
    const AlignCase c = GetParam();
    Drawing viaContext(120, 30);
    viaContext.context.setFontColor(kBlackCColor);
    viaContext.context.setFont(kNormalFont);
    viaContext.context.drawString("DRY / WET", CRect(10, 2, 110, 28), 0, c.align);

    Drawing direct(120, 30);
    direct.context.setFontColor(kBlackCColor);
    direct.context.setFont(kNormalFont);
    RECT r{10 + c.leftShift, 2, 110, 28};
    DrawTextA(direct.canvas.dc(), "DRY / WET", -1, &r,
              c.format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    EXPECT_TRUE(sameImage(viaContext.image(), direct.image(), "drawString_align"));
    EXPECT_NE(inkBox(viaContext.image(), kWhite).right, 0);
}

INSTANTIATE_TEST_SUITE_P(Alignments, DrawStringAlignment,
                         ::testing::Values(AlignCase{kLeftText, DT_LEFT, 1},
                                           AlignCase{kCenterText, DT_CENTER, 0},
                                           AlignCase{kRightText, DT_RIGHT, 0},
                                           AlignCase{17, DT_LEFT, 1}));

TEST(CDrawContext, NullStringDrawsAndMeasuresNothing)
{
    Drawing d;
    d.context.setFontColor(kBlackCColor);
    d.context.drawString(nullptr, CRect(0, 0, 40, 40), 1);
    EXPECT_EQ(inkBox(d.image(), kWhite).right, 0);
    EXPECT_EQ(d.context.getStringWidth(nullptr), 0);
}

TEST(CDrawContext, OpaqueStringIsBackedWithTheFillColourAndTheModeReturnsToTransparent)
{
    Drawing d(100, 30);
    d.context.setFillColor(kBlueCColor);
    d.context.setFontColor(kBlueCColor);
    d.context.setFont(kNormalFont);
    d.context.drawString("menu", CRect(0, 0, 100, 30), 1, kLeftText);
    const RECT ink = inkBox(d.image(), kWhite);
    EXPECT_EQ(ink.left, 1);
    EXPECT_EQ(ink.right, 1 + d.context.getStringWidth("menu"));
    EXPECT_EQ(ink.bottom - ink.top, 14);
    EXPECT_EQ(GetBkMode(d.canvas.dc()), TRANSPARENT);
}

TEST(CDrawContext, ClipRectCarriesTheOffset)
{
    Drawing d(30, 30);
    d.context.offset = CPoint(10, 10);
    d.context.setClipRect(CRect(0, 0, 5, 5));
    RECT box{};
    GetClipBox(d.canvas.dc(), &box);
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 10);
    EXPECT_EQ(box.right, 15);
    EXPECT_EQ(box.bottom, 15);
    CRect clip;
    EXPECT_EQ(d.context.getClipRect(clip), CRect(0, 0, 5, 5));
    d.context.setFillColor(kRedCColor);
    d.context.drawRect(CRect(-10, -10, 20, 20), kDrawFilled);
    const RECT ink = inkBox(d.image(), kWhite);
    EXPECT_EQ(ink.left, 10);
    EXPECT_EQ(ink.right, 15);
    // A new clip replaces the old one rather than narrowing it.
    d.context.setClipRect(CRect(-10, -10, 0, 0));
    d.context.drawRect(CRect(-10, -10, 20, 20), kDrawFilled);
    EXPECT_EQ(inkBox(d.image(), kWhite).left, 0);
}

TEST(CDrawContext, FillEllipseIsTheFillRectBoxRoundedAndRestoresThePen)
{
    Drawing d(12, 12);
    d.context.setFillColor(kBlackCColor);
    d.context.setFrameColor(kRedCColor);
    const HGDIOBJ pen = GetCurrentObject(d.canvas.dc(), OBJ_PEN);
    d.context.fillEllipse(CRect(0, 0, 10, 10));
    const Image image = d.image();
    const RECT ink = inkBox(image, kWhite);
    EXPECT_EQ(ink.left, 1);
    EXPECT_EQ(ink.top, 1);
    EXPECT_EQ(ink.right, 10);
    EXPECT_EQ(ink.bottom, 10);
    EXPECT_EQ(image.at(5, 5), 0u);
    EXPECT_EQ(image.at(1, 1), kWhite);
    for (uint32_t p : image.pixels)
        EXPECT_NE(p, pixel(255, 0, 0)); // no outline
    EXPECT_EQ(GetCurrentObject(d.canvas.dc(), OBJ_PEN), pen);
}

TEST(CDrawContext, DestructionRestoresTheDeviceContextAndFreesItsObjects)
{
    Canvas canvas(10, 10);
    HDC dc = canvas.dc();
    const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    const long alive = qev::platform::gdiCounts().alive;
    auto* context = new CDrawContext(nullptr, dc, nullptr);
    EXPECT_NE(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    context->remember();
    context->forget();
    context->forget();
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(qev::platform::gdiCounts().alive, alive);
}

TEST(CDrawContext, WithoutAnyDeviceContextNothingBreaks)
{
    CDrawContext context(nullptr, nullptr, nullptr);
    context.drawRect(CRect(0, 0, 5, 5), kDrawFilledAndStroked);
    context.fillEllipse(CRect(0, 0, 5, 5));
    context.drawString("x", CRect(0, 0, 5, 5));
    EXPECT_EQ(context.getStringWidth("x"), 0);
    CRect clip;
    EXPECT_EQ(context.getClipRect(clip), CRect(0, 0, 1000, 1000));
}

TEST(CDrawContext, AContextForAWindowFetchesItsDeviceContextAndReleasesIt)
{
    int windowStandIn = 0;
    const HWND window = reinterpret_cast<HWND>(&windowStandIn);
    const long alive = qev::platform::gdiCounts().alive;
    {
        CDrawContext context(nullptr, nullptr, window);
        EXPECT_NE(context.getSystemContext(), nullptr);
        EXPECT_EQ(context.getWindow(), window);
        EXPECT_EQ(GetBkMode(context.getSystemContext()), TRANSPARENT);
        EXPECT_EQ(context.offsetScreen, CPoint(0, 0));
    }
    EXPECT_EQ(qev::platform::gdiCounts().alive, alive);
}

TEST(CDrawContext, AContextForAWindowAndADeviceContextUsesThatDeviceContext)
{
    int windowStandIn = 0;
    Canvas canvas(4, 4);
    const long alive = qev::platform::gdiCounts().alive;
    {
        CDrawContext context(nullptr, canvas.dc(), reinterpret_cast<HWND>(&windowStandIn));
        EXPECT_EQ(context.getSystemContext(), canvas.dc());
    }
    EXPECT_EQ(qev::platform::gdiCounts().alive, alive);
}

SHORT physicalLeftAndShift(int key)
{
    return key == VK_LBUTTON || key == VK_SHIFT ? static_cast<SHORT>(0x8000) : 0;
}

SHORT middleRightControlAlt(int key)
{
    return key == VK_MBUTTON || key == VK_RBUTTON || key == VK_CONTROL || key == VK_MENU
               ? static_cast<SHORT>(0x8000)
               : 0;
}

BOOL cursorAt(LPPOINT p)
{
    p->x = 321;
    p->y = 123;
    return TRUE;
}

TEST(CDrawContext, MouseButtonsFollowTheSwapFlag)
{
    CDrawContext context(nullptr, nullptr, nullptr);
    qev::platform::setInputReaders(&physicalLeftAndShift, nullptr);
    EXPECT_EQ(context.getMouseButtons(), kLButton | kShift);
    drawingFacilities().mouseButtonsSwapped = true;
    EXPECT_EQ(context.getMouseButtons(), kRButton | kShift);
    qev::platform::setInputReaders(&middleRightControlAlt, nullptr);
    EXPECT_EQ(context.getMouseButtons(), kLButton | kMButton | kControl | kAlt);
    drawingFacilities().mouseButtonsSwapped = false;
    EXPECT_EQ(context.getMouseButtons(), kRButton | kMButton | kControl | kAlt);
    qev::platform::setInputReaders(nullptr, nullptr);
}

TEST(CDrawContext, MouseLocationIsRelativeToTheScreenOffset)
{
    CDrawContext context(nullptr, nullptr, nullptr);
    context.offsetScreen = CPoint(300, 100);
    qev::platform::setInputReaders(nullptr, &cursorAt);
    CPoint where;
    context.getMouseLocation(where);
    EXPECT_EQ(where, CPoint(21, 23));
    qev::platform::setInputReaders(nullptr, nullptr);
}

} // namespace
} // namespace toolkit
