// The Windows module's editor as a Windows host drives it: QEV-Phaser.dll loaded with LoadLibrary
// and entered through VSTPluginMain, its editor opened in a real top-level window of the host's,
// the host's GUI thread pumping the window's messages and idling the editor every 20 ms while an
// audio thread processes, and the user's hand played by SendInput from a third thread: mouse
// and keyboard events go through the window system's input queue as a person's would. Pixels are
// read back from the window. Cross-built, run under Wine.
#include "tests/editor/EditorCaptures.h"
#include "tests/editor/InputThread.h"
#include "tests/editor/ModuleHost.h"
#include "tests/support/GdiPixels.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>

namespace editortest
{
namespace
{

using std::chrono::milliseconds;

constexpr const char* kHostClass = "QevDllEditorHost";
constexpr int kEditorWidth = 521;
constexpr int kEditorHeight = 166;
constexpr int kIdlePeriodMs = 20;
// Where the host's window sits on the screen: away from its edges, which would stop a drag, and
// clear of the window the frame's own tests make at the origin.
constexpr int kHostLeft = 600;
constexpr int kHostTop = 560;

void pause(int ms)
{
    std::this_thread::sleep_for(milliseconds(ms));
}

void pumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// ---- The user's hand: SendInput from a thread of its own --------------------------------------

void sendMouse(DWORD flags, int x = 0, int y = 0)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE)
    {
        // Normalised to 0..65535 over the primary screen, rounded to the pixel's middle.
        const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = static_cast<LONG>((x * 65536 + 32768) / width);
        input.mi.dy = static_cast<LONG>((y * 65536 + 32768) / height);
    }
    SendInput(1, &input, sizeof input);
}

void moveTo(POINT at)
{
    sendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, at.x, at.y);
}

void click(POINT at)
{
    moveTo(at);
    pause(50);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    pause(50);
    sendMouse(MOUSEEVENTF_LEFTUP);
}

void pressKey(WORD key)
{
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
}

// The pop-up menu window TrackPopupMenu shows, once it does (null after two seconds).
HWND waitForPopupMenu()
{
    for (int i = 0; i < 200; ++i)
    {
        HWND popup = FindWindowA("#32768", nullptr);
        if (popup && IsWindowVisible(popup))
            return popup;
        pause(10);
    }
    return nullptr;
}

bool popupShown()
{
    const HWND popup = FindWindowA("#32768", nullptr);
    return popup && IsWindowVisible(popup);
}

// Escape until the pop-up menu is gone: the host's GUI thread must not stay in the menu's loop.
void dismissPopupMenu()
{
    for (int attempt = 0; attempt < 10 && popupShown(); ++attempt)
    {
        pressKey(VK_ESCAPE);
        for (int i = 0; i < 20 && popupShown(); ++i)
            pause(10);
    }
}

// ---- What the process holds ---------------------------------------------------------------

std::string frameClassName(HMODULE module)
{
    char name[32];
    std::snprintf(name, sizeof name, "Plugin%p", static_cast<void*>(module));
    return name;
}

bool classRegistered(HMODULE module)
{
    WNDCLASSA unused{};
    return GetClassInfoA(module, frameClassName(module).c_str(), &unused) != FALSE;
}

// GDI objects and USER objects of this process. GetGuiResources answers them on Windows; where
// it answers 0 whatever the process holds (Wine), they are counted by probing every handle
// index: GetObjectType for GDI objects (which also tells bitmaps apart), IsMenu and the windows of
// this thread for USER objects. A test calibrates the count by making and freeing objects.
struct GuiObjects
{
    long gdi = 0;
    long bitmaps = -1; // -1: not counted apart
    long user = 0;
};

BOOL CALLBACK countWindow(HWND window, LPARAM count)
{
    ++*reinterpret_cast<long*>(count);
    EnumChildWindows(window, &countWindow, count);
    return TRUE;
}

bool systemCountsGuiObjects()
{
    return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) != 0;
}

