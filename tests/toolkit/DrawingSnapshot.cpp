// Writes a contact sheet of everything the editor draws, for a person to review: the background
// with its knobs and menus, all 80 knob frames, and a line of text in every standard font.
//
//     drawing_snapshot <output.png>
#include "tests/support/Image.h"
#include "toolkit/CBitmap.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/DrawingFacilities.h"

#include <cstdio>
#include <string>

using namespace toolkit;

namespace
{

constexpr int kWidth = 540;
constexpr int kFramesTop = 186;
constexpr int kFrameCell = 54;
constexpr int kTextTop = kFramesTop + 8 * (kFrameCell + 12) + 8;
constexpr int kHeight = kTextTop + 8 * 22 + 8;

const CColor kSheet{36, 39, 47, 255};
const CColor kLabel{170, 176, 190, 255};
const CColor kMenuBack{18, 31, 122, 255};
const CColor kMenuText{120, 120, 120, 255};

void drawEditor(COffscreenContext& sheet, CBitmap& background, CBitmap& knob)
{
    background.draw(&sheet, CRect(0, 0, 521, 166));
    const int xs[7] = {27, 91, 154, 221, 286, 378, 442};
    for (int i = 0; i < 7; ++i)
        knob.drawTransparent(&sheet, CRect(xs[i], 26, xs[i] + 49, 75),
                             CPoint(0, 49 * (i * 79 / 6)));
    const struct
    {
        int x;
        const char* text;
    } menus[2] = {{26, "1/16T"}, {122, "4"}};
    for (const auto& m : menus)
    {
        sheet.setFillColor(kMenuBack);
        sheet.setFontColor(kMenuText);
        sheet.setFont(kNormalFontSmall);
        sheet.drawRect(CRect(m.x, 106, m.x + 50, 122), kDrawFilled);
        sheet.drawString(m.text, CRect(m.x, 106, m.x + 50, 122), 0, kCenterText);
    }
}

void drawFrames(COffscreenContext& sheet, CBitmap& knob)
{
    sheet.setFont(kNormalFontVerySmall);
    sheet.setFontColor(kLabel);
    for (int k = 0; k < 80; ++k)
    {
        const int x = 5 + (k % 10) * kFrameCell;
        const int y = kFramesTop + (k / 10) * (kFrameCell + 12);
        knob.drawTransparent(&sheet, CRect(x, y, x + 49, y + 49), CPoint(0, 49 * k));
        sheet.drawString(std::to_string(k).c_str(), CRect(x, y + 49, x + 49, y + 61), 0,
                         kCenterText);
    }
}

void drawFonts(COffscreenContext& sheet)
{
    const char* names[kNumStandardFonts] = {
        "kSystemFont",      "kNormalFontVeryBig", "kNormalFontBig",       "kNormalFont",
        "kNormalFontSmall", "kNormalFontSmaller", "kNormalFontVerySmall", "kSymbolFont"};
    for (int id = 0; id < kNumStandardFonts; ++id)
    {
        const int y = kTextTop + id * 22;
        sheet.setFont(kNormalFontSmall);
        sheet.setFontColor(kLabel);
        sheet.drawString(names[id], CRect(4, y, 130, y + 22), 0, kLeftText);
        sheet.setFont(id);
        sheet.setFontColor(kWhiteCColor);
        sheet.drawString("SPEED LO-FREQ DRY / WET 1/16T abg 0123", CRect(132, y, 536, y + 22), 0,
                         kLeftText);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: drawing_snapshot <output.png>\n");
        return 2;
    }
    loadDrawingFacilities();
    int status = 0;
    {
        CBitmap background(128);
        CBitmap knob(129);
        knob.setTransparentColor(kBlackCColor);
        COffscreenContext sheet(nullptr, kWidth, kHeight, kSheet);
        drawEditor(sheet, background, knob);
        drawFrames(sheet, knob);
        drawFonts(sheet);
        if (!qev::test::writePng(argv[1], qev::test::imageOf(sheet.getBitmap())))
        {
            std::fprintf(stderr, "drawing_snapshot: cannot write %s\n", argv[1]);
            status = 1;
        }
    }
    freeDrawingFacilities();
    return status;
}
