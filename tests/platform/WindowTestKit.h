// The fixture of the window tests: an Xvfb of the test's own, a host client with a top-level
// window, a counting error handler standing for the host's, and a window class whose procedure
// records every message and lets a test answer some itself.
#pragma once

// Before Xlib: its macros (None, Bool) would break the test framework's names.
#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/Win32.h"
#include "tests/support/XHarness.h"

#include <functional>
#include <memory>
#include <vector>

namespace qev::test
{

class WindowTest : public ::testing::Test
{
protected:
    static constexpr const char* kClassName = "QevTestWindow";
    // Messages the procedure saw, in order.
    struct Received
    {
        HWND hwnd;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    void SetUp() override
    {
        server_ = std::make_unique<VirtualXServer>(1280, 1024, 24, serverArguments());
        ASSERT_TRUE(server_->running()) << "Xvfb did not start";
        server_->makeDefault();
        host_ = std::make_unique<HostClient>(server_->displayName());
        ASSERT_NE(host_->display(), nullptr);
        hostErrors() = 0;
        previousHandler_ = XSetErrorHandler(&countHostError);
        current() = this;
        WNDCLASSA wc{};
        wc.style = CS_GLOBALCLASS;
        wc.lpfnWndProc = &procedure;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kClassName;
        ASSERT_NE(RegisterClassA(&wc), 0);
        top_ = host_->createTopLevel(640, 400);
    }

    void TearDown() override
    {
        for (HWND w : made_)
            if (IsWindow(w))
                DestroyWindow(w);
        onMessage = nullptr;
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        EXPECT_TRUE(UnregisterClassA(kClassName, nullptr));
        EXPECT_FALSE(qev::platform::windowSystemConnected())
            << "the connection outlived the windows";
        EXPECT_EQ(hostErrors(), 0) << "an X error of ours reached the host's handler";
        XSetErrorHandler(previousHandler_);
        current() = nullptr;
        host_.reset();
        server_.reset();
    }

    // Extra Xvfb arguments of a test.
    virtual std::vector<std::string> serverArguments() const { return {}; }

    HWND hostWindow() const { return HostClient::hwnd(top_); }

    HWND makeChild(HWND parent, int width = 200, int height = 100,
                   DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN)
    {
        HWND w = CreateWindowExA(0, kClassName, "Window", style, 0, 0, width, height, parent,
                                 nullptr, nullptr, nullptr);
        if (w)
            made_.push_back(w);
        return w;
    }

    // Both clients' requests handled: what one did, the other sees.
    void syncBoth()
    {
        qev::platform::syncWindowSystem();
        host_->sync();
    }

    // Pumps until the window has no update region left: the first paint is done.
    void settle(HWND w)
    {
        syncBoth(); // the exposure of the first mapping has arrived
        RECT r;
        waitUntil([&] { return !GetUpdateRect(w, &r, FALSE); },
                  [] { qev::platform::pumpMessages(); });
        syncBoth(); // and the paint has reached the server
        received.clear();
    }

    // Pumps until a message of this kind was seen.
    bool pumpUntilReceived(UINT message)
    {
        return waitUntil([&] { return count(message) > 0; }, [] { qev::platform::pumpMessages(); });
    }

    int count(UINT message) const
    {
        int n = 0;
        for (const Received& r : received)
            n += r.message == message ? 1 : 0;
        return n;
    }

    const Received* first(UINT message) const
    {
        for (const Received& r : received)
            if (r.message == message)
                return &r;
        return nullptr;
    }

    POINT screenPoint(HWND w, int x, int y) const
    {
        const POINT o = host_->screenOrigin(HostClient::xid(w));
        return POINT{o.x + x, o.y + y};
    }

    static int& hostErrors()
    {
        static int n = 0;
        return n;
    }

    std::unique_ptr<VirtualXServer> server_;
    std::unique_ptr<HostClient> host_;
    Window top_ = 0;
    std::vector<Received> received;
    // Answers a message instead of DefWindowProcA when set; `handled` false passes it on.
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM, bool& handled)> onMessage;

private:
    static WindowTest*& current()
    {
        static WindowTest* t = nullptr;
        return t;
    }

    static int countHostError(Display*, XErrorEvent*)
    {
        ++hostErrors();
        return 0;
    }

    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        WindowTest* t = current();
        if (!t)
            return DefWindowProcA(hwnd, message, wParam, lParam);
        t->received.push_back(Received{hwnd, message, wParam, lParam});
        if (t->onMessage)
        {
            bool handled = true;
            const LRESULT r = t->onMessage(hwnd, message, wParam, lParam, handled);
            if (handled)
                return r;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    XErrorHandler previousHandler_ = nullptr;
    std::vector<HWND> made_;
};

} // namespace qev::test
