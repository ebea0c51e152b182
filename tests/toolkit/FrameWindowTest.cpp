// The frame on a real window in an Xvfb of the test's own: its window and class, clicks and wheel
// turns played through XTEST, paint requests, the host destroying its window first, cursors, and
// the geometry of the windows around it.
#include "tests/platform/WindowTestKit.h"
#include "tests/toolkit/ViewTestKit.h"

#include "platform/Platform.h"
#include "toolkit/CDropTarget.h"
#include "toolkit/COffscreenContext.h"

#include <X11/keysym.h>

#include <cstdio>

namespace toolkit
{
namespace
{

using namespace testkit;
using qev::test::HostClient;
using Journal = std::vector<std::string>;

constexpr uint32_t kGreen = 0x00FF00;

// An editor whose host resizes its window on request.
class ResizingEditor : public RecordingEditor
{
public:
    bool sizeWindow(int32_t width, int32_t height) override
    {
        journal().push_back("editor.sizeWindow " + std::to_string(width) + "x" +
                            std::to_string(height));
        return true;
    }
};

// Lines and text beside the patches, so that every drawing path meets the window.
class Sketch : public CView
{
public:
    explicit Sketch(const CRect& size) : CView(size) { ++Census::views(); }
    ~Sketch() override { --Census::views(); }
    void draw(CDrawContext* context) override
    {
        context->setFrameColor(kYellowCColor);
        context->moveTo(CPoint(size.left, size.top));
        context->lineTo(CPoint(size.right, size.bottom));
        context->setFontColor(kWhiteCColor);
        context->setFont(kNormalFont);
        context->drawString("QEV 42", size);
        setDirty(false);
    }
};

class FrameWindowTest : public qev::test::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        journal().clear();
        views = Census::views();
    }
    void TearDown() override
    {
        for (CFrame* f : frames)
            f->forget();
        EXPECT_EQ(Census::views(), views) << "views left alive";
        WindowTest::TearDown();
    }

    // A frame of 200 x 120 on `parent` with a red patch on the left half and a blue one on the
    // right, painted once; destroyed at the end of the test.
    CFrame* makeFrame(HWND parent, CFrameEditor* frameEditor = nullptr)
    {
        auto* frame =
            new CFrame(CRect(0, 0, 200, 120), parent, frameEditor ? frameEditor : &editor);
        frame->addView(new Patch("a", CRect(0, 0, 100, 120), kRedCColor));
        frame->addView(new Patch("b", CRect(100, 0, 200, 120), kBlueCColor));
        frames.push_back(frame);
        settle(frame->getWindow());
        journal().clear();
        return frame;
    }
    POINT screenOf(CFrame* frame, int x, int y) const
    {
        return screenPoint(frame->getWindow(), x, y);
    }
    void pumpUntilJournal(size_t entries)
    {
        qev::test::waitUntil([&] { return journal().size() >= entries; },
                             [] { qev::platform::pumpMessages(); });
    }
    static std::string className()
    {
        char name[32];
        std::snprintf(name, sizeof name, "Plugin%p",
                      static_cast<void*>(qev::platform::moduleInstance()));
        return name;
    }

    RecordingEditor editor;
    std::vector<CFrame*> frames;
    int views = 0;
};

