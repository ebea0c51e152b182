// Our child windows in a host's window: geometry, visual, parent, what foreign windows answer,
// classes and window data, resizing, the connection's lifetime and leaks over many windows.
#include "tests/platform/WindowTestKit.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstring>

namespace qev::test
{
namespace
{

using qev::platform::windowSystemConnected;

struct VisualCase
{
    const char* name;
    int depth; // 0: the screen's default visual
    bool sharedMemory;
};

class ChildWindow : public WindowTest, public ::testing::WithParamInterface<VisualCase>
{
protected:
    // Without MIT-SHM, as on a remote display: the pixels go through XPutImage.
    std::vector<std::string> serverArguments() const override
    {
        if (GetParam().sharedMemory)
            return {};
        return {"-extension", "MIT-SHM"};
    }
};

TEST_P(ChildWindow, TakesItsParentsVisualSitsAtItsPlaceAndShowsWhatIsDrawn)
{
    Window parent = top_;
    if (GetParam().depth == 32)
    {
        Visual* argb = host_->findVisual(TrueColor, 32);
        if (!argb)
            GTEST_SKIP() << "no 32-bit visual on this server";
        parent = host_->createTopLevel(600, 300, argb, 32);
    }
    HWND w = makeChild(HostClient::hwnd(parent), 521, 166);
    ASSERT_NE(w, nullptr);
    syncBoth();

    XWindowAttributes ours;
    XWindowAttributes theirs;
    ASSERT_TRUE(XGetWindowAttributes(host_->display(), HostClient::xid(w), &ours));
    ASSERT_TRUE(XGetWindowAttributes(host_->display(), parent, &theirs));
    EXPECT_EQ(host_->parentOf(HostClient::xid(w)), parent);
    EXPECT_EQ(ours.x, 0);
    EXPECT_EQ(ours.y, 0);
    EXPECT_EQ(ours.width, 521);
    EXPECT_EQ(ours.height, 166);
    EXPECT_EQ(ours.visual, theirs.visual);
    EXPECT_EQ(ours.depth, theirs.depth);
    EXPECT_EQ(ours.colormap, theirs.colormap);
    EXPECT_EQ(ours.map_state, IsViewable);
    EXPECT_EQ(GetParent(w), HostClient::hwnd(parent));

    const POINT origin = host_->screenOrigin(parent);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(w, &rect));
    EXPECT_EQ(rect.left, origin.x);
    EXPECT_EQ(rect.top, origin.y);
    EXPECT_EQ(rect.right - rect.left, 521);
    EXPECT_EQ(rect.bottom - rect.top, 166);

