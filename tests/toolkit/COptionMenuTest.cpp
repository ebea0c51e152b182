#include "toolkit/COptionMenu.h"
#include "tests/toolkit/ScriptedMouse.h"
#include "tests/toolkit/TextPictures.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/COptionMenuScheme.h"
#include "toolkit/CPopupMenuBuilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <thread>

namespace toolkit
{
namespace
{

using namespace testkit;
using qev::test::Image;
using qev::test::sameImage;
using Journal = std::vector<std::string>;

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();
const CRect kBox(5, 5, 55, 21);

// A menu whose pop-up is played by the test: `user` stands for the person in front of it.
class PlayedMenu : public COptionMenu
{
public:
    using COptionMenu::COptionMenu;
    using COptionMenu::popUpPosition;

    std::function<int32_t(const CPoint& at)> user;

protected:
    int32_t popUp(const CPoint& at) override { return user ? user(at) : -1; }
};

struct Told
{
    CControl* control;
    float value;
};

class MenuListener : public CControlListener
{
public:
    void valueChanged(CDrawContext*, CControl* control) override
    {
        told.push_back({control, control->getValue()});
    }
    int32_t controlModifierClicked(CDrawContext*, CControl*, int32_t) override { return takes; }
    std::vector<Told> told;
    int32_t takes = 0;
};

// Writes each native menu as one line per item: "3:text" for a command, "-" for a separator,
// ">2:title" for the sub-menu made as menu 2, with " checked", " greyed", " disabled", " owner"
// after it and "|" before an item that starts a column.
class RecordingBuilder : public CPopupMenuBuilder
{
public:
    void* createMenu() override
    {
        menus.emplace_back();
        return reinterpret_cast<void*>(menus.size());
    }
    void appendItem(void* menu, const CPopupItem& item) override
    {
        std::string line = item.newColumn ? "|" : "";
        if (item.kind == CPopupItem::kSeparator)
            line += item.text;
        else if (item.kind == CPopupItem::kSubMenu)
            line += ">" + std::to_string(reinterpret_cast<size_t>(item.subMenu)) + ":" + item.text;
        else
            line += std::to_string(item.command) + ":" + item.text;
        line += std::string(item.checked ? " checked" : "") + (item.greyed ? " greyed" : "") +
                (item.disabled ? " disabled" : "") + (item.ownerDrawn ? " owner" : "");
        menus[reinterpret_cast<size_t>(menu) - 1].push_back(line);
    }
    void destroyMenu(void* menu) override { destroyed.push_back(reinterpret_cast<size_t>(menu)); }

    std::vector<std::vector<std::string>> menus;
    std::vector<size_t> destroyed;
};

class MenuTest : public FrameTreeTest
{
protected:
    // The editor's SYNC menu: its entries, colours and scheme, in the frame at kBox.
    PlayedMenu* syncMenu(int32_t style = 0, CBitmap* pressed = nullptr)
    {
        auto* menu = add(frame, new PlayedMenu(kBox, &listener, 2, nullptr, pressed, style));
        for (const char* text : kSync)
            menu->addEntry(text);
        menu->setFontColor(kMenuText);
        menu->setBackColor(kMenuBack);
        auto* scheme = new COptionMenuScheme;
        menu->setScheme(scheme);
        scheme->forget();
        return menu;
    }
    // A click as the window procedure passes it, with the buttons the mouse holds.
    void click(int32_t buttons)
    {
        ScriptedMouse mouse({{10, 10, buttons}});
        CDrawContext* context = frame->createDrawContext();
        frame->mouse(context, CPoint(10, 10), -1);
        context->forget();
    }