TEST_F(FrameWindowTest, TheChildWindowIsOfTheModulesClassAtTheOriginAndTakesDrops)
{
    CFrame* frame = makeFrame(hostWindow());
    HWND w = frame->getWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetParent(w), hostWindow());
    const auto style = static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE));
    const DWORD wanted = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    EXPECT_EQ(style & wanted, wanted);
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    EXPECT_EQ(name, className());
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(frame));
    EXPECT_EQ(host_->childrenOf(top_), std::vector<Window>{HostClient::xid(w)});
    const POINT origin = host_->screenOrigin(HostClient::xid(w));
    EXPECT_EQ(origin.x, host_->screenOrigin(top_).x);
    EXPECT_EQ(origin.y, host_->screenOrigin(top_).y);

    EXPECT_TRUE(frame->isDropActive());
    auto* other = new CDropTarget(nullptr);
    other->AddRef();
    EXPECT_EQ(RegisterDragDrop(w, other), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_TRUE(frame->setDropActive(false));
    EXPECT_EQ(RevokeDragDrop(w), DRAGDROP_E_NOTREGISTERED);
    other->Release();

    // One class for every frame of the module, gone with the last.
    CFrame* second = makeFrame(hostWindow());
    frames = {second};
    frame->forget();
    EXPECT_FALSE(UnregisterClassA(className().c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    frames.clear();
    second->forget();
    EXPECT_FALSE(UnregisterClassA(className().c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
}

struct ClickCase
{
    unsigned button;
    unsigned long modifier; // a key held during the click, or 0
    int32_t buttons;
};

// Each click is over before the window's messages are read, as it often is when the host idles
// the editor only every few tens of milliseconds: the view still learns what was pressed.
TEST_F(FrameWindowTest, AQuickClickReachesTheViewUnderItWithItsButtonsAndModifiers)
{
    CFrame* frame = makeFrame(hostWindow());
    const POINT at = screenOf(frame, 120, 50);
    for (const ClickCase& c :
         {ClickCase{1, 0, kLButton}, ClickCase{2, 0, kMButton}, ClickCase{3, 0, kRButton},
          ClickCase{1, XK_Shift_L, kLButton | kShift},
          ClickCase{1, XK_Control_L, kLButton | kControl}, ClickCase{1, XK_Alt_L, kLButton | kAlt}})
    {
        journal().clear();
        if (c.modifier)
            host_->keyDown(c.modifier);
        host_->click(at.x, at.y, c.button);
        pumpUntilJournal(1);
        if (c.modifier)
            host_->keyUp(c.modifier);
        EXPECT_EQ(journal(), Journal{"b.mouse 120,50 " + std::to_string(c.buttons)})
            << "button " << c.button << ", modifier " << c.modifier;
    }
}

TEST_F(FrameWindowTest, TheWheelTurnsTheViewUnderThePointerByNotches)
{
    CFrame* frame = makeFrame(hostWindow());
    const POINT at = screenOf(frame, 30, 60);
    host_->moveTo(at.x, at.y);
    host_->press(4); // a notch up
    host_->release(4);
    pumpUntilJournal(1);
    host_->press(5);
    host_->release(5);
    pumpUntilJournal(2);
    // Half a notch, as a high-resolution wheel sends it: screen coordinates in the message.
    const POINT there = screenOf(frame, 150, 10);
    SendMessageA(frame->getWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA / 2),
                 MAKELPARAM(there.x, there.y));
    EXPECT_EQ(journal(), (Journal{"a.wheel 30,60 1.000000", "a.wheel 30,60 -1.000000",
                                  "b.wheel 150,10 0.500000"}));
}

TEST_F(FrameWindowTest, APaintRedrawsOnlyItsRectangleThroughTheOffscreenBuffer)
{
    CFrame* frame = makeFrame(hostWindow());
    const Window x = HostClient::xid(frame->getWindow());
    host_->fillWindow(x, kGreen, 0, 0, 200, 120);
    host_->expose(x, 10, 20, 30, 40);
    pumpUntilJournal(1);
    syncBoth();
    EXPECT_EQ(journal(), Journal{"a.draw"});
    EXPECT_NE(frame->getOffscreenContext(), nullptr);
    const qev::test::ServerPixels shown = host_->readPixels(x, 0, 0, 200, 120);
    for (int y = 0; y < 120; ++y)
        for (int i = 0; i < 200; ++i)
        {
            const bool inside = i >= 10 && i < 40 && y >= 20 && y < 60;
            ASSERT_EQ(shown.at(i, y), inside ? rgbOf(kRedCColor) : kGreen) << i << "," << y;
        }
}

TEST_F(FrameWindowTest, AFrameOnAWindowShowsExactlyThePixelsOfTheSameFrameDrawnWindowless)
{
    auto populate = [](CFrame* frame)
    {
        auto* background = new SolidBitmap(200, 120, 0x336699);
        frame->setBackground(background);
        background->forget();
        frame->addView(new Patch("a", CRect(20, 10, 90, 70), kRedCColor));
        auto* panel = new Panel(CRect(90, 30, 190, 110), frame);
        panel->setBackgroundColor(kGreyCColor);
        panel->addView(new Patch("c", CRect(5, 5, 40, 40), kMagentaCColor));
        frame->addView(panel);
        frame->addView(new Sketch(CRect(0, 80, 200, 120)));
    };
    auto* windowless = new CFrame(CRect(0, 0, 200, 120), nullptr, nullptr);
    populate(windowless);
    drawWhole(windowless);
    const qev::test::Image expected = surfaceOf(windowless);
    windowless->forget();

    auto* frame = new CFrame(CRect(0, 0, 200, 120), hostWindow(), nullptr);
    frames.push_back(frame);
    populate(frame);
    settle(frame->getWindow());
    const qev::test::ServerPixels shown =
        host_->readPixels(HostClient::xid(frame->getWindow()), 0, 0, 200, 120);
    for (int y = 0; y < 120; ++y)
        for (int i = 0; i < 200; ++i)
            ASSERT_EQ(shown.at(i, y), expected.at(i, y)) << i << "," << y;
}

TEST_F(FrameWindowTest, TheHostDestroyingItsWindowClosesTheFrameWhichThenGoesQuietly)
{
    CFrame* frame = makeFrame(hostWindow());
    const int clients = host_->clientCount();
    host_->destroy(top_);
    qev::test::waitUntil([&] { return !frame->isOpen(); }, [] { qev::platform::pumpMessages(); });
    EXPECT_FALSE(frame->isOpen());
    EXPECT_EQ(frame->getSystemWindow(), nullptr);
    EXPECT_EQ(frame->getWindow(), nullptr);
    EXPECT_FALSE(frame->isDropActive());
    frame->getView(0)->setDirty(true);
    frame->idle();
    frame->update(nullptr);
    EXPECT_TRUE(journal().empty());
    frames.clear();
    frame->forget();
    EXPECT_FALSE(UnregisterClassA(className().c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
    EXPECT_TRUE(qev::test::waitUntil([&] { return host_->clientCount() == clients - 1; }));
}

TEST_F(FrameWindowTest, CursorsFollowTheTableOrAreTheOneInUseAtTheFirstCall)
{
    const std::pair<int32_t, LPCSTR> table[] = {
        {0, nullptr},     {1, IDC_WAIT},     {2, IDC_SIZEWE},   {3, IDC_SIZENS},
        {4, IDC_SIZEALL}, {5, IDC_SIZENESW}, {6, IDC_SIZENWSE}, {7, nullptr},
        {8, IDC_NO},      {9, IDC_HAND},     {42, nullptr},     {-1, nullptr}};
    for (const auto& [type, shape] : table)
    {
        CFrame* frame = makeFrame(hostWindow());
        SetCursor(LoadCursorA(nullptr, IDC_CROSS));
        EXPECT_TRUE(frame->setCursor(9)); // saves the cross
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
        EXPECT_TRUE(frame->setCursor(type));
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, shape ? shape : IDC_CROSS)) << "type " << type;
        frames.pop_back();
        frame->forget();
    }
}

// The host puts a wrapper of its own between its top level and the editor, a few pixels larger.
TEST_F(FrameWindowTest, PositionSizeAndResizingFollowTheHostsWindows)
{
    const Window wrapper = host_->createChild(top_, 7, 9, 210, 130);
    CFrame* frame = makeFrame(HostClient::hwnd(wrapper));

    const POINT pointer = screenOf(frame, 33, 44);
    host_->moveTo(pointer.x, pointer.y);
    CPoint where;
    EXPECT_TRUE(frame->getCurrentLocation(where));
    EXPECT_EQ(where, CPoint(33, 44));

    int32_t x = -1;
    int32_t y = -1;
    EXPECT_TRUE(frame->getPosition(x, y)); // the wrapper is the outer window
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 9);
    CRect size;
    EXPECT_TRUE(frame->getSize(size));
    const POINT wrapperOrigin = host_->screenOrigin(wrapper);
    EXPECT_EQ(size, CRect(wrapperOrigin.x, wrapperOrigin.y, wrapperOrigin.x + 210,
                          wrapperOrigin.y + 130));

    // Without a host that resizes: our window grows, the host's are never touched.
    EXPECT_FALSE(frame->setSize(200, 120));
    EXPECT_TRUE(frame->setSize(220, 130));
    RECT ours{};
    GetWindowRect(frame->getWindow(), &ours);
    EXPECT_EQ(ours.right - ours.left, 220);
    EXPECT_EQ(ours.bottom - ours.top, 130);
    EXPECT_EQ(frame->getViewSize(size), CRect(0, 0, 220, 130));
    RECT host{};
    GetWindowRect(HostClient::hwnd(wrapper), &host);
    EXPECT_EQ(host.right - host.left, 210);

    // With one, the host is asked and the frame's window follows.
    ResizingEditor resizing;
    CFrame* second = makeFrame(HostClient::hwnd(top_), &resizing);
    second->setViewSize(CRect(0, 0, 240, 150));
    EXPECT_EQ(journal(), Journal{"editor.sizeWindow 240x150"});
    GetWindowRect(second->getWindow(), &ours);
    EXPECT_EQ(ours.right - ours.left, 240);
    EXPECT_EQ(second->getViewSize(size), CRect(0, 0, 240, 150));
    EXPECT_EQ(second->getOffscreenContext()->getWidth(), 240) << "the buffer follows the size";
    frames.pop_back();
    second->forget();
}

} // namespace
} // namespace toolkit
