// The option menu's pop-up on a real server: a click played through XTEST opens the window
// system's menu, the frame's window procedure has its items measured and drawn by the menu's
// scheme, and the choice comes back as the menu's value. The person in front of the menu is a
// script played from the pop-up's idle hook, one step per call, on the thread of the windows.
#include "tests/platform/WindowTestKit.h"
#include "tests/support/Canvas.h"
#include "tests/toolkit/ViewTestKit.h"

#include "toolkit/COptionMenu.h"
#include "toolkit/COptionMenuScheme.h"

#include <X11/keysym.h>

namespace toolkit
{
namespace
{

using namespace testkit;
using qev::test::Canvas;
using qev::test::Image;
using Journal = std::vector<std::string>;

constexpr int32_t kTag = 7;
const CRect kBox(20, 30, 80, 46);
const char* const kSync[] = {"man",   "1/16", "1/8",  "1/4",  "1/2",  "1/1", "2/1",
                             "1/16T", "1/8T", "1/4T", "1/2T", "1/1T", "2/1T"};
const CColor kBack{18, 31, 122, 255};
const CColor kSelection{25, 25, 25, 255};
const CColor kText{120, 120, 120, 255};
const CColor kHilite{255, 255, 255, 255};
const CColor kDisabled{200, 31, 122, 255};

// Writes each report into the journal, between the editor's gestures.
class JournalListener : public CControlListener
{
public:
    void valueChanged(CDrawContext* context, CControl* control) override
    {
        journal().push_back("valueChanged " + std::to_string(control->getTag()) + " " +
                            std::to_string(control->getValue()) +
                            (context ? "" : " without a context"));
    }
};

class OptionMenuPopupTest : public qev::test::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        journal().clear();
        frame = new CFrame(CRect(0, 0, 200, 120), hostWindow(), &editor);
        menu = new COptionMenu(kBox, &listener, kTag, nullptr, nullptr, kCheckCurrentStyle);
        for (const char* text : kSync)
            menu->addEntry(text);
        scheme = new COptionMenuScheme;
        scheme->setColors(kBack, kSelection, kText, kHilite, kDisabled);
        menu->setScheme(scheme);
        frame->addView(menu);
        settle(frame->getWindow());
        ASSERT_TRUE(qev::platform::setPopupIdleHook(frame->getWindow(), &idle, this));
        journal().clear();
    }

    void TearDown() override
    {
        frame->forget();
        scheme->forget();
        WindowTest::TearDown();
    }

    // Clicks the menu on the screen and lets the frame's window take the click, which opens the
    // pop-up and returns when the script has closed it.
    void clickTheMenu(unsigned button = 1)
    {
        const POINT at = screenPoint(frame->getWindow(), kBox.left + 10, kBox.top + 8);
        host_->click(at.x, at.y, button);
        qev::test::waitUntil(
            []
            { return !journal().empty() && journal().back().find("endEdit") != std::string::npos; },
            [] { qev::platform::pumpMessages(); });
    }

    RECT itemRect(COptionMenu* owner, UINT item)
    {
        RECT r{};
        EXPECT_TRUE(GetMenuItemRect(frame->getWindow(),
                                    static_cast<HMENU>(owner->getPlatformControl()), item, &r))
            << "item " << item << " not shown";
        return r;
    }

