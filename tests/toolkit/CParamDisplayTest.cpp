#include "toolkit/CParamDisplay.h"
#include "tests/toolkit/TextPictures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace toolkit
{
namespace
{

using namespace testkit;
using qev::test::Canvas;
using qev::test::Image;
using qev::test::sameImage;

const CColor kEdge{250, 250, 0, 255};
const CRect kBox(5, 5, 55, 21);

// A display in a windowless frame (black behind it), with colours the tests can tell apart.
class DisplayTest : public FrameTreeTest
{
protected:
    CParamDisplay* make(int32_t style = 0)
    {
        auto* display = add(frame, new CParamDisplay(kBox, nullptr, style));
        display->setFontColor(kMenuText);
        display->setBackColor(kMenuBack);
        display->setFrameColor(kEdge);
        return display;
    }
    // The box filled and framed, the lines in it, black around it.
    static Image boxWith(std::initializer_list<TextLine> lines)
    {
        Image image = textPicture(60, 50, kMenuBack, kBox, lines);
        outline(image, kBox, kEdge);
        surround(image, kBox, kBlackCColor);
        return image;
    }
};

struct TextCase
{
    const char* name;
    float value;
    const char* shown;
    int hook; // 0 none, 1 plain, 2 with user data, 3 both
};

void PrintTo(const TextCase& c, std::ostream* os)
{
    *os << c.name;
}

class ShownText : public DisplayTest, public ::testing::WithParamInterface<TextCase>
{
};

void plainHook(float, char* text)
{
    std::strcpy(text, "plain");
}

void dataHook(float value, char* text, void* data)
{
    std::snprintf(text, 256, "%s %g", static_cast<const char*>(data), static_cast<double>(value));
}

// The value with two decimals, or what a conversion hook makes of it (the one with user data
// first), centred in the box in the font colour.
TEST_P(ShownText, ShowsTheValueThroughTheHooksOrWithTwoDecimals)
{
    const TextCase& c = GetParam();
    CParamDisplay* display = make();
    static char label[] = "g";
    if (c.hook & 1)
        display->setStringConvert(&plainHook);
    if (c.hook & 2)
        display->setStringConvert(&dataHook, label);
    display->setValue(c.value);
    drawWhole(frame);
    EXPECT_TRUE(sameImage(surfaceOf(frame), boxWith({{c.shown, kMenuText, CPoint()}}), c.name));
    EXPECT_FALSE(display->isDirty());
}

INSTANTIATE_TEST_SUITE_P(DisplayTest, ShownText,
                         ::testing::Values(TextCase{"Half", 0.5f, "0.50", 0},
                                           TextCase{"Twelve", 12.0f, "12.00", 0},
                                           TextCase{"Negative", -3.14159f, "-3.14", 0},
                                           TextCase{"PlainHook", 0.5f, "plain", 1},
                                           TextCase{"DataHook", 0.25f, "g 0.25", 2},
                                           TextCase{"DataHookFirst", 0.25f, "g 0.25", 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DisplayTest, ShadowTextIsDrawnFirstOnePixelRightAndDown)
{
    CParamDisplay* display = make(kShadowTextStyle);
    display->setShadowColor(kRedCColor);
    display->setValue(0.5f);
    drawWhole(frame);
    const Image expected =
        boxWith({{"0.50", kRedCColor, CPoint(1, 1)}, {"0.50", kMenuText, CPoint()}});
    EXPECT_TRUE(sameImage(surfaceOf(frame), expected, "display-shadow"));
}

// Boxes without text: the edges are exact lines inside the box, whose top row stays in the
// fill colour.
TEST_F(DisplayTest, BoxesFramesAndEdgesWithoutText)
{
    const CColor tl{0, 200, 0, 255}; // told apart from the fill
    struct
    {
        int32_t style;
        const char* name;
    } cases[] = {{0, "framed"},
                 {kNoFrameStyle, "unframed"},
                 {kEdgeBackTopLeftStyle, "edge-back-first"},
                 {kEdgeFrameTopLeftStyle, "edge-frame-first"}};
    for (const auto& c : cases)
    {
        frame->removeAll();
        CParamDisplay* display = make(c.style | kNoTextStyle);
        display->setBackColor(tl);
        drawWhole(frame);
        Image expected(60, 50, 0);
        paint(expected, kBox, tl);
        if (c.style == 0)
            outline(expected, kBox, kEdge);
        if (c.style & (kEdgeBackTopLeftStyle | kEdgeFrameTopLeftStyle))
        {
            const bool backFirst = c.style & kEdgeBackTopLeftStyle;
            const CColor first = backFirst ? tl : kEdge;
            const CColor second = backFirst ? kEdge : tl;
            paint(expected, CRect(5, 7, 6, 21), first);    // left, from the bottom up
            paint(expected, CRect(5, 6, 54, 7), first);    // top, one row down
            paint(expected, CRect(54, 6, 55, 20), second); // right, down to the bottom
            paint(expected, CRect(6, 20, 55, 21), second); // bottom, back to the left
        }
        EXPECT_TRUE(sameImage(surfaceOf(frame), expected, c.name)) << c.name;
    }
}

TEST_F(DisplayTest, DrawNothingStyleDrawsNothingAndStaysClean)
{
    CParamDisplay* display = make(kDrawNothingStyle);
    auto* fresh = new CParamDisplay(kBox, nullptr, kDrawNothingStyle);
    EXPECT_FALSE(fresh->isDirty());
    fresh->forget();
    display->setDirty(true);
    drawWhole(frame);
    EXPECT_TRUE(sameImage(surfaceOf(frame), Image(60, 50, 0), "display-nothing"));
    EXPECT_FALSE(display->isDirty());
}

TEST_F(DisplayTest, PictureReplacesTheBoxFromTheBackOffset)
{
    auto* picture = new SolidBitmap(60, 50, rgbOf(kMagentaCColor));
    CParamDisplay* display = make(kNoTextStyle);
    display->setBackground(picture);
    display->setBackOffset(CPoint(40, 30)); // 20 x 16 of the picture left: the rest is outside
    picture->forget();
    drawWhole(frame);
    Image expected(60, 50, 0);
    paint(expected, CRect(5, 5, 25, 21), kMagentaCColor);
    EXPECT_TRUE(sameImage(surfaceOf(frame), expected, "display-picture"));
}

// Text longer than the box stays inside it, and the caller's clip is as it was.
TEST_F(DisplayTest, LongTextIsClippedToTheBoxAndTheClipRestored)
{
    Canvas canvas(60, 50, RGB(255, 255, 255));
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    CParamDisplay display(CRect(20, 10, 40, 26));
    display.setStringConvert([](float, char* text) { std::strcpy(text, "0123456789 0123456789"); });
    display.setFontColor(kMenuText);
    display.setStyle(kNoFrameStyle);
    display.draw(&context);
    CRect clip;
    EXPECT_EQ(context.getClipRect(clip), CRect(0, 0, 1000, 1000));
    const RECT ink = qev::test::inkBox(canvas.image(), qev::test::pixel(255, 255, 255));
    EXPECT_EQ(ink.left, 20);
    EXPECT_EQ(ink.top, 10);
    EXPECT_EQ(ink.right, 40);
    EXPECT_EQ(ink.bottom, 26);
}

struct SetterCase
{
    const char* name;
    std::function<void(CParamDisplay&, bool change)> set;
};

void PrintTo(const SetterCase& c, std::ostream* os)
{
    *os << c.name;
}

class Setter : public ::testing::TestWithParam<SetterCase>
{
};

// Setting what is already set leaves a drawn display clean; a real change makes it dirty.
TEST_P(Setter, MarksDirtyOnlyOnARealChange)
{
    CParamDisplay display(kBox);
    display.setDirty(false);
    GetParam().set(display, false);
    EXPECT_FALSE(display.isDirty());
    GetParam().set(display, true);
    EXPECT_TRUE(display.isDirty());
}

CColor other(bool change, CColor c)
{
    return change ? CColor{c.red, c.green, static_cast<uint8_t>(c.blue ^ 1), c.alpha} : c;
}

INSTANTIATE_TEST_SUITE_P(
    DisplayTest, Setter,
    ::testing::Values(
        SetterCase{"Font", [](CParamDisplay& d, bool c) { d.setFont(c ? 4 : 3); }},
        SetterCase{"FontColor",
                   [](CParamDisplay& d, bool c) { d.setFontColor(other(c, kWhiteCColor)); }},
        SetterCase{"BackColor",
                   [](CParamDisplay& d, bool c) { d.setBackColor(other(c, kBlackCColor)); }},
        SetterCase{"FrameColor",
                   [](CParamDisplay& d, bool c) { d.setFrameColor(other(c, kBlackCColor)); }},
        SetterCase{"ShadowColor",
                   [](CParamDisplay& d, bool c) { d.setShadowColor(other(c, kRedCColor)); }},
        SetterCase{"HoriAlign",
                   [](CParamDisplay& d, bool c) { d.setHoriAlign(c ? kLeftText : kCenterText); }},
        SetterCase{"Style", [](CParamDisplay& d, bool c) { d.setStyle(c ? kShadowTextStyle : 0); }},
        SetterCase{"TxtFace", [](CParamDisplay& d, bool c) { d.setTxtFace(c ? kBoldFace : 0); }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace toolkit
