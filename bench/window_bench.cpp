// The window layer's two costs that users notice: pushing a whole editor window to the X server,
// and an idle pump when nothing has happened. Runs against an Xvfb of its own.
#include "platform/Platform.h"
#include "platform/Win32.h"
#include "tests/support/XHarness.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace
{

constexpr int kWidth = 521;
constexpr int kHeight = 166;

// One server, one host window and our child window for the whole run.
struct Setup
{
    std::unique_ptr<qev::test::VirtualXServer> server;
    std::unique_ptr<qev::test::HostClient> host;
    HWND window = nullptr;

    Setup()
    {
        server = std::make_unique<qev::test::VirtualXServer>();
        if (!server->running())
            return;
        server->makeDefault();
        host = std::make_unique<qev::test::HostClient>(server->displayName());
        const Window top = host->createTopLevel(kWidth, kHeight);
        WNDCLASSA wc{};
        wc.lpfnWndProc = &DefWindowProcA;
        wc.lpszClassName = "QevBenchWindow";
        RegisterClassA(&wc);
        window =
            CreateWindowExA(0, wc.lpszClassName, "Window", WS_CHILD | WS_VISIBLE, 0, 0, kWidth,
                            kHeight, qev::test::HostClient::hwnd(top), nullptr, nullptr, nullptr);
        for (int i = 0; i < 10; ++i)
            qev::platform::pumpMessages();
        qev::platform::syncWindowSystem();
    }

    ~Setup()
    {
        DestroyWindow(window);
        UnregisterClassA("QevBenchWindow", nullptr);
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

// A DC whose drawing touched the whole window, released: the full window goes to the server.
// Timed up to the server having drawn it (one round trip included).
void BM_PushFullWindow(benchmark::State& state)
{
    HWND w = setup().window;
    if (!w)
    {
        state.SkipWithError("no X server");
        return;
    }
    const long long serverBefore = setup().server->cpuMicroseconds();
    for (auto _ : state)
    {
        HDC dc = GetDC(w);
        SetPixel(dc, 0, 0, RGB(1, 2, 3));
        SetPixel(dc, static_cast<int>(state.range(0)) - 1, static_cast<int>(state.range(1)) - 1,
                 RGB(4, 5, 6));
        ReleaseDC(w, dc);
        qev::platform::syncWindowSystem();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * state.range(1) * 4);
    // The server's share, independent of how long it waited for a core on a busy machine.
    state.counters["server_cpu_us"] =
        static_cast<double>(setup().server->cpuMicroseconds() - serverBefore) /
        static_cast<double>(state.iterations());
}
// The whole window, and for comparison what a round trip alone costs (a 1 x 1 push).
BENCHMARK(BM_PushFullWindow)->Args({kWidth, kHeight})->Args({1, 1})->Unit(benchmark::kMicrosecond);

// The editor's idle with nothing pending: no request may leave for the server.
void BM_IdlePump(benchmark::State& state)
{
    if (!setup().window)
    {
        state.SkipWithError("no X server");
        return;
    }
    qev::platform::pumpMessages();
    const unsigned long before = qev::platform::windowSystemRequests();
    for (auto _ : state)
        qev::platform::pumpMessages();
    const unsigned long sent = qev::platform::windowSystemRequests() - before;
    state.counters["requests"] = static_cast<double>(sent);
    if (sent != 0)
        state.SkipWithError("the idle pump sent requests to the server");
}
BENCHMARK(BM_IdlePump)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