GuiObjects guiObjects()
{
    GuiObjects objects;
    if (systemCountsGuiObjects())
    {
        objects.gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
        objects.user = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
        return objects;
    }
    objects.bitmaps = 0;
    for (uintptr_t index = 1; index < 0x10000; ++index)
        if (const DWORD type = GetObjectType(reinterpret_cast<HGDIOBJ>(index)))
        {
            ++objects.gdi;
            objects.bitmaps += type == OBJ_BITMAP;
        }
    for (uintptr_t index = 0x20; index < 0x10000; index += 2)
        if (IsMenu(reinterpret_cast<HMENU>(index)))
            ++objects.user;
    EnumThreadWindows(GetCurrentThreadId(), &countWindow, reinterpret_cast<LPARAM>(&objects.user));
    return objects;
}

// ---- The host ---------------------------------------------------------------------------------

// The host's top-level window, made once for the whole program: Wine takes its time over top
// levels (about two seconds to destroy one without a window manager).
class HostWindow : public ::testing::Environment
{
public:
    void SetUp() override
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = kHostClass;
        RegisterClassA(&wc);
        window = CreateWindowExA(0, kHostClass, "QEV host", WS_POPUP | WS_VISIBLE, kHostLeft,
                                 kHostTop, 640, 400, nullptr, nullptr, wc.hInstance, nullptr);
        SetForegroundWindow(window);
        pumpMessages();
    }
    void TearDown() override
    {
        DestroyWindow(window);
        pumpMessages();
        UnregisterClassA(kHostClass, GetModuleHandleA(nullptr));
    }
    static inline HWND window = nullptr;
};
[[maybe_unused]] const auto* const hostWindow = ::testing::AddGlobalTestEnvironment(new HostWindow);

class DllEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        topLevel = HostWindow::window;
        ASSERT_NE(topLevel, nullptr);
        SetForegroundWindow(topLevel); // where the keyboard's input goes
        ASSERT_TRUE(module.loaded()) << module.error();
        plugin = std::make_unique<HostedPlugin>(module);
        ASSERT_NE(plugin->effect, nullptr);
    }
    void TearDown() override
    {
        plugin.reset();
        pumpMessages();
        EXPECT_EQ(GetWindow(topLevel, GW_CHILD), nullptr);
    }

    // Asks the size before opening, as hosts do, opens in the host's window and returns the
    // plug-in's window.
    HWND openEditor()
    {
        ERect* rect = nullptr;
        EXPECT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
        EXPECT_NE(rect, nullptr);
        if (rect)
        {
            EXPECT_EQ(rect->right - rect->left, kEditorWidth);
            EXPECT_EQ(rect->bottom - rect->top, kEditorHeight);
        }
        EXPECT_EQ(plugin->dispatch(effEditOpen, 0, 0, topLevel), 1);
        pumpMessages();
        return GetWindow(topLevel, GW_CHILD);
    }

    // The host's GUI thread: messages pumped and an idle every 20 ms until `done` holds or five
    // seconds passed.
    bool idleUntil(const std::function<bool()>& done)
    {
        const Clock::time_point end = Clock::now() + milliseconds(5000);
        while (Clock::now() < end)
        {
            pumpMessages();
            plugin->dispatch(effEditIdle);
            if (done())
                return true;
            pause(kIdlePeriodMs);
        }
        return false;
    }

    void idleFor(int ms)
    {
        const Clock::time_point end = Clock::now() + milliseconds(ms);
        idleUntil([&] { return Clock::now() >= end; });
    }

    // Where a point of the editor is on the screen.
    static POINT screenPoint(HWND editor, int x, int y)
    {
        POINT at{x, y};
        ClientToScreen(editor, &at);
        return at;
    }

    // Sets the parameter, starts the audio, opens the editor and idles a little; the host's
    // record starts afresh.
    HWND openForInput(int index, float value)
    {
        plugin->set(index, value);
        plugin->startAudio();
        const HWND editor = openEditor();
        idleFor(100);
        host.clear();
        return editor;
    }

    bool useMenuAndKnob(HWND editor);

    // Every request of the gestures: one begin and one end for `index`, automation of `index`
    // only, all between them.
    void expectOneGestureOf(int index)
    {
        const std::vector<HostRequest> begins = host.of(audioMasterBeginEdit);
        const std::vector<HostRequest> ends = host.of(audioMasterEndEdit);
        const std::vector<HostRequest> automation = host.of(audioMasterAutomate);
        ASSERT_EQ(begins.size(), 1u);
        ASSERT_EQ(ends.size(), 1u);
        EXPECT_EQ(begins[0].index, index);
        EXPECT_EQ(ends[0].index, index);
        ASSERT_FALSE(automation.empty());
        for (const HostRequest& r : automation)
        {
            EXPECT_EQ(r.index, index);
            EXPECT_GE(r.when, begins[0].when);
            EXPECT_LE(r.when, ends[0].when);
            EXPECT_EQ(r.thread, std::this_thread::get_id());
        }
        EXPECT_FLOAT_EQ(automation.back().opt, plugin->get(index));
    }

    HWND topLevel = nullptr;
    RecordingHost host;
    qev::test::LoadedModule module{QEV_MODULE_PATH};
    std::unique_ptr<HostedPlugin> plugin;
};

