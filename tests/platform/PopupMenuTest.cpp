// TrackPopupMenu on a real server: choices by mouse and keys, dismissals, sub-menus, owner
// drawing, placement at the screen's edges, the idle hook, and nothing left behind. The test's
// input is played from the menu's own idle hook, one step per call, so that everything runs on
// the one thread that owns the windows.
#include "tests/platform/WindowTestKit.h"

#include <X11/keysym.h>

#include <optional>
#include <string>

namespace qev::test
{
namespace
{

class PopupMenuTest : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        owner = makeChild(hostWindow(), 400, 300);
        ASSERT_NE(owner, nullptr);
        settle(owner);
        ASSERT_TRUE(qev::platform::setPopupIdleHook(owner, &idle, this));
    }

    void TearDown() override
    {
        for (HMENU m : menus)
            DestroyMenu(m);
        WindowTest::TearDown();
    }

    HMENU menu(std::initializer_list<std::pair<const char*, UINT_PTR>> items)
    {
        HMENU m = CreatePopupMenu();
        menus.push_back(m);
        for (const auto& [text, id] : items)
            EXPECT_TRUE(text ? AppendMenuA(m, MF_STRING, id, text)
                             : AppendMenuA(m, MF_SEPARATOR, 0, nullptr));
        return m;
    }

    // Shows the menu at a point of the owner window while the script plays.
    BOOL track(HMENU m, int x = 20, int y = 20, UINT flags = 0)
    {
        const POINT p = screenPoint(owner, x, y);
        return TrackPopupMenu(m, flags, p.x, p.y, 0, owner, nullptr);
    }