    void moveOnto(COptionMenu* owner, UINT item)
    {
        const RECT r = itemRect(owner, item);
        host_->moveTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    // Entry `index` of the pop-up as the server shows it, without the row below the scheme's
    // rectangle, and as the scheme draws it on its own in that state.
    void expectItemShownAsTheSchemeDrawsIt(UINT index, int32_t state)
    {
        const RECT r = itemRect(menu, index);
        const int width = r.right - r.left;
        const int height = r.bottom - r.top - 1;
        ASSERT_GT(width, 18);
        ASSERT_EQ(height, 17);
        Canvas canvas(width, height, RGB(0, 255, 0));
        CDrawContext* context = new CDrawContext(nullptr, canvas.dc(), nullptr);
        scheme->drawItem(kSync[index], static_cast<int32_t>(index), state, context,
                         CRect(0, 0, width, height));
        context->forget();
        const Image expected = canvas.image();
        const qev::test::ServerPixels shown =
            host_->readPixels(host_->root(), r.left, r.top, width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(shown.at(x, y), expected.at(x, y))
                    << "entry " << kSync[index] << " at " << x << "," << y;
    }

    static void idle(void* context)
    {
        auto* t = static_cast<OptionMenuPopupTest*>(context);
        if (t->played < t->script.size())
            t->script[t->played++]();
        else if (++t->idlesAfterScript > 40)
            EndMenu(); // a script that did not close the menu fails instead of hanging
    }

    RecordingEditor editor;
    JournalListener listener;
    CFrame* frame = nullptr;
    COptionMenu* menu = nullptr;
    COptionMenuScheme* scheme = nullptr;
    std::vector<std::function<void()>> script;
    size_t played = 0;
    int idlesAfterScript = 0;
};

TEST_F(OptionMenuPopupTest, ItemsAreDrawnByTheSchemeAndAClickOnOneEighthChoosesIt)
{
    CView* focusWhileOpen = nullptr;
    script = {
        [&]
        {
            focusWhileOpen = frame->getFocusView();
            moveOnto(menu, 2);
        },
        [&]
        {
            for (UINT i = 0; i < 13; ++i)
                expectItemShownAsTheSchemeDrawsIt(i, i == 0   ? kMenuItemChecked
                                                     : i == 2 ? kMenuItemSelected
                                                              : 0);
            const RECT r = itemRect(menu, 2);
            EXPECT_EQ(host_->readPixels(host_->root(), r.left + 2, r.top + 2, 1, 1).at(0, 0),
                      rgbOf(kSelection));
            const RECT below = itemRect(menu, 3);
            EXPECT_EQ(below.top, r.bottom) << "18 pixels an item";
            EXPECT_EQ(
                host_->readPixels(host_->root(), below.left + 2, below.top + 2, 1, 1).at(0, 0),
                rgbOf(kBack));
        },
        [&] { host_->press(1); }, [&] { host_->release(1); }};
    clickTheMenu();

    EXPECT_EQ(played, script.size());
    EXPECT_EQ(focusWhileOpen, menu);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(journal(),
              (Journal{"editor.beginEdit 7", "valueChanged 7 2.000000", "editor.endEdit 7"}));
    EXPECT_EQ(menu->getValue(), 2.0f);
    EXPECT_EQ(menu->getCurrent(), 2);
    EXPECT_EQ(menu->getLastResult(), 2);
    EXPECT_EQ(menu->getPlatformControl(), nullptr);
    EXPECT_TRUE(host_->popupWindows().empty());
    MSG left{};
    EXPECT_FALSE(PeekMessageA(&left, nullptr, WM_COMMAND, WM_COMMAND, PM_NOREMOVE))
        << "the choice was left in the queue";
}

// Dismissed with Escape after a right click, or with a click outside it: nothing changes and
// nobody is told, but the gesture is ended all the same.
TEST_F(OptionMenuPopupTest, DismissingThePopUpChangesNothing)
{
    menu->setValue(4.0f);
    journal().clear();
    const POINT outside = screenPoint(frame->getWindow(), 190, 10);
    struct Dismissal
    {
        unsigned button;
        std::function<void()> step;
    };
    for (const Dismissal& d : {Dismissal{3, [&] { host_->tapKey(XK_Escape); }},
                               Dismissal{1, [&] { host_->click(outside.x, outside.y); }}})
    {
        played = 0;
        script = {[&] { moveOnto(menu, 2); }, d.step};
        journal().clear();
        clickTheMenu(d.button);
        EXPECT_EQ(played, script.size());
        EXPECT_EQ(journal(), (Journal{"editor.beginEdit 7", "editor.endEdit 7"}));
        EXPECT_EQ(menu->getValue(), 4.0f);
        EXPECT_EQ(menu->getCurrent(), 4);
        EXPECT_EQ(menu->getLastResult(), -1);
        EXPECT_EQ(menu->getLastButton(), d.button == 3 ? kRButton : kLButton);
        EXPECT_EQ(frame->getFocusView(), nullptr);
        EXPECT_TRUE(host_->popupWindows().empty());
    }
}

TEST_F(OptionMenuPopupTest, ASubMenusChoiceBecomesTheSubMenusValue)
{
    auto* sub = new COptionMenu(CRect(0, 0, 10, 10), nullptr, 9);
    for (const char* text : {"Sub A", "Sub B", "Sub C"})
        sub->addEntry(text);
    sub->setScheme(scheme);
    ASSERT_TRUE(menu->addEntry(sub, "More"));
    sub->forget();
    script = {[&] { moveOnto(menu, 13); }, [&] { moveOnto(sub, 1); }, [&] { host_->press(1); },
              [&] { host_->release(1); }};
    clickTheMenu();

    EXPECT_EQ(played, script.size());
    EXPECT_EQ(sub->getValue(), 1.0f);
    EXPECT_EQ(sub->getCurrent(), 1);
    EXPECT_EQ(menu->getCurrent(), 0);
    EXPECT_EQ(menu->getLastResult(), 15); // after the 14 numbers of the menu itself
    EXPECT_EQ(menu->getLastMenu(), sub);
    // The listener of the menu that was clicked is told, about the sub-menu.
    EXPECT_EQ(journal(),
              (Journal{"editor.beginEdit 7", "valueChanged 9 1.000000", "editor.endEdit 7"}));
}

} // namespace
} // namespace toolkit