TEST_F(DllEditorTest, TheEditorOpensAtItsSizeInAChildWindowOfTheModulesClass)
{
    const HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(GetParent(editor), topLevel);
    RECT client{};
    GetClientRect(editor, &client);
    EXPECT_EQ(client.right, kEditorWidth);
    EXPECT_EQ(client.bottom, kEditorHeight);
    char name[64] = {};
    GetClassNameA(editor, name, sizeof name);
    EXPECT_EQ(name, frameClassName(module.handle));
    EXPECT_NE(module.handle, GetModuleHandleA(nullptr));
    EXPECT_TRUE(classRegistered(module.handle));
    WNDCLASSA registered{};
    ASSERT_TRUE(GetClassInfoA(module.handle, name, &registered));
    EXPECT_EQ(registered.hInstance, module.handle);
    EXPECT_TRUE(IsWindowVisible(editor));

    plugin->dispatch(effEditClose);
    EXPECT_EQ(GetWindow(topLevel, GW_CHILD), nullptr);
    EXPECT_FALSE(classRegistered(module.handle));
}

// What the plug-in's window shows, read back from it after it painted everything: written into
// the build folder for the comparison with the Linux module's windowless picture (which the
// Linux build makes) and for people to look at.
class CaptureTest : public DllEditorTest, public ::testing::WithParamInterface<capture::EditorState>
{
};

capture::Picture windowPixels(HWND window, int width, int height)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const qev::test::GdiCanvas canvas(width, height, 0);
    HDC windowDc = GetDC(window);
    const bool copied = BitBlt(canvas.dc(), 0, 0, width, height, windowDc, 0, 0, SRCCOPY) != FALSE;
    ReleaseDC(window, windowDc);
    if (!copied)
        return {};
    qev::test::GdiImage image = canvas.image();
    return {image.width, image.height, std::move(image.pixels)};
}

TEST_P(CaptureTest, TheWindowsPixelsAreWrittenForTheComparisonWithLinux)
{
    for (const auto& [index, value] : GetParam().values)
        plugin->set(index, value);
    const HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    idleFor(100); // not a wait for the picture: it must be right at once
    const capture::Picture picture = windowPixels(editor, kEditorWidth, kEditorHeight);
    ASSERT_EQ(picture.width, kEditorWidth);
    // A black or one-coloured capture is no capture of the editor: the host's window is black.
    std::set<uint32_t> colours(picture.pixels.begin(), picture.pixels.end());
    EXPECT_GT(colours.size(), 100u);
    const std::string file = capture::captureFile(QEV_CAPTURE_DIR, GetParam().name);
    EXPECT_TRUE(capture::writeBmp(file, picture)) << file;
    // Read back as the comparison reads it.
    const capture::Picture written = capture::readBmp(file);
    EXPECT_EQ(written.pixels, picture.pixels);
    plugin->dispatch(effEditClose);
}

INSTANTIATE_TEST_SUITE_P(States, CaptureTest, ::testing::ValuesIn(capture::editorStates()),
                         [](const auto& info) { return std::string(info.param.name); });

