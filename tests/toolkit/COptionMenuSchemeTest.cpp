#include "toolkit/COptionMenuScheme.h"
#include "tests/toolkit/TextPictures.h"

#include <gtest/gtest.h>

namespace toolkit
{
namespace
{

using namespace testkit;
using qev::test::Canvas;
using qev::test::Image;
using qev::test::sameImage;

// The editor's scheme colours.
const CColor kSelection{25, 25, 25, 255};
const CColor kHilite{255, 255, 255, 255};
const CColor kDisabled{200, 31, 122, 255}; // told apart from the back here
const CRect kItem(0, 0, 80, 18);

COptionMenuScheme* editorScheme()
{
    auto* scheme = new COptionMenuScheme;
    scheme->setColors(kMenuBack, kSelection, kMenuText, kHilite, kDisabled);
    return scheme;
}

TEST(OptionMenuScheme, StartsWithTheSystemMenuColoursAndTheSmallFont)
{
    COptionMenuScheme scheme;
    const COLORREF menu = GetSysColor(COLOR_MENU);
    EXPECT_EQ(scheme.getBackgroundColor(),
              (CColor{GetRValue(menu), GetGValue(menu), GetBValue(menu), 0}));
    EXPECT_EQ(scheme.getHiliteTextColor(), (CColor{255, 255, 255, 0}));
    EXPECT_EQ(scheme.getFont(), kNormalFontSmall);
}

TEST(OptionMenuScheme, ItemsMeasureTheirTextPlusTheCheckColumnBy18)
{
    Canvas canvas(10, 10);
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    COptionMenuScheme scheme;
    CPoint size;
    scheme.getItemSize("-", &context, size);
    EXPECT_EQ(size, CPoint(6, 18));
    context.setFont(kNormalFontSmall);
    const int32_t width = context.getStringWidth("1/16");
    ASSERT_GT(width, 0);
    context.setFont(kSystemFont);
    scheme.getItemSize("1/16", &context, size);
    EXPECT_EQ(size, CPoint(width + 18, 18));
    scheme.getItemSize(nullptr, &context, size);
    EXPECT_EQ(size, CPoint(18, 18));
    scheme.getItemSize("1/16", nullptr, size);
    EXPECT_EQ(size, CPoint(18, 18));
}

// What one item must look like: the back, the check mark, the text 18 pixels in.
Image itemPicture(CColor back, const CColor* mark, CColor text, const char* label,
                  const char* right = nullptr)
{
    Canvas canvas(kItem.width(), kItem.height(), RGB(back.red, back.green, back.blue));
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    if (mark)
    {
        context.setFillColor(*mark);
        context.fillEllipse(CRect(6, 4, 14, 12));
    }
    context.setFont(kNormalFontSmall);
    context.setFontColor(text);
    context.drawString(label, CRect(18, 0, 80, 18), 0, kLeftText);
    if (right)
        context.drawString(right, CRect(30, 0, 80, 18), 0, kLeftText);
    return canvas.image();
}

struct StateCase
{
    const char* name;
    int32_t state;
    CColor back;
    const CColor* mark;
    CColor text;
};

void PrintTo(const StateCase& c, std::ostream* os)
{
    *os << c.name;
}

class ItemState : public ::testing::TestWithParam<StateCase>
{
};

TEST_P(ItemState, DrawsBackMarkAndTextInTheStatesColours)
{
    const StateCase& c = GetParam();
    COptionMenuScheme* scheme = editorScheme();
    Canvas canvas(kItem.width(), kItem.height());
    {
        CDrawContext context(nullptr, canvas.dc(), nullptr);
        scheme->drawItem("1/8", 3, c.state, &context, kItem);
    }
    EXPECT_TRUE(sameImage(canvas.image(), itemPicture(c.back, c.mark, c.text, "1/8"), c.name));
    scheme->forget();
}

INSTANTIATE_TEST_SUITE_P(
    OptionMenuScheme, ItemState,
    ::testing::Values(StateCase{"Plain", 0, kMenuBack, nullptr, kMenuText},
                      StateCase{"Checked", kMenuItemChecked, kMenuBack, &kMenuText, kMenuText},
                      StateCase{"Selected", kMenuItemSelected, kSelection, nullptr, kHilite},
                      StateCase{"CheckedSelected", kMenuItemChecked | kMenuItemSelected, kSelection,
                                &kHilite, kHilite},
                      StateCase{"Disabled", kMenuItemDisabled, kMenuBack, nullptr, kDisabled},
                      StateCase{"DisabledSelected", kMenuItemDisabled | kMenuItemSelected,
                                kSelection, nullptr, kDisabled}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OptionMenuScheme, TextAfterATabGoesTo50PixelsFromTheRight)
{
    COptionMenuScheme* scheme = editorScheme();
    Canvas canvas(kItem.width(), kItem.height());
    {
        CDrawContext context(nullptr, canvas.dc(), nullptr);
        scheme->drawItem("Cut\tCtrl", 0, 0, &context, kItem);
    }
    EXPECT_TRUE(sameImage(canvas.image(), itemPicture(kMenuBack, nullptr, kMenuText, "Cut", "Ctrl"),
                          "tab"));
    scheme->forget();
}

// A separator is two lines across the middle, dark over light, 2 pixels short of each side.
TEST(OptionMenuScheme, SeparatorIsADarkAndALightLineAcrossTheMiddle)
{
    COptionMenuScheme* scheme = editorScheme();
    Canvas canvas(kItem.width(), kItem.height());
    {
        CDrawContext context(nullptr, canvas.dc(), nullptr);
        scheme->drawItem("-", 0, kMenuItemSelected, &context, kItem);
    }
    Image expected(kItem.width(), kItem.height(), rgbOf(kSelection));
    paint(expected, CRect(2, 8, 78, 9), kBlackCColor);
    paint(expected, CRect(2, 9, 78, 10), kWhiteCColor);
    EXPECT_TRUE(sameImage(canvas.image(), expected, "separator"));
    scheme->forget();
}

} // namespace
} // namespace toolkit