    POINT centre(HMENU m, UINT item)
    {
        RECT r{};
        EXPECT_TRUE(GetMenuItemRect(owner, m, item, &r)) << "item " << item << " not shown";
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    void moveOnto(HMENU m, UINT item)
    {
        const POINT p = centre(m, item);
        host_->moveTo(p.x, p.y);
    }

    // The command the menu posted to its owner, if any.
    std::optional<WORD> command()
    {
        MSG msg;
        if (!PeekMessageA(&msg, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            return std::nullopt;
        EXPECT_EQ(HIWORD(msg.wParam), 0);
        return LOWORD(msg.wParam);
    }

    void expectNothingLeft()
    {
        EXPECT_TRUE(host_->popupWindows().empty());
        EXPECT_TRUE(host_->canGrabPointer());
        EXPECT_TRUE(host_->canGrabKeyboard());
    }

    HWND owner = nullptr;
    std::vector<HMENU> menus;
    std::vector<std::function<void()>> script;
    size_t played = 0;
    std::vector<DWORD> idleTimes;

private:
    // One step of the script per call; a script that has run out ends the menu after two
    // seconds, so that a test that fails cannot hang.
    static void idle(void* context)
    {
        auto* t = static_cast<PopupMenuTest*>(context);
        t->idleTimes.push_back(GetTickCount());
        if (t->played < t->script.size())
            t->script[t->played++]();
        else if (t->idleTimes.size() > t->script.size() + 40)
            EndMenu();
    }
};

TEST_F(PopupMenuTest, AClickOnAnItemChoosesIt)
{
    HMENU m = menu({{"One", 1}, {"Two", 2}, {"Three", 3}});
    script = {[&] { moveOnto(m, 2); }, [&] { host_->press(1); }, [&] { host_->release(1); }};
    EXPECT_TRUE(track(m));
    EXPECT_EQ(command(), WORD(3));
    EXPECT_EQ(command(), std::nullopt);
    expectNothingLeft();
}

TEST_F(PopupMenuTest, ArrowKeysSkipSeparatorsAndEnterChooses)
{
    HMENU m = menu({{"One", 1}, {nullptr, 0}, {"Two", 0}, {"Three", 3}});
    script = {[&] { host_->tapKey(XK_Down); }, [&] { host_->tapKey(XK_Down); },
              [&] { host_->tapKey(XK_Return); }};
    EXPECT_TRUE(track(m));
    EXPECT_EQ(command(), WORD(0)); // command ids may be 0
    expectNothingLeft();
}

TEST_F(PopupMenuTest, EscapeDismissesWithoutAChoice)
{
    HMENU m = menu({{"One", 1}, {"Two", 2}});
    script = {[&] { host_->tapKey(XK_Down); }, [&] { host_->tapKey(XK_Escape); }};
    EXPECT_TRUE(track(m));
    EXPECT_EQ(command(), std::nullopt);
    expectNothingLeft();
}

TEST_F(PopupMenuTest, AClickOutsideDismissesAndGoesNoFurther)
{
    HMENU m = menu({{"One", 1}, {"Two", 2}});
    const POINT outside = screenPoint(owner, 350, 250); // on our own window, away from the menu
    script = {[&] { host_->click(outside.x, outside.y); }};
    EXPECT_TRUE(track(m));
    EXPECT_EQ(command(), std::nullopt);
    expectNothingLeft();
    received.clear();
    qev::platform::pumpMessages();
    EXPECT_EQ(count(WM_LBUTTONDOWN), 0);
}

TEST_F(PopupMenuTest, TheReleaseOfTheClickThatOpenedTheMenuChoosesNothing)
{
    HMENU m = menu({{"One", 1}, {"Two", 2}});
    const POINT p = screenPoint(owner, 30, 30);
    host_->moveTo(p.x, p.y);
    host_->press(1);
    bool stillOpen = false;
    script = {[&] { host_->release(1); }, [&] { stillOpen = !host_->popupWindows().empty(); },
              [&] { host_->tapKey(XK_Escape); }};
    const POINT menuAt = screenPoint(owner, 20, 20); // the pointer lands on the first item
    EXPECT_TRUE(TrackPopupMenu(m, 0, menuAt.x, menuAt.y, 0, owner, nullptr));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(command(), std::nullopt);
    expectNothingLeft();
}

TEST_F(PopupMenuTest, PressDragAndReleaseOnAnItemChoosesIt)
{
    HMENU m = menu({{"One", 1}, {"Two", 2}});
    host_->press(3);
    script = {[&] { moveOnto(m, 1); }, [&] { host_->release(3); }};
    EXPECT_TRUE(track(m, 20, 20, TPM_RIGHTBUTTON));
    EXPECT_EQ(command(), WORD(2));
    expectNothingLeft();
}

TEST_F(PopupMenuTest, TheRightButtonChoosesOnlyWithRightButtonTracking)
{
    HMENU m = menu({{"One", 1}, {"Two", 2}});
    script = {[&] { moveOnto(m, 1); }, [&] { host_->press(3); }, [&] { host_->release(3); },
              [&] { host_->tapKey(XK_Escape); }};
    EXPECT_TRUE(track(m));
    EXPECT_EQ(command(), std::nullopt);
    expectNothingLeft();
}

TEST_F(PopupMenuTest, ASubMenuOpensBesideItsItemAndPostsItsOwnIds)
{
    HMENU sub = menu({{"Sub A", 10}, {"Sub B", 11}});
    HMENU m = menu({{"One", 1}});
    ASSERT_TRUE(AppendMenuA(m, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "More"));
    ASSERT_TRUE(AppendMenuA(m, MF_STRING, 3, "Last"));
    menus.erase(menus.begin()); // DestroyMenu of the top menu takes the sub-menu with it
    RECT parentItem{};
    RECT subItem{};
    script = {[&] { moveOnto(m, 1); },
              [&]
              {
                  GetMenuItemRect(owner, m, 1, &parentItem);
                  GetMenuItemRect(owner, sub, 0, &subItem);
                  moveOnto(sub, 1);
              },
              [&] { host_->press(1); }, [&] { host_->release(1); }};
    EXPECT_TRUE(track(m));
    EXPECT_EQ(command(), WORD(11));
    EXPECT_GE(subItem.left, parentItem.right - 3);
    EXPECT_EQ(subItem.top, parentItem.top);
    expectNothingLeft();

    played = 0;
    idleTimes.clear();
    script = {[&] { host_->tapKey(XK_Down); }, [&] { host_->tapKey(XK_Down); },
              [&] { host_->tapKey(XK_Right); }, [&] { host_->tapKey(XK_Down); },
              [&] { host_->tapKey(XK_Return); }};
    EXPECT_TRUE(track(m));
    EXPECT_EQ(command(), WORD(11));
    expectNothingLeft();
}

TEST_F(PopupMenuTest, OwnerDrawnItemsAreMeasuredAndDrawnByTheOwnerWithTheirStates)
{
    static const char* kTexts[] = {"plain", "checked", "greyed", "-"};
    HMENU m = CreatePopupMenu();
    menus.push_back(m);
    const UINT flags[] = {MF_OWNERDRAW, MF_OWNERDRAW | MF_CHECKED, MF_OWNERDRAW | MF_GRAYED,
                          MF_OWNERDRAW | MF_SEPARATOR};
    for (UINT i = 0; i < 4; ++i)
        ASSERT_TRUE(AppendMenuA(m, flags[i], 100 + i, kTexts[i]));

    std::vector<ULONG_PTR> measured;
    std::vector<DRAWITEMSTRUCT> drawn;
    onMessage = [&](HWND, UINT message, WPARAM, LPARAM lParam, bool& handled)
    {
        handled = message == WM_MEASUREITEM || message == WM_DRAWITEM;
        if (message == WM_MEASUREITEM)
        {
            auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            EXPECT_EQ(mi->CtlType, static_cast<UINT>(ODT_MENU));
            measured.push_back(mi->itemData);
            mi->itemWidth = 90;
            mi->itemHeight = 20;
        }
        if (message == WM_DRAWITEM)
        {
            auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            drawn.push_back(*di);
            const COLORREF c = (di->itemState & ODS_SELECTED) ? RGB(0, 0, 200) : RGB(200, 200, 0);
            HBRUSH brush = CreateSolidBrush(c);
            RECT everything{-1000, -1000, 1000, 1000}; // the DC is clipped to the item
            FillRect(di->hDC, &everything, brush);
            DeleteObject(brush);
        }
        return LRESULT(TRUE);
    };
    uint32_t selectedPixel = 0;
    uint32_t otherPixel = 0;
    script = {[&] { moveOnto(m, 0); },
              [&]
              {
                  const POINT a = centre(m, 0);
                  const POINT b = centre(m, 1);
                  selectedPixel = host_->readPixels(host_->root(), a.x, a.y, 1, 1).at(0, 0);
                  otherPixel = host_->readPixels(host_->root(), b.x, b.y, 1, 1).at(0, 0);
              },
              [&] { host_->tapKey(XK_Escape); }};
    EXPECT_TRUE(track(m));

    ASSERT_EQ(measured.size(), 4u);
    for (UINT i = 0; i < 4; ++i)
        EXPECT_EQ(measured[i], reinterpret_cast<ULONG_PTR>(kTexts[i]));
    auto lastStateOf = [&](UINT id)
    {
        UINT state = ~0u;
        for (const DRAWITEMSTRUCT& d : drawn)
            if (d.itemID == id)
                state = d.itemState;
        return state;
    };
    EXPECT_EQ(lastStateOf(100), static_cast<UINT>(ODS_SELECTED));
    EXPECT_EQ(lastStateOf(101), static_cast<UINT>(ODS_CHECKED));
    EXPECT_EQ(lastStateOf(102), static_cast<UINT>(ODS_GRAYED | ODS_DISABLED));
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn[0].CtlType, static_cast<UINT>(ODT_MENU));
    EXPECT_EQ(drawn[0].rcItem.bottom - drawn[0].rcItem.top, 20);
    EXPECT_GE(drawn[0].rcItem.right - drawn[0].rcItem.left, 90);
    EXPECT_EQ(selectedPixel, 0x0000C8u);
    EXPECT_EQ(otherPixel, 0xC8C800u);
    expectNothingLeft();
}

struct EdgeCase
{
    const char* name;
    int x; // screen point; negative values count from the right or bottom edge
    int y;
};

class MenuPlacement : public PopupMenuTest, public ::testing::WithParamInterface<EdgeCase>
{
};

TEST_P(MenuPlacement, KeepsTheWholeMenuOnTheScreen)
{
    HMENU m = menu({{"First item", 1}, {"Second", 2}, {"Third", 3}, {"Fourth", 4}});
    const int width = host_->screenWidth();
    const int height = host_->screenHeight();
    const int x = GetParam().x < 0 ? width + GetParam().x : GetParam().x;
    const int y = GetParam().y < 0 ? height + GetParam().y : GetParam().y;
    XWindowAttributes shown{};
    script = {[&]
              {
                  const std::vector<Window> popups = host_->popupWindows();
                  ASSERT_EQ(popups.size(), 1u);
                  XGetWindowAttributes(host_->display(), popups[0], &shown);
              },
              [&] { host_->tapKey(XK_Escape); }};
    EXPECT_TRUE(TrackPopupMenu(m, 0, x, y, 0, owner, nullptr));
    EXPECT_GT(shown.width, 0);
    EXPECT_GE(shown.x, 0);
    EXPECT_GE(shown.y, 0);
    EXPECT_LE(shown.x + shown.width, width);
    EXPECT_LE(shown.y + shown.height, height);
    EXPECT_TRUE(shown.override_redirect);
    expectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(Edges, MenuPlacement,
                         ::testing::Values(EdgeCase{"AboveAndLeftOfTheScreen", -3000, -3000},
                                           EdgeCase{"RightEdge", -5, 300},
                                           EdgeCase{"BottomEdge", 300, -5},
                                           EdgeCase{"BottomRightCorner", -1, -1},
                                           EdgeCase{"TopLeftCorner", 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PopupMenuTest, TheIdleHookRunsAboutEvery50MsAndOurWindowsStayPainted)
{
    HMENU m = menu({{"One", 1}});
    int paintsWhileOpen = 0;
    script = {
        [] {}, [&] { InvalidateRect(owner, nullptr, FALSE); }, [] {},
        [] {}, [&] { paintsWhileOpen = count(WM_PAINT); },     [&] { host_->tapKey(XK_Escape); }};
    received.clear();
    EXPECT_TRUE(track(m));
    EXPECT_EQ(paintsWhileOpen, 1);
    ASSERT_GE(idleTimes.size(), 6u);
    for (size_t i = 1; i < idleTimes.size(); ++i)
        EXPECT_GE(idleTimes[i] - idleTimes[i - 1], 45u) << "call " << i;
    expectNothingLeft();
}

TEST_F(PopupMenuTest, ColumnBreaksStartNewColumns)
{
    HMENU m = CreatePopupMenu();
    menus.push_back(m);
    AppendMenuA(m, MF_STRING, 1, "One");
    AppendMenuA(m, MF_STRING, 2, "Two");
    AppendMenuA(m, MF_STRING | MF_MENUBREAK, 3, "Three");
    AppendMenuA(m, MF_STRING | MF_MENUBARBREAK, 4, "Four");
    RECT r[4]{};
    script = {[&]
              {
                  for (UINT i = 0; i < 4; ++i)
                      GetMenuItemRect(owner, m, i, &r[i]);
              },
              [&] { host_->tapKey(XK_Escape); }};
    EXPECT_TRUE(track(m));
    EXPECT_EQ(r[1].top, r[0].bottom);
    EXPECT_EQ(r[2].top, r[0].top);
    EXPECT_GE(r[2].left, r[0].right);
    EXPECT_EQ(r[3].top, r[0].top);
    EXPECT_GT(r[3].left, r[2].right); // the bar takes room of its own
    expectNothingLeft();
}

TEST_F(PopupMenuTest, DestroyingTheOwnerFromTheHookEndsTheMenu)
{
    HMENU m = menu({{"One", 1}});
    script = {[&] { DestroyWindow(owner); }};
    EXPECT_TRUE(track(m));
    EXPECT_FALSE(IsWindow(owner));
    expectNothingLeft();
}

TEST_F(PopupMenuTest, BadMenusOwnersAndNestingAreRefused)
{
    HMENU m = menu({{"One", 1}});
    HMENU empty = menu({});
    EXPECT_FALSE(TrackPopupMenu(reinterpret_cast<HMENU>(987654), 0, 0, 0, 0, owner, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
    EXPECT_FALSE(TrackPopupMenu(m, 0, 0, 0, 0, hostWindow(), nullptr)); // not ours
    EXPECT_FALSE(TrackPopupMenu(empty, 0, 0, 0, 0, owner, nullptr));
    EXPECT_FALSE(AppendMenuA(m, MF_POPUP, reinterpret_cast<UINT_PTR>(m), "Itself"));
    EXPECT_FALSE(AppendMenuA(m, MF_BITMAP, 1, nullptr));

    BOOL nested = TRUE;
    DWORD nestedError = 0;
    script = {[&]
              {
                  nested = TrackPopupMenu(m, 0, 0, 0, 0, owner, nullptr);
                  nestedError = GetLastError();
              },
              [&] { host_->tapKey(XK_Return); }}; // nothing selected: nothing chosen
    EXPECT_TRUE(track(m));
    EXPECT_FALSE(nested);
    EXPECT_EQ(nestedError, static_cast<DWORD>(ERROR_POPUP_ALREADY_ACTIVE));
    EXPECT_EQ(command(), std::nullopt);

    played = 0;
    script = {[&] { host_->tapKey(XK_Down); }, [&] { host_->tapKey(XK_Return); }};
    EXPECT_EQ(track(m, 20, 20, TPM_RETURNCMD), 1); // returned, not posted
    EXPECT_EQ(command(), std::nullopt);
    expectNothingLeft();
}

TEST(PopupMenus, DestroyingAMenuDestroysItsSubMenus)
{
    HMENU top = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    HMENU subsub = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuA(subsub, MF_STRING, 1, "x"));
    ASSERT_TRUE(AppendMenuA(sub, MF_POPUP, reinterpret_cast<UINT_PTR>(subsub), "deeper"));
    ASSERT_TRUE(AppendMenuA(top, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "sub"));
    EXPECT_FALSE(AppendMenuA(subsub, MF_POPUP, reinterpret_cast<UINT_PTR>(top), "loop"));
    EXPECT_FALSE(AppendMenuA(top, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "twice"));
    EXPECT_EQ(GetMenuItemCount(top), 1);
    EXPECT_TRUE(DestroyMenu(top));
    EXPECT_EQ(GetMenuItemCount(sub), -1);
    EXPECT_EQ(GetMenuItemCount(subsub), -1);
    EXPECT_FALSE(DestroyMenu(sub)); // already gone, harmlessly
    EXPECT_FALSE(AppendMenuA(sub, MF_STRING, 1, "late"));
}

} // namespace
} // namespace qev::test
