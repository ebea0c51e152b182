// The frame and the editor base on the system's own windows, as a Windows host drives them: the
// window and its class, the buttons of a click, wheel turns, painting, the host destroying its
// window first, closing from inside a loop, OLE on a thread of another threading model, and the
// files of a dropped list. Cross-built, run under Wine.
#include "tests/editor/EditorTestKit.h"

#include "platform/Platform.h"
#include "tests/toolkit/DataObjectStub.h"
#include "toolkit/CDragContainer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <shlobj.h>
#include <thread>

namespace editortest
{
namespace
{

using Journal = std::vector<std::string>;

constexpr const char* kHostClass = "QevTestHost";

void pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

std::string frameClassName()
{
    char name[32];
    std::snprintf(name, sizeof name, "Plugin%p",
                  static_cast<void*>(qev::platform::moduleInstance()));
    return name;
}

// The host's top-level window is made once (Wine takes its time over top levels); each test
// opens the editor in a pane of its own inside it, as hosts do.
class WindowsHostTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kHostClass;
        RegisterClassA(&wc);
        topLevel = CreateWindowExA(0, kHostClass, "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                   500, 400, nullptr, nullptr, wc.hInstance, nullptr);
    }
    static void TearDownTestSuite()
    {
        DestroyWindow(topLevel);
        pump();
        UnregisterClassA(kHostClass, GetModuleHandleA(nullptr));
    }
    void SetUp() override
    {
        journal().clear();
        ASSERT_NE(topLevel, nullptr);
        hostWindow = CreateWindowExA(0, kHostClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300,
                                     topLevel, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(hostWindow, nullptr);
        instance = std::make_unique<Instance>();
    }
    void TearDown() override
    {
        instance.reset();
        if (IsWindow(hostWindow))
            DestroyWindow(hostWindow);
        pump();
        EXPECT_EQ(liveViews(), 0);
    }

    CFrame* openEditor()
    {
        EXPECT_EQ(instance->call(effEditOpen, 0, hostWindow), 1);
        pump();
        journal().clear();
        return instance->editor->getFrame();
    }

    static inline HWND topLevel = nullptr;
    FakeHost host;
    HWND hostWindow = nullptr;
    std::unique_ptr<Instance> instance;
};

TEST_F(WindowsHostTest, TheFrameWindowIsAChildOfTheModulesClassAtTheOrigin)
{
    CFrame* frame = openEditor();
    HWND w = frame->getWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetParent(w), hostWindow);
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    EXPECT_EQ(name, frameClassName());
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(frame));
    const DWORD wanted = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE)) & wanted, wanted);
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, TestEditor::kWidth);
    POINT origin{0, 0};
    MapWindowPoints(w, hostWindow, &origin, 1);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    EXPECT_TRUE(frame->isDropActive());

    instance->call(effEditClose);
    EXPECT_EQ(GetWindow(hostWindow, GW_CHILD), nullptr);
    WNDCLASSA unused{};
    EXPECT_FALSE(GetClassInfoA(qev::platform::moduleInstance(), frameClassName().c_str(), &unused));
}

TEST_F(WindowsHostTest, ClicksCarryTheirButtonsAndTheWheelItsNotches)
{
    CFrame* frame = openEditor();
    HWND w = frame->getWindow();
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(200, 50));
    SendMessageA(w, WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, MAKELPARAM(20, 30));
    POINT screen{40, 60};
    ClientToScreen(w, &screen);
    SendMessageA(w, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA / 2), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(journal(),
              (Journal{"green.mouse 200,50 9", "red.mouse 20,30 20", "red.wheel 40,60 0.500000"}));
}

TEST_F(WindowsHostTest, APaintRedrawsOnlyTheViewsInItsRectangle)
{
    CFrame* frame = openEditor();
    const RECT left{10, 10, 40, 40};
    InvalidateRect(frame->getWindow(), &left, FALSE);
    UpdateWindow(frame->getWindow());
    EXPECT_EQ(journal(), Journal{"red.draw"});
}

TEST_F(WindowsHostTest, TheHostDestroyingItsWindowFirstClosesTheFrame)
{
    CFrame* frame = openEditor();
    DestroyWindow(hostWindow);
    EXPECT_FALSE(frame->isOpen());
    EXPECT_EQ(frame->getWindow(), nullptr);
    instance->call(effEditIdle);
    instance->call(effEditClose);
    EXPECT_EQ(liveViews(), 0);
}

TEST_F(WindowsHostTest, TheEditorClosedFromInsideALoopGoesWhenTheClickReturns)
{
    CFrame* frame = openEditor();
    host.onRequest = [&](const probes::Request& r)
    {
        if (r.opcode == audioMasterIdle)
            instance->call(effEditClose);
    };
    SendMessageA(frame->getWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 150));
    EXPECT_EQ(journal(), Journal{"loop.end 1"});
    EXPECT_EQ(liveViews(), 0);
    EXPECT_EQ(requestsOf(host, audioMasterEndEdit), 1);
    EXPECT_EQ(GetWindow(hostWindow, GW_CHILD), nullptr);
}

// On a thread that chose the multithreaded model, OLE cannot be initialised for the frame: the
// frame must not give back what it did not get.
TEST_F(WindowsHostTest, OleIsGivenBackOnlyAfterItWasTaken)
{
    HRESULT again = E_FAIL;
    std::thread worker(
        [&]
        {
            ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
            const HRESULT ole = OleInitialize(nullptr); // what the frame meets here
            EXPECT_TRUE(FAILED(ole));
            if (SUCCEEDED(ole))
                OleUninitialize();
            auto* frame = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
            frame->forget();
            again = CoInitializeEx(nullptr, COINIT_MULTITHREADED); // still initialised: S_FALSE
            CoUninitialize();
            CoUninitialize();
        });
    worker.join();
    EXPECT_EQ(again, S_FALSE);
}

// A data object that offers a list of dropped files.
class FileList final : public toolkit::testkit::DataObjectStub
{
public:
    explicit FileList(const std::vector<std::string>& files)
    {
        std::string names;
        for (const std::string& f : files)
            names += f + '\0';
        names += '\0';
        list = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
        auto* header = static_cast<DROPFILES*>(GlobalLock(list));
        header->pFiles = sizeof(DROPFILES);
        std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(),
                    names.size());
        GlobalUnlock(list);
    }
    ~FileList() override { GlobalFree(list); }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (format->cfFormat != CF_HDROP)
            return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = list;
        medium->pUnkForRelease = this; // the list stays ours
        AddRef();
        return S_OK;
    }

private:
    HGLOBAL list = nullptr;
};

TEST(DragContainerOnWindows, AFileListCountsItsFiles)
{
    FileList files({"C:\\a.wav", "C:\\b.wav", "C:\\c.wav"});
    auto* drag = new toolkit::CDragContainer(&files);
    EXPECT_EQ(drag->getCount(), 3);
    drag->forget();
    EXPECT_EQ(files.references, 0);
}

} // namespace
} // namespace editortest