// SPEED's knob: 27, 26, 49 x 49. A drag of 100 pixels up in the editor's linear mode turns it
// by half its range.
TEST_F(DllEditorTest, AKnobDragBySendInputTurnsSpeedInOneGesture)
{
    const HWND editor = openForInput(1, 0.25f);
    ASSERT_NE(editor, nullptr);

    const POINT at = screenPoint(editor, 27 + 24, 26 + 24);
    POINT seen{-1, -1};
    {
        InputThread hand(
            [&]
            {
                moveTo(at);
                pause(60);
                GetCursorPos(&seen);
                sendMouse(MOUSEEVENTF_LEFTDOWN);
                pause(100);
                for (int step = 1; step <= 20; ++step)
                {
                    moveTo(POINT{at.x, at.y - 5 * step});
                    pause(25);
                }
                pause(200);
                sendMouse(MOUSEEVENTF_LEFTUP);
            });
        EXPECT_TRUE(idleUntil([&] { return hand.done(); }));
    }
    idleUntil([&] { return !host.of(audioMasterEndEdit).empty(); });

    EXPECT_EQ(seen.x, at.x);
    EXPECT_EQ(seen.y, at.y);
    EXPECT_NEAR(plugin->get(1), 0.75f, 1e-5f);
    expectOneGestureOf(1);
    plugin->dispatch(effEditClose);
}

// SYNC's menu by the mouse: a click opens its pop-up below the menu, a click on its third entry,
// "1/8", sets SYNC_SPEED to 2.
TEST_F(DllEditorTest, AClickOnAnEntryOfTheSyncMenuSetsSyncSpeed)
{
    const HWND editor = openForInput(2, 0.0f);
    ASSERT_NE(editor, nullptr);

    const POINT menu = screenPoint(editor, 26 + 10, 106 + 8);
    RECT item{}, shownAt{};
    {
        InputThread hand(
            [&]
            {
                click(menu);
                const HWND popup = waitForPopupMenu();
                if (!popup)
                    return;
                GetWindowRect(popup, &shownAt);
                const auto shown = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
                if (!GetMenuItemRect(popup, shown, 2, &item))
                    return;
                pause(100);
                click(POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
            });
        EXPECT_TRUE(idleUntil([&] { return hand.done() && plugin->get(2) == 2.0f; }));
    }
    EXPECT_GT(item.bottom, item.top) << "no item rectangle of the pop-up";
    // The pop-up hangs from the menu's lower left corner.
    const POINT corner = screenPoint(editor, 26, 122);
    EXPECT_EQ(shownAt.left, corner.x);
    EXPECT_EQ(shownAt.top, corner.y);
    EXPECT_EQ(plugin->get(2), 2.0f);
    expectOneGestureOf(2);
    EXPECT_EQ(host.of(audioMasterAutomate).size(), 1u);
    EXPECT_FALSE(popupShown());
    plugin->dispatch(effEditClose);
}

// STAGE's menu by the keyboard: once a click opened it, Down three times and Return choose its
// third entry, "6", and set TYPE to 2.
TEST_F(DllEditorTest, TheKeyboardChoosesAnEntryOfTheStageMenu)
{
    const HWND editor = openForInput(6, 0.0f);
    ASSERT_NE(editor, nullptr);

    const POINT menu = screenPoint(editor, 122 + 10, 106 + 8);
    bool opened = false;
    {
        InputThread hand(
            [&]
            {
                click(menu);
                opened = waitForPopupMenu() != nullptr;
                if (!opened)
                    return;
                pause(100);
                for (int i = 0; i < 3; ++i)
                {
                    pressKey(VK_DOWN);
                    pause(30);
                }
                pressKey(VK_RETURN);
            });
        EXPECT_TRUE(idleUntil([&] { return hand.done() && plugin->get(6) == 2.0f; }));
    }
    EXPECT_TRUE(opened);
    EXPECT_EQ(plugin->get(6), 2.0f);
    expectOneGestureOf(6);
    EXPECT_EQ(host.of(audioMasterAutomate).size(), 1u);
    EXPECT_FALSE(popupShown());
    plugin->dispatch(effEditClose);
}

// The measure of the leak test sees a bitmap, a memory DC, a menu and a window come and go.
TEST_F(DllEditorTest, TheObjectCountSeesObjectsComeAndGo)
{
    std::printf("GetGuiResources %s\n", systemCountsGuiObjects()
                                            ? "counts this process's objects"
                                            : "answers 0: objects counted by handle probing");
    const GuiObjects before = guiObjects();
    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    HMENU menu = CreatePopupMenu();
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 4, 4, topLevel, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    const GuiObjects during = guiObjects();
    DestroyWindow(child);
    DestroyMenu(menu);
    DeleteDC(memory);
    DeleteObject(bitmap);
    const GuiObjects after = guiObjects();
    EXPECT_EQ(during.gdi, before.gdi + 2);
    if (before.bitmaps >= 0)
    {
        EXPECT_EQ(during.bitmaps, before.bitmaps + 1);
    }
    EXPECT_EQ(during.user, before.user + 2);
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.bitmaps, before.bitmaps);
    EXPECT_EQ(after.user, before.user);
}