    settle(w);
    HDC dc = GetDC(w);
    HBRUSH brush = CreateSolidBrush(RGB(200, 40, 90));
    const RECT all{0, 0, 521, 166};
    FillRect(dc, &all, brush);
    EXPECT_EQ(ReleaseDC(w, dc), 1);
    DeleteObject(brush);
    syncBoth();
    const ServerPixels shown = host_->readPixels(HostClient::xid(w), 0, 0, 521, 166);
    ASSERT_EQ(shown.width, 521);
    EXPECT_EQ(shown.at(0, 0), 0xC8285Au);
    EXPECT_EQ(shown.at(520, 165), 0xC8285Au);
}

INSTANTIATE_TEST_SUITE_P(Visuals, ChildWindow,
                         ::testing::Values(VisualCase{"Default24", 0, true},
                                           VisualCase{"Argb32", 32, true},
                                           VisualCase{"Default24WithoutSharedMemory", 0, false},
                                           VisualCase{"Argb32WithoutSharedMemory", 32, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, AParentWhoseVisualCannotBeDrawnOnMakesCreationFailCleanly)
{
    Visual* direct = host_->findVisual(DirectColor, 24);
    if (!direct)
        GTEST_SKIP() << "no DirectColor visual on this server";
    const Window parent = host_->createTopLevel(300, 200, direct, 24);
    SetLastError(0);
    EXPECT_EQ(makeChild(HostClient::hwnd(parent)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_TRUE(host_->childrenOf(parent).empty());
    EXPECT_FALSE(windowSystemConnected());
}

TEST_F(WindowTest, BadParentsAndHandlesAreRefusedWithoutAnyXError)
{
    EXPECT_EQ(makeChild(reinterpret_cast<HWND>(0x1ABCDEF)), nullptr); // no such window
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    int standIn = 0;
    EXPECT_EQ(makeChild(reinterpret_cast<HWND>(&standIn)), nullptr); // not even an X id
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_CHILD, 0, 0, 10, 10, hostWindow(), nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(CreateWindowExA(0, kClassName, "", WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr); // no top-level windows of our own

    HWND w = makeChild(hostWindow());
    ASSERT_NE(w, nullptr);
    RECT r;
    EXPECT_FALSE(GetWindowRect(reinterpret_cast<HWND>(&standIn), &r));
    EXPECT_FALSE(GetWindowRect(reinterpret_cast<HWND>(0x1ABCDEF), &r));
    EXPECT_EQ(GetParent(reinterpret_cast<HWND>(0x1ABCDEF)), nullptr);
    EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(0x1ABCDEF)));
    EXPECT_FALSE(DestroyWindow(hostWindow())); // never ours to destroy
    EXPECT_FALSE(SetWindowPos(hostWindow(), nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER));
    EXPECT_EQ(SetWindowLongPtrA(hostWindow(), GWLP_USERDATA, 5), 0);
    char name[32];
    EXPECT_EQ(GetClassNameA(reinterpret_cast<HWND>(&standIn), name, sizeof name), 0);
    XWindowAttributes a;
    XGetWindowAttributes(host_->display(), top_, &a);
    EXPECT_EQ(a.width, 640);
}

TEST_F(WindowTest, ForeignWindowsAnswerWhatTheServerTells)
{
    XClassHint hint{const_cast<char*>("qevhost"), const_cast<char*>("QevHost")};
    XSetClassHint(host_->display(), top_, &hint);
    const Window wrapper = host_->createChild(top_, 20, 30, 560, 200);
    HWND w = makeChild(HostClient::hwnd(wrapper), 521, 166);
    ASSERT_NE(w, nullptr);

    EXPECT_EQ(GetParent(w), HostClient::hwnd(wrapper));
    EXPECT_EQ(GetParent(HostClient::hwnd(wrapper)), hostWindow());
    EXPECT_EQ(GetParent(hostWindow()), nullptr); // the root counts as none
    EXPECT_TRUE(GetWindowLongA(hostWindow(), GWL_STYLE) & WS_CAPTION);
    EXPECT_TRUE(GetWindowLongA(hostWindow(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongA(HostClient::hwnd(wrapper), GWL_STYLE) & WS_CAPTION);
    EXPECT_TRUE(GetWindowLongA(HostClient::hwnd(wrapper), GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE)),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));

    char name[64];
    EXPECT_EQ(GetClassNameA(hostWindow(), name, sizeof name), 7);
    EXPECT_STREQ(name, "QevHost");
    EXPECT_EQ(GetClassNameA(hostWindow(), name, 4), 3);
    EXPECT_STREQ(name, "Qev");
    EXPECT_EQ(GetClassNameA(HostClient::hwnd(wrapper), name, sizeof name), 0);
    EXPECT_EQ(GetClassNameA(w, name, sizeof name), static_cast<int>(std::strlen(kClassName)));
    EXPECT_STREQ(name, kClassName);

    RECT outer;
    ASSERT_TRUE(GetWindowRect(HostClient::hwnd(wrapper), &outer));
    const POINT o = host_->screenOrigin(wrapper);
    EXPECT_EQ(outer.left, o.x);
    EXPECT_EQ(outer.right - outer.left, 560);
    POINT p{5, 6};
    MapWindowPoints(w, nullptr, &p, 1);
    EXPECT_EQ(p.x, o.x + 5);
    EXPECT_EQ(p.y, o.y + 6);
    MapWindowPoints(nullptr, hostWindow(), &p, 1);
    EXPECT_EQ(p.x, 20 + 5);
    EXPECT_EQ(p.y, 30 + 6);
}

TEST_F(WindowTest, CreationSendsItsMessagesAndWindowDataIsKept)
{
    int parameter = 0;
    LPVOID seen = nullptr;
    onMessage = [&](HWND, UINT message, WPARAM, LPARAM lParam, bool& handled)
    {
        handled = false;
        if (message == WM_CREATE)
            seen = reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams;
        return LRESULT(0);
    };
    HWND w = CreateWindowExA(0, kClassName, "Window", WS_CHILD | WS_VISIBLE, 0, 0, 40, 30,
                             hostWindow(), nullptr, nullptr, &parameter);
    ASSERT_NE(w, nullptr);
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(received[1].message, static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(seen, &parameter);

    EXPECT_EQ(SetWindowLongPtrA(w, GWLP_USERDATA, 1234), 0);
    EXPECT_EQ(SetWindowLongPtrA(w, GWLP_USERDATA, 99), 1234);
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_USERDATA), 99);
    EXPECT_FALSE(UnregisterClassA(kClassName, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    WNDCLASSA again{};
    again.lpfnWndProc = &DefWindowProcA;
    again.lpszClassName = "qevtestwindow"; // class names ignore case
    EXPECT_EQ(RegisterClassA(&again), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    received.clear();
    EXPECT_TRUE(DestroyWindow(w));
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(received[1].message, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(DestroyWindow(w));
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_USERDATA), 0);
}

TEST_F(WindowTest, AProcedureRefusingCreationLeavesNoWindowAndNoConnection)
{
    onMessage = [](HWND, UINT message, WPARAM, LPARAM, bool& handled)
    {
        handled = message == WM_CREATE;
        return LRESULT(-1);
    };
    EXPECT_EQ(makeChild(hostWindow()), nullptr);
    EXPECT_TRUE(host_->childrenOf(top_).empty());
    EXPECT_FALSE(windowSystemConnected());
}

TEST_F(WindowTest, SetWindowPosResizesOurWindowAndRepaintsIt)
{
    HWND w = makeChild(hostWindow(), 100, 50);
    settle(w);
    EXPECT_TRUE(SetWindowPos(w, nullptr, 0, 0, 300, 120, SWP_NOMOVE | SWP_NOZORDER));
    const Received* size = first(WM_SIZE);
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->lParam, MAKELPARAM(300, 120));
    syncBoth();
    XWindowAttributes a;
    XGetWindowAttributes(host_->display(), HostClient::xid(w), &a);
    EXPECT_EQ(a.width, 300);
    EXPECT_EQ(a.height, 120);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(w, &update, FALSE));
    EXPECT_EQ(update.right, 300);
    EXPECT_EQ(update.bottom, 120);
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 300);
}

TEST_F(WindowTest, TheConnectionClosesAfterTheLastWindowAndLeavesNoDescriptor)
{
    const int clients = host_->clientCount();
    const int fds = openFileDescriptors();
    HWND a = makeChild(hostWindow());
    HWND b = makeChild(a, 50, 50);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(windowSystemConnected());
    EXPECT_EQ(host_->clientCount(), clients + 1);
    EXPECT_EQ(GetParent(b), a);

    received.clear();
    EXPECT_TRUE(DestroyWindow(a)); // takes its child with it, parent first
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[0].hwnd, a);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(received[1].hwnd, b);
    EXPECT_EQ(received[1].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_FALSE(IsWindow(b));
    EXPECT_FALSE(windowSystemConnected());
    host_->sync();
    EXPECT_TRUE(waitUntil([&] { return host_->clientCount() == clients; }));
    EXPECT_EQ(openFileDescriptors(), fds);
    EXPECT_TRUE(host_->childrenOf(top_).empty());
}

TEST_F(WindowTest, TwoHundredWindowsLeaveNoResourcesDescriptorsOrHeapBehind)
{
    received.reserve(64);
    auto cycle = [&](HWND parent)
    {
        HWND w = CreateWindowExA(0, kClassName, "Window", WS_CHILD | WS_VISIBLE, 0, 0, 521, 166,
                                 parent, nullptr, nullptr, nullptr);
        ASSERT_NE(w, nullptr);
        HDC dc = GetDC(w);
        const RECT r{0, 0, 521, 166};
        FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        ReleaseDC(w, dc);
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        qev::platform::pumpMessages();
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        DestroyWindow(w);
        received.clear(); // the record of messages would grow the heap, not the layer
    };
    // With a window kept open, the connection stays: the server must not hold more for us.
    HWND keeper = makeChild(hostWindow(), 10, 10);
    for (int i = 0; i < 10; ++i)
        cycle(hostWindow());
    syncBoth();
    const long resources = host_->resourcesOfOwner(HostClient::xid(keeper));
    for (int i = 0; i < 200; ++i)
        cycle(hostWindow());
    syncBoth();
    EXPECT_EQ(host_->resourcesOfOwner(HostClient::xid(keeper)), resources);
    DestroyWindow(keeper);

    // Without one, each cycle opens and closes the connection.
    for (int i = 0; i < 10; ++i)
        cycle(hostWindow());
    const int fds = openFileDescriptors();
    const size_t heap = heapInUse();
    for (int i = 0; i < 200; ++i)
        cycle(hostWindow());
    EXPECT_EQ(openFileDescriptors(), fds);
    EXPECT_LT(heapInUse(), heap + 16 * 1024) << "more than 80 bytes left per window";
    EXPECT_FALSE(windowSystemConnected());
}

} // namespace
} // namespace qev::test