    MenuListener listener;
};

// ---- Entries ---------------------------------------------------------------------------------

TEST_F(MenuTest, ANewMenuHasNoCurrentEntryUntilTheFirstIsAdded)
{
    COptionMenu menu(kBox, nullptr, 0, nullptr, nullptr, kToggleCheckStyle);
    EXPECT_EQ(menu.getCurrent(), -1);
    EXPECT_TRUE(menu.isTypeOf("COptionMenu") && menu.isTypeOf("CParamDisplay"));
    menu.setValue(-0.5f); // would be entry 0, which does not exist yet
    EXPECT_EQ(menu.getCurrent(), -1);
    EXPECT_EQ(menu.getValue(), 0.0f);
    menu.addEntry("first");
    menu.addEntry("second");
    char text[256];
    EXPECT_EQ(menu.getCurrent(text), 0);
    EXPECT_STREQ(text, "first");
    EXPECT_EQ(menu.getNbEntries(), 2);
}

struct ValueCase
{
    const char* name;
    float value;
    int32_t current; // -1: unchanged
};

void PrintTo(const ValueCase& c, std::ostream* os)
{
    *os << c.name;
}

class MenuValue : public MenuTest, public ::testing::WithParamInterface<ValueCase>
{
};

// The value truncates toward zero to an entry; a value with no entry (NaN and infinities
// included) changes nothing, and nor does the value already shown.
TEST_P(MenuValue, SelectsTheEntryTheValueTruncatesTo)
{
    PlayedMenu* menu = syncMenu();
    menu->setValue(5.0f);
    drawWhole(frame);
    menu->setValue(GetParam().value);
    const bool changes = GetParam().current >= 0;
    EXPECT_EQ(menu->getCurrent(), changes ? GetParam().current : 5);
    EXPECT_EQ(menu->getValue(), changes ? GetParam().value : 5.0f);
    EXPECT_EQ(menu->isDirty(), changes && GetParam().value != 5.0f);
    EXPECT_TRUE(listener.told.empty());
}

INSTANTIATE_TEST_SUITE_P(
    MenuTest, MenuValue,
    ::testing::Values(ValueCase{"TwoPointNine", 2.9f, 2}, ValueCase{"MinusHalf", -0.5f, 0},
                      ValueCase{"Last", 12.0f, 12}, ValueCase{"Same", 5.0f, 5},
                      ValueCase{"SameEntryOtherValue", 5.5f, 5}, ValueCase{"Thirteen", 13.0f, -1},
                      ValueCase{"MinusOne", -1.0f, -1}, ValueCase{"Huge", 1e10f, -1},
                      ValueCase{"NaN", kNaN, -1}, ValueCase{"Infinite", kInf, -1},
                      ValueCase{"MinusInfinite", -kInf, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenuTest, SeparatorsAndTitlesAreNotCountedAsChoices)
{
    COptionMenu menu(kBox, nullptr, 0);
    for (const char* text : {"-TTitle", "a", "-", "b", "-Ggrey", "c"})
        menu.addEntry(text);
    EXPECT_FALSE(menu.setCurrent(2)); // a separator
    EXPECT_FALSE(menu.setCurrent(6));
    EXPECT_TRUE(menu.setCurrent(3));
    EXPECT_EQ(menu.getCurrent(nullptr, false), 1); // only "a" before "b"
    EXPECT_TRUE(menu.setCurrent(3, false));        // the fourth choice: "c"
    EXPECT_EQ(menu.getCurrent(), 5);
    EXPECT_TRUE(menu.setCurrent(1, false));
    EXPECT_EQ(menu.getCurrent(), 3);
    EXPECT_TRUE(menu.setCurrent(5, false)); // fewer choices: the last entry
    EXPECT_EQ(menu.getCurrent(), 5);
    EXPECT_EQ(menu.getValue(), 0.0f); // making an entry current leaves the value
}

// Inserting keeps the same entry current, and a mark stays on the entry it was set on.
TEST_F(MenuTest, InsertingBeforeTheCurrentEntryMovesItAndItsMark)
{
    COptionMenu menu(kBox, nullptr, 0);
    for (const char* text : {"a", "b", "c"})
        menu.addEntry(text);
    menu.checkEntry(1, true);
    EXPECT_TRUE(menu.addEntry("x", 0));
    EXPECT_EQ(menu.getCurrent(), 1);
    EXPECT_EQ(menu.getIndex("x"), 0);
    EXPECT_TRUE(menu.isCheckEntry(2));
    EXPECT_FALSE(menu.isCheckEntry(0) || menu.isCheckEntry(1));
    EXPECT_TRUE(menu.addEntry("end", 99)); // past the end: appended
    EXPECT_EQ(menu.getIndex("end"), 4);
    EXPECT_TRUE(menu.checkEntryAlone(4));
    EXPECT_FALSE(menu.isCheckEntry(2));
    EXPECT_FALSE(menu.isCheckEntry(5));
}

TEST_F(MenuTest, RemovingEntriesMovesTheCurrentOneWithThem)
{
    COptionMenu menu(kBox, nullptr, 0);
    for (const char* text : {"a", "b", "c", "d"})
        menu.addEntry(text);
    menu.setCurrent(2);
    EXPECT_TRUE(menu.removeEntry(0));
    char text[256];
    EXPECT_EQ(menu.getCurrent(text), 1);
    EXPECT_STREQ(text, "c");
    EXPECT_FALSE(menu.removeEntry(3));
    menu.setCurrent(0);
    EXPECT_TRUE(menu.removeEntry(0)); // the current entry 0: none is current
    EXPECT_EQ(menu.getCurrent(), -1);
    EXPECT_TRUE(menu.removeAllEntry());
    EXPECT_EQ(menu.getNbEntries(), 0);
    EXPECT_FALSE(menu.getEntry(0, text));
}

TEST_F(MenuTest, HoldsAtMost1024EntriesOf255Characters)
{
    COptionMenu menu(kBox, nullptr, 0);
    for (int i = 0; i < 1024; ++i)
        ASSERT_TRUE(menu.addEntry(std::to_string(i).c_str()));
    EXPECT_FALSE(menu.addEntry("one too many"));
    EXPECT_FALSE(menu.addEntry("early", 0));
    const std::string longText(300, 'x');
    EXPECT_TRUE(menu.setEntry(7, longText.c_str()));
    EXPECT_TRUE(menu.setEntry(8, nullptr));
    char text[256];
    menu.getEntry(7, text);
    EXPECT_EQ(std::string(text), longText.substr(0, 255));
    menu.getEntry(8, text);
    EXPECT_STREQ(text, "8");
    EXPECT_EQ(menu.getIndex("1023"), 1023);
    EXPECT_EQ(menu.getIndex(nullptr), -1);
}

TEST_F(MenuTest, NumberPrefixesAreWrittenAndSkippedWhenShown)
{
    const struct
    {
        int32_t prefix;
        const char* entry;
    } cases[] = {{2, "1 abc"}, {3, "01 abc"}, {4, "001 abc"}, {0, "abc"}};
    const auto picture = [this](int32_t prefix, const char* text)
    {
        frame->removeAll();
        auto* menu = add(frame, new COptionMenu(kBox, nullptr, 0));
        menu->setFontColor(kMenuText);
        menu->setPrefixNumbers(prefix);
        if (text)
            menu->addEntry(text);
        drawWhole(frame);
        return menu;
    };
    picture(0, "abc");
    const Image plain = surfaceOf(frame);
    for (const auto& c : cases)
    {
        COptionMenu* menu = picture(c.prefix, "abc");
        char text[256];
        menu->getEntry(0, text);
        EXPECT_STREQ(text, c.entry);
        EXPECT_TRUE(sameImage(surfaceOf(frame), plain, "prefix")) << c.prefix;
    }
    picture(0, nullptr);
    const Image empty = surfaceOf(frame);
    picture(0, "ab")->setPrefixNumbers(4); // longer than the text: nothing is left to show
    drawWhole(frame);
    EXPECT_TRUE(sameImage(surfaceOf(frame), empty, "prefix-past-the-text"));
}

TEST_F(MenuTest, SubMenusAreHeldByReferenceAndNeverContainTheirOwner)
{
    auto* top = new COptionMenu(kBox, nullptr, 0);
    auto* sub = new COptionMenu(kBox, nullptr, 0);
    auto* subSub = new COptionMenu(kBox, nullptr, 0);
    EXPECT_TRUE(top->addEntry(sub, "Triplets"));
    EXPECT_TRUE(sub->addEntry(subSub, "More"));
    char text[256];
    top->getEntry(0, text);
    EXPECT_STREQ(text, "-MTriplets");
    EXPECT_EQ(sub->getReferenceCount(), 2);
    EXPECT_FALSE(top->addEntry(top, "self"));
    EXPECT_FALSE(subSub->addEntry(top, "cycle"));
    EXPECT_FALSE(top->addEntry(nullptr, "none"));
    EXPECT_FALSE(top->addEntry(sub, nullptr));
    EXPECT_TRUE(top->removeEntry(0)); // the entry takes its sub-menu with it
    EXPECT_EQ(top->getNbSubMenus(), 0);
    EXPECT_EQ(sub->getReferenceCount(), 1);
    sub->forget();
    subSub->forget();
    top->forget();
}

TEST_F(MenuTest, EachMenuHoldsItsSchemeUntilItGoes)
{
    auto* scheme = new COptionMenuScheme;
    auto* a = new COptionMenu(kBox, nullptr, 0);
    auto* b = new COptionMenu(kBox, nullptr, 0);
    a->setScheme(scheme);
    b->setScheme(scheme);
    scheme->forget(); // handed over to the menus
    EXPECT_EQ(a->getScheme(), scheme);
    EXPECT_EQ(scheme->getReferenceCount(), 2);
    a->forget();
    EXPECT_EQ(scheme->getReferenceCount(), 1);
    b->setScheme(b->getScheme()); // the same scheme again keeps it
    EXPECT_EQ(scheme->getReferenceCount(), 1);
    b->forget();
}

// ---- Drawing ---------------------------------------------------------------------------------

// The editor's look: a dark blue box with a black frame and the entry centred in grey.
TEST_F(MenuTest, DrawsTheCurrentEntryCentredInItsBox)
{
    PlayedMenu* menu = syncMenu();
    menu->setValue(1.0f);
    drawWhole(frame);
    Image expected = textPicture(60, 50, kMenuBack, kBox, {{"1/16", kMenuText, CPoint()}});
    outline(expected, kBox, kBlackCColor);
    surround(expected, kBox, kBlackCColor);
    EXPECT_TRUE(sameImage(surfaceOf(frame), expected, "menu-sync"));
    EXPECT_FALSE(menu->isDirty());

    menu->removeAllEntry(); // no current entry: the box alone
    EXPECT_TRUE(menu->isDirty());
    drawWhole(frame);
    expected = Image(60, 50, 0);
    paint(expected, kBox, kMenuBack);
    outline(expected, kBox, kBlackCColor);
    EXPECT_TRUE(sameImage(surfaceOf(frame), expected, "menu-empty"));
}

// ---- The pop-up ------------------------------------------------------------------------------

TEST_F(MenuTest, PopUpTreeNumbersEachMenuInABlockAndMarksItsItems)
{
    PlayedMenu* menu = syncMenu(kCheckCurrentStyle);
    menu->removeAllEntry();
    for (const char* text : {"man", "-", "1/16", "-Ggrey", "-Ttitle"})
        menu->addEntry(text);
    auto* sub = new COptionMenu(kBox, nullptr, 0);
    for (const char* text : {"x", "-Mlost", "y"}) // a sub-menu entry without its sub-menu
        sub->addEntry(text);
    sub->setStyle(kToggleCheckStyle);
    sub->checkEntry(2, true);
    auto* spare = new COptionMenu(kBox, nullptr, 0);
    spare->addEntry("z");
    menu->addEntry(sub, "More");
    menu->addEntry("last");
    menu->addEntry(spare, "Spare");
    menu->setEntry(7, "renamed"); // the spare sub-menu loses its entry
    sub->forget();
    spare->forget();
    menu->setCurrent(2);
    menu->setNbItemsPerColumn(3);

    RecordingBuilder builder;
    int32_t next = 0;
    EXPECT_EQ(menu->buildPopup(builder, next), reinterpret_cast<void*>(1));
    EXPECT_EQ(next, 12); // 8 entries, 3 in "More", 1 in the spare
    using Lines = std::vector<std::string>;
    EXPECT_EQ(builder.menus[0], (Lines{"0:man owner", "- owner", "2:1/16 checked owner",
                                       "|3:grey greyed owner", "4:title disabled owner",
                                       ">2:More owner", "|6:last owner", "7:renamed owner"}));
    EXPECT_EQ(builder.menus[1], (Lines{"8:x", "10:y checked"}));
    // Every command leads back to the entry it was made from.
    const std::pair<int32_t, std::string> commands[] = {
        {0, "man"}, {6, "last"}, {8, "x"}, {10, "y"}, {11, "z"}};
    for (const auto& [command, text] : commands)
    {
        int32_t index = -1;
        COptionMenu* owner = menu->menuForCommand(command, index);
        ASSERT_NE(owner, nullptr) << command;
        char entry[256];
        owner->getEntry(index, entry);
        EXPECT_EQ(entry, text) << command;
    }
    int32_t index = -1;
    EXPECT_EQ(menu->menuForCommand(12, index), nullptr);
    EXPECT_EQ(menu->menuForCommand(-1, index), nullptr);

    menu->destroyPopup(builder);
    EXPECT_EQ(builder.destroyed, std::vector<size_t>{1});
    EXPECT_EQ(menu->getPlatformControl(), nullptr);
}

struct ChoiceCase
{
    const char* name;
    int32_t command;
    float topValue; // after the choice
    int told;       // -1 nobody, 0 the menu, 1 the sub-menu
};

void PrintTo(const ChoiceCase& c, std::ostream* os)
{
    *os << c.name;
}

class Choice : public MenuTest, public ::testing::WithParamInterface<ChoiceCase>
{
};

// A click opens the pop-up inside one gesture with the menu as the focus view; the choice goes
// to the menu that owns it and this menu's listener hears of it once.
TEST_P(Choice, TheChosenEntryBecomesTheOwningMenusValue)
{
    PlayedMenu* menu = syncMenu();
    auto* sub = new COptionMenu(kBox, nullptr, 9);
    sub->addEntry("x");
    sub->addEntry("y");
    menu->addEntry(sub, "More");
    sub->forget();
    menu->setValue(5.0f);
    CView* focusWhileOpen = nullptr;
    menu->user = [&](const CPoint&)
    {
        focusWhileOpen = frame->getFocusView();
        journal().push_back("pop-up");
        return GetParam().command;
    };
    click(kLButton);
    EXPECT_EQ(focusWhileOpen, menu);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(journal(), (Journal{"editor.beginEdit 2", "pop-up", "editor.endEdit 2"}));
    EXPECT_EQ(menu->getValue(), GetParam().topValue);
    ASSERT_EQ(listener.told.size(), GetParam().told < 0 ? 0u : 1u);
    if (GetParam().told >= 0)
    {
        EXPECT_EQ(listener.told[0].control, GetParam().told ? sub : menu);
        EXPECT_EQ(menu->getLastMenu(), GetParam().told ? sub : menu);
    }
    if (GetParam().told == 1)
    {
        EXPECT_EQ(listener.told[0].value, 1.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(MenuTest, Choice,
                         ::testing::Values(ChoiceCase{"ThirdItem", 2, 2.0f, 0},
                                           ChoiceCase{"SameAgain", 5, 5.0f, 0},
                                           ChoiceCase{"SubMenuItem", 15, 5.0f, 1},
                                           ChoiceCase{"Dismissed", -1, 5.0f, -1},
                                           ChoiceCase{"NobodysNumber", 16, 5.0f, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenuTest, PopUpOpensBelowTheMenuOrAtItsTopEdge)
{
    auto* panel = add(frame, new CViewContainer(CRect(2, 3, 60, 50), frame));
    auto* menu = add(panel, new PlayedMenu(kBox, &listener, 2));
    CDrawContext* context = frame->createDrawContext();
    context->offsetScreen = CPoint(100, 200); // the frame window's place on the screen
    EXPECT_EQ(menu->popUpPosition(context), CPoint(107, 224));
    menu->setStyle(kPopUpAtTopStyle);
    EXPECT_EQ(menu->popUpPosition(context), CPoint(107, 208));
    context->forget();
}

// The pressed picture shows while the pop-up is open, and is drawn over at the next idle.
TEST_F(MenuTest, PressedPictureShowsWhileThePopUpIsOpen)
{
    auto* pressed = new SolidBitmap(50, 16, rgbOf(kMagentaCColor));
    PlayedMenu* menu = syncMenu(0, pressed);
    pressed->forget();
    drawWhole(frame);
    uint32_t whileOpen = 0;
    menu->user = [&](const CPoint&)
    {
        whileOpen = surfaceOf(frame).at(6, 6);
        return -1;
    };
    click(kLButton);
    EXPECT_EQ(whileOpen, rgbOf(kMagentaCColor));
    EXPECT_TRUE(menu->isDirty());
}

TEST_F(MenuTest, OnlyLeftAndRightClicksOnAnAttachedMenuOpenIt)
{
    PlayedMenu* menu = syncMenu();
    int opened = 0;
    menu->user = [&](const CPoint&)
    {
        ++opened;
        return -1;
    };
    click(kRButton);
    EXPECT_EQ(menu->getLastButton(), kRButton);
    click(kMButton);
    listener.takes = 1; // a listener that takes modifier clicks over
    click(kLButton | kShift);
    listener.takes = 0;
    menu->setMouseEnabled(false);
    click(kLButton);
    menu->setMouseEnabled(true);
    menu->mouse(nullptr, CPoint(), kLButton);
    EXPECT_EQ(opened, 1);
    frame->removeView(menu, false);
    menu->mouse(nullptr, CPoint(), kLButton);
    EXPECT_EQ(opened, 1);
    menu->forget();
}

// The host may close the editor while the pop-up is open: the choice is dropped and the gesture
// still ends.
TEST_F(MenuTest, MenuTakenOutOfItsFrameWhileOpenDropsTheChoice)
{
    PlayedMenu* menu = syncMenu();
    menu->user = [&](const CPoint&)
    {
        frame->removeView(menu, true);
        return 2;
    };
    click(kLButton);
    EXPECT_TRUE(listener.told.empty());
    EXPECT_EQ(journal(), (Journal{"editor.beginEdit 2", "editor.endEdit 2"}));
    EXPECT_EQ(frame->getNbViews(), 0);
}

// The editor stores parameter values from the host's threads while the window thread draws.
TEST(ControlConcurrency, MenuAndFilmstripKnobTakeValuesFromAnotherThreadWhileDrawn)
{
    qev::test::Canvas canvas(60, 50);
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    COptionMenu menu(kBox, nullptr, 2);
    for (const char* text : kSync)
        menu.addEntry(text);
    auto* strip = new CBitmap(129);
    CAnimKnob knob(CRect(0, 0, 49, 49), nullptr, 1, 80, 49, strip);
    strip->forget();
    constexpr int kRounds = 5000;
    std::thread host(
        [&]
        {
            for (int i = 0; i < kRounds; ++i)
            {
                menu.setValue(static_cast<float>(i % 14)); // 13 has no entry
                knob.setValue(static_cast<float>(i % 101) / 100.0f);
            }
        });
    for (int i = 0; i < kRounds / 10; ++i)
    {
        if (menu.isDirty())
            menu.draw(&context);
        if (knob.isDirty())
            knob.draw(&context);
    }
    host.join();
    menu.draw(&context);
    knob.draw(&context);
    EXPECT_EQ(menu.getCurrent(), static_cast<int32_t>(menu.getValue()));
    EXPECT_FALSE(menu.isDirty() || knob.isDirty());
}

} // namespace
} // namespace toolkit
