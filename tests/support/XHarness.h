// A real X server for tests and benchmarks: an Xvfb of the test's own, a second client that plays
// the host (its windows, XTEST input, pixels read back), and the counters that leak checks use.
// Everything here is for one thread, the test's.
#pragma once

#include "platform/Win32.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qev::test
{

// Xvfb on a free display (-displayfd), one screen of the given size and depth, started by the
// constructor and stopped by its process id in the destructor. running() is false when it could
// not start within ten seconds.
class VirtualXServer
{
public:
    // `arguments` are added to Xvfb's command line (such as "-extension", "MIT-SHM").
    explicit VirtualXServer(int width = 1280, int height = 1024, int depth = 24,
                            const std::vector<std::string>& arguments = {});
    ~VirtualXServer();
    VirtualXServer(const VirtualXServer&) = delete;
    VirtualXServer& operator=(const VirtualXServer&) = delete;

    bool running() const { return pid_ > 0 && !name_.empty(); }
    // ":N"
    const std::string& displayName() const { return name_; }
    // Points DISPLAY at this server, so that the code under test opens it.
    void makeDefault() const;
    // CPU time the server has used so far, in microseconds (-1 when it cannot be read).
    long long cpuMicroseconds() const;

private:
    pid_t pid_ = -1;
    std::string name_;
};

// Pixels read from the server, 0x00RRGGBB each.
struct ServerPixels
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A client of its own on the server: the host in these tests.
class HostClient
{
public:
    explicit HostClient(const std::string& displayName);
    ~HostClient();
    HostClient(const HostClient&) = delete;
    HostClient& operator=(const HostClient&) = delete;

    Display* display() const { return display_; }
    Window root() const { return DefaultRootWindow(display_); }
    int screenWidth() const;
    int screenHeight() const;

    // A top-level window, mapped and shown before this returns. A null visual means the
    // screen's default one; another visual gets a colormap of its own.
    Window createTopLevel(int width, int height, Visual* visual = nullptr, int depth = 0);
    // A plain child of `parent`, mapped.
    Window createChild(Window parent, int x, int y, int width, int height);
    void destroy(Window window);
    // A visual of the screen with this class and depth, or null.
    Visual* findVisual(int visualClass, int depth) const;
    static HWND hwnd(Window window)
    {
        return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
    }
    static Window xid(HWND hwnd) { return static_cast<Window>(reinterpret_cast<uintptr_t>(hwnd)); }

    // Input through XTEST, processed by the server before each call returns.
    void moveTo(int x, int y);
    void press(unsigned button);
    void release(unsigned button);
    void click(int x, int y, unsigned button = 1);
    void keyDown(unsigned long keysym);
    void keyUp(unsigned long keysym);
    void tapKey(unsigned long keysym);

    // What the server shows in a window (client coordinates).
    ServerPixels readPixels(Window window, int x, int y, int width, int height);
    // Draws a rectangle of one colour straight into any window, bypassing its owner.
    void fillWindow(Window window, uint32_t rgb, int x, int y, int width, int height);
    // Makes the server send Expose for the rectangle to whoever selected it on the window.
    void expose(Window window, int x, int y, int width, int height);

    Window parentOf(Window window) const;
    std::vector<Window> childrenOf(Window window) const;
    // Top-left corner in root coordinates.
    POINT screenOrigin(Window window) const;
    // Mapped override-redirect windows on the root: pop-up menus.
    std::vector<Window> popupWindows() const;

    // X-Resource: resources the server holds for the client that owns `resource`, and clients.
    long resourcesOfOwner(unsigned long resource) const;
    int clientCount() const;
    // Whether a grab of pointer and keyboard succeeds now (released again at once).
    bool canGrabPointer();
    bool canGrabKeyboard();

    void sync() const;

private:
    Display* display_ = nullptr;
};

// Open file descriptors of this process.
int openFileDescriptors();
// Heap bytes in use (the sanitizer's count under AddressSanitizer).
size_t heapInUse();

// Calls `step` and looks at `done` until it holds or `timeoutMs` have passed.
bool waitUntil(const std::function<bool()>& done, const std::function<void()>& step = {},
               int timeoutMs = 5000);

} // namespace qev::test