// The user opens SYNC's pop-up and dismisses it with Escape, then turns SPEED a little: what the
// menu and the knob's loop make must go with them too.
bool DllEditorTest::useMenuAndKnob(HWND editor)
{
    const float speed = plugin->get(1);
    bool opened = false;
    {
        InputThread hand(
            [&]
            {
                click(screenPoint(editor, 26 + 10, 106 + 8));
                opened = waitForPopupMenu() != nullptr;
                pause(100);
                dismissPopupMenu();
                const POINT knob = screenPoint(editor, 27 + 24, 26 + 24);
                moveTo(knob);
                pause(50);
                sendMouse(MOUSEEVENTF_LEFTDOWN);
                for (int step = 1; step <= 4; ++step)
                {
                    pause(25);
                    moveTo(POINT{knob.x, knob.y - 5 * step});
                }
                pause(50);
                sendMouse(MOUSEEVENTF_LEFTUP);
            });
        idleUntil([&] { return hand.done(); });
    }
    idleUntil([&] { return !popupShown() && plugin->get(1) != speed; });
    return opened && !popupShown() && plugin->get(1) != speed;
}

// Opened, painted, used and closed again and again: afterwards the module's window class is gone
// and the process holds the GDI and USER objects it held before the first opening, less the
// background picture the plug-in's editor loads with the plug-in and lets go of at its first
// opening (from then on it holds its pictures only while open).
//
// Wine's USER keeps objects of its own that the first use of a window or a menu makes and that
// outlive them (cached window DCs with their regions, the menu font): a first plug-in instance,
// opened, used, closed and removed before the count starts, has them made.
TEST_F(DllEditorTest, OpeningAndClosingLeaveNoWindowClassAndNoObjectsBehind)
{
    {
        std::unique_ptr<HostedPlugin> measured = std::move(plugin);
        plugin = std::make_unique<HostedPlugin>(module);
        const HWND editor = openEditor();
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(useMenuAndKnob(editor));
        plugin->dispatch(effEditClose);
        plugin = std::move(measured); // the first instance goes with all it had
        pumpMessages();
    }
    ASSERT_FALSE(classRegistered(module.handle));
    const GuiObjects before = guiObjects();
    for (int cycle = 0; cycle < 10; ++cycle)
    {
        const HWND editor = openEditor();
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(classRegistered(module.handle));
        plugin->set(1, cycle % 2 ? 0.25f : 0.75f);
        plugin->set(2, static_cast<float>(cycle));
        plugin->dispatch(effEditIdle);
        RedrawWindow(editor, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        pumpMessages();
        plugin->dispatch(effEditIdle);
        if (cycle == 0)
        {
            const GuiObjects open = guiObjects(); // the count sees the editor's objects
            EXPECT_GT(open.gdi, before.gdi);
            EXPECT_GT(open.user, before.user);
        }
        if (cycle < 3)
        {
            ASSERT_TRUE(useMenuAndKnob(editor)) << "cycle " << cycle;
        }
        plugin->dispatch(effEditClose);
        pumpMessages();
        EXPECT_FALSE(classRegistered(module.handle)) << "cycle " << cycle;
    }
    const GuiObjects after = guiObjects();
    EXPECT_EQ(after.gdi, before.gdi - 1);
    if (before.bitmaps >= 0)
    {
        EXPECT_EQ(after.bitmaps, before.bitmaps - 1);
    }
    EXPECT_EQ(after.user, before.user);
}

} // namespace
} // namespace editortest
