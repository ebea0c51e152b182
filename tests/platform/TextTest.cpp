#include "tests/support/Canvas.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace qev::test
{
namespace
{

const uint32_t kWhite = pixel(255, 255, 255);

struct FontRequest
{
    int height = -12;
    int weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    const char* face = "Arial";
};

HFONT makeFont(const FontRequest& request)
{
    LOGFONTA lf{};
    lf.lfHeight = request.height;
    lf.lfWeight = request.weight;
    lf.lfItalic = request.italic;
    lf.lfUnderline = request.underline;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    std::strcpy(lf.lfFaceName, request.face);
    return CreateFontIndirectA(&lf);
}

// A white canvas with a font selected, black text and transparent background.
class TextCanvas : public Canvas
{
public:
    explicit TextCanvas(int w, int h, const FontRequest& request = {})
        : Canvas(w, h), font_(makeFont(request))
    {
        old_ = SelectObject(dc(), font_);
        SetBkMode(dc(), TRANSPARENT);
    }
    ~TextCanvas()
    {
        SelectObject(dc(), old_);
        DeleteObject(font_);
    }
    SIZE extent(const std::string& s)
    {
        SIZE size{};
        GetTextExtentPoint32A(dc(), s.data(), static_cast<int>(s.size()), &size);
        return size;
    }
    void out(int x, int y, const std::string& s)
    {
        TextOutA(dc(), x, y, s.data(), static_cast<int>(s.size()));
    }
    RECT draw(const std::string& s, RECT r, UINT format)
    {
        DrawTextA(dc(), s.data(), -1, &r, format);
        return inkBox(image(), kWhite);
    }

private:
    HFONT font_;
    HGDIOBJ old_;
};

TEST(Text, ArialAtTwelvePixelsHasTheWindowsCellHeight)
{
    TextCanvas canvas(10, 10);
    EXPECT_EQ(canvas.extent("Hg").cy, 14); // ascent 11 + descent 3, as Windows' Arial
    EXPECT_EQ(canvas.extent("").cx, 0);
}

TEST(Text, MeasuredWidthIsExactlyWhereTheNextCharacterIsDrawn)
{
    for (const std::string word : {"SPEED", "LO-FREQ", "DRY / WET", "Wavy 1/16T"})
    {
        TextCanvas whole(200, 20);
        TextCanvas pieces(200, 20);
        whole.out(3, 2, word + "|x");
        pieces.out(3, 2, word);
        pieces.out(3 + pieces.extent(word).cx, 2, "|x");
        EXPECT_TRUE(sameImage(pieces.image(), whole.image(), "measure_" + word.substr(0, 3)))
            << word;
        TextCanvas alone(200, 20);
        alone.out(3, 2, word);
        const RECT ink = inkBox(alone.image(), kWhite);
        EXPECT_GE(ink.left, 3) << word;
        EXPECT_LE(ink.right, 3 + alone.extent(word).cx + 1) << word;
        EXPECT_GE(ink.top, 2);
        EXPECT_LE(ink.bottom, 2 + alone.extent(word).cy);
    }
}

TEST(Text, BlackTextReachesFullCoverageAndColouredTextKeepsItsHue)
{
    TextCanvas canvas(60, 20);
    canvas.out(0, 0, "HIL");
    const Image black = canvas.image();
    bool full = false;
    for (uint32_t p : black.pixels)
        full = full || p == 0;
    EXPECT_TRUE(full);
    TextCanvas red(60, 20);
    SetTextColor(red.dc(), RGB(255, 0, 0));
    red.out(0, 0, "HIL");
    for (uint32_t p : red.image().pixels)
    {
        EXPECT_EQ((p >> 16) & 0xFF, 255u);
        EXPECT_EQ((p >> 8) & 0xFF, p & 0xFF); // green and blue fade together
    }
}

TEST(Text, CentredTextIsCentredWithinOnePixel)
{
    for (int width : {60, 61, 100})
    {
        TextCanvas reference(120, 30);
        const RECT leftInk = reference.draw("SYNC", RECT{0, 0, 120, 30}, DT_SINGLELINE);
        const int textWidth = reference.extent("SYNC").cx;
        TextCanvas centred(120, 30);
        const RECT ink =
            centred.draw("SYNC", RECT{10, 0, 10 + width, 30}, DT_SINGLELINE | DT_CENTER);
        const double boxCentre = 10 + width / 2.0;
        const double textCentre = (ink.left - leftInk.left) + textWidth / 2.0;
        EXPECT_LE(std::abs(textCentre - boxCentre), 1.0) << width;
    }
}

TEST(Text, RightAlignedTextEndsAtTheRightEdge)
{
    TextCanvas reference(120, 30);
    const RECT leftInk = reference.draw("STAGE", RECT{0, 0, 120, 30}, DT_SINGLELINE);
    const int textWidth = reference.extent("STAGE").cx;
    TextCanvas right(120, 30);
    const RECT ink = right.draw("STAGE", RECT{5, 0, 90, 30}, DT_SINGLELINE | DT_RIGHT);
    EXPECT_EQ(ink.left - leftInk.left, 90 - textWidth);
    EXPECT_LE(ink.right, 90);
}

TEST(Text, VerticalCentringPlacesTheCellInTheMiddle)
{
    TextCanvas top(40, 40);
    const RECT topInk = top.draw("H", RECT{0, 0, 40, 40}, DT_SINGLELINE);
    TextCanvas middle(40, 40);
    const RECT midInk = middle.draw("H", RECT{0, 0, 40, 40}, DT_SINGLELINE | DT_VCENTER);
    EXPECT_EQ(midInk.top - topInk.top, (40 - 14) / 2);
    TextCanvas bottom(40, 40);
    const RECT lowInk = bottom.draw("H", RECT{0, 0, 40, 40}, DT_SINGLELINE | DT_BOTTOM);
    EXPECT_EQ(lowInk.top - topInk.top, 40 - 14);
}

TEST(Text, LongTextIsClippedByTheRectangleAndByTheClipRegion)
{
    const std::string longText = "A long line that cannot fit anywhere near this box";
    TextCanvas byRect(300, 30);
    const RECT ink = byRect.draw(longText, RECT{10, 5, 60, 25}, DT_SINGLELINE);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 60);
    EXPECT_GT(ink.right, 55); // it does reach the edge

    TextCanvas unclipped(300, 30);
    EXPECT_GT(unclipped.draw(longText, RECT{10, 5, 60, 25}, DT_SINGLELINE | DT_NOCLIP).right, 100);

    TextCanvas byRegion(300, 30);
    HRGN clip = CreateRectRgn(20, 0, 40, 30);
    SelectClipRgn(byRegion.dc(), clip);
    DeleteObject(clip);
    const RECT regionInk = byRegion.draw(longText, RECT{0, 0, 300, 30}, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GE(regionInk.left, 20);
    EXPECT_LE(regionInk.right, 40);
}

TEST(Text, OpaqueModeBacksExactlyTheTextCell)
{
    TextCanvas canvas(100, 30);
    SetBkMode(canvas.dc(), OPAQUE);
    SetBkColor(canvas.dc(), RGB(0, 0, 255));
    SetTextColor(canvas.dc(), RGB(0, 0, 255));
    canvas.out(7, 4, "menu");
    const SIZE size = canvas.extent("menu");
    const RECT ink = inkBox(canvas.image(), kWhite);
    EXPECT_EQ(ink.left, 7);
    EXPECT_EQ(ink.top, 4);
    EXPECT_EQ(ink.right, 7 + size.cx);
    EXPECT_EQ(ink.bottom, 4 + size.cy);
}

TEST(Text, StylesChangeTheGlyphs)
{
    TextCanvas regular(200, 30);
    TextCanvas bold(200, 30, FontRequest{-12, FW_BOLD});
    TextCanvas italic(200, 30, FontRequest{-12, FW_NORMAL, true});
    TextCanvas underlined(200, 30, FontRequest{-12, FW_NORMAL, false, true});
    const std::string s = "FEEDBACK";
    EXPECT_GT(bold.extent(s).cx, regular.extent(s).cx);
    regular.out(0, 0, s);
    italic.out(0, 0, s);
    underlined.out(0, 0, s);
    EXPECT_FALSE(italic.image() == regular.image());
    // The underline runs the whole measured width below the baseline.
    const Image u = underlined.image();
    const int width = underlined.extent(s).cx;
    int fullRows = 0;
    for (int y = 11; y < 14; ++y)
    {
        bool full = true;
        for (int x = 0; x < width; ++x)
            full = full && u.at(x, y) != kWhite;
        fullRows += full;
    }
    EXPECT_GE(fullRows, 1);
    EXPECT_EQ(inkBox(regular.image(), kWhite).bottom, 11); // capitals sit on the baseline
}

TEST(Text, TheSymbolFaceHasItsOwnGlyphs)
{
    TextCanvas arial(60, 30, FontRequest{-13});
    TextCanvas symbol(60, 30, FontRequest{-13, FW_NORMAL, false, false, "Symbol"});
    arial.out(0, 0, "abp");
    symbol.out(0, 0, "abp");
    EXPECT_FALSE(arial.image() == symbol.image());
    EXPECT_NE(inkBox(symbol.image(), kWhite).right, 0); // something was drawn
}

TEST(Text, PrefixesAreDroppedUnlessSuppressed)
{
    TextCanvas prefixed(100, 20);
    TextCanvas plain(100, 20);
    TextCanvas literal(100, 20);
    prefixed.draw("&Open && Save", RECT{0, 0, 100, 20}, DT_SINGLELINE);
    plain.draw("Open & Save", RECT{0, 0, 100, 20}, DT_SINGLELINE | DT_NOPREFIX);
    literal.draw("&Open && Save", RECT{0, 0, 100, 20}, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_TRUE(sameImage(prefixed.image(), plain.image(), "prefix"));
    EXPECT_FALSE(literal.image() == plain.image());
}

TEST(Text, CalcRectMeasuresWithoutDrawing)
{
    TextCanvas canvas(100, 20);
    RECT r{5, 6, 5, 6};
    EXPECT_EQ(DrawTextA(canvas.dc(), "WIDTH", -1, &r, DT_SINGLELINE | DT_CALCRECT), 14);
    EXPECT_EQ(r.right - r.left, canvas.extent("WIDTH").cx);
    EXPECT_EQ(r.bottom - r.top, 14);
    EXPECT_EQ(inkBox(canvas.image(), kWhite).right, 0);
}

TEST(Text, ANewDCDrawsWithTheBoldSystemFontOnAnOpaqueWhiteBackground)
{
    Canvas canvas(100, 30, RGB(0, 0, 255));
    TextOutA(canvas.dc(), 2, 2, "VOLUME", 6);
    SIZE size{};
    GetTextExtentPoint32A(canvas.dc(), "VOLUME", 6, &size);
    EXPECT_EQ(size.cy, 16);
    const Image image = canvas.image();
    EXPECT_EQ(image.at(2, 2), kWhite); // the cell is backed
    EXPECT_EQ(inkBox(image, pixel(0, 0, 255)).right, 2 + size.cx);

    TextCanvas bold(100, 30, FontRequest{16, FW_BOLD});
    EXPECT_EQ(bold.extent("VOLUME").cx, size.cx);
}

TEST(Text, BadArgumentsDrawNothing)
{
    TextCanvas canvas(50, 20);
    RECT r{0, 0, 50, 20};
    EXPECT_EQ(DrawTextA(canvas.dc(), nullptr, -1, &r, DT_SINGLELINE), 0);
    EXPECT_EQ(DrawTextA(canvas.dc(), "x", -1, nullptr, DT_SINGLELINE), 0);
    EXPECT_EQ(DrawTextA(nullptr, "x", -1, &r, DT_SINGLELINE), 0);
    SIZE size{};
    EXPECT_FALSE(GetTextExtentPoint32A(canvas.dc(), nullptr, 3, &size));
    EXPECT_FALSE(GetTextExtentPoint32A(canvas.dc(), "abc", -1, &size));
    EXPECT_EQ(inkBox(canvas.image(), kWhite).right, 0);
}

} // namespace
} // namespace qev::test
