#include "tests/support/XHarness.h"

#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime, whose own header is not always installed.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

extern char** environ;

namespace qev::test
{
namespace
{

using Clock = std::chrono::steady_clock;

int elapsedMs(Clock::time_point since)
{
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

bool stopped(pid_t pid, int timeoutMs)
{
    const auto start = Clock::now();
    while (elapsedMs(start) < timeoutMs)
    {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Reads the display number Xvfb writes once it accepts connections.
std::string readDisplayNumber(int fd, int timeoutMs)
{
    std::string text;
    const auto start = Clock::now();
    while (elapsedMs(start) < timeoutMs)
    {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char c = 0;
        if (read(fd, &c, 1) != 1)
            break;
        if (c == '\n')
            return text;
        text += c;
    }
    return std::string();
}

} // namespace

VirtualXServer::VirtualXServer(int width, int height, int depth,
                               const std::vector<std::string>& arguments)
{
    int fds[2];
    if (pipe(fds) != 0)
        return;
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const std::string fd = std::to_string(fds[1]);
    const std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    std::vector<const char*> argv = {"Xvfb",         "-displayfd", fd.c_str(), "-screen", "0",
                                     screen.c_str(), "-nolisten",  "tcp",      "-noreset"};
    for (const std::string& a : arguments)
        argv.push_back(a.c_str());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr,
                                     const_cast<char* const*>(argv.data()), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0)
    {
        close(fds[0]);
        return;
    }
    pid_ = pid;
    const std::string number = readDisplayNumber(fds[0], 10000);
    close(fds[0]);
    if (!number.empty())
        name_ = ":" + number;
}

VirtualXServer::~VirtualXServer()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    if (!stopped(pid_, 5000))
    {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void VirtualXServer::makeDefault() const
{
    setenv("DISPLAY", name_.c_str(), 1);
}

long long VirtualXServer::cpuMicroseconds() const
{
    const std::string path = "/proc/" + std::to_string(pid_) + "/stat";
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file)
        return -1;
    char line[1024] = {};
    const bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    const char* afterName = read ? std::strrchr(line, ')') : nullptr;
    unsigned long long user = 0;
    unsigned long long system = 0;
    // Fields 14 and 15 (user and system time), counted after the command name.
    if (!afterName ||
        std::sscanf(afterName + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                    &system) != 2)
        return -1;
    return static_cast<long long>((user + system) * 1000000ull /
                                  static_cast<unsigned long long>(sysconf(_SC_CLK_TCK)));
}

HostClient::HostClient(const std::string& displayName) : display_(XOpenDisplay(displayName.c_str()))
{
}

HostClient::~HostClient()
{
    if (display_)
        XCloseDisplay(display_);
}

int HostClient::screenWidth() const
{
    return DisplayWidth(display_, DefaultScreen(display_));
}

int HostClient::screenHeight() const
{
    return DisplayHeight(display_, DefaultScreen(display_));
}

Visual* HostClient::findVisual(int visualClass, int depth) const
{
    XVisualInfo wanted{};
    wanted.screen = DefaultScreen(display_);
    wanted.c_class = visualClass;
    wanted.depth = depth;
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(
        display_, VisualScreenMask | VisualClassMask | VisualDepthMask, &wanted, &count);
    Visual* visual = count > 0 ? found[0].visual : nullptr;
    if (found)
        XFree(found);
    return visual;
}

Window HostClient::createTopLevel(int width, int height, Visual* visual, int depth)
{
    XSetWindowAttributes a{};
    unsigned long mask = CWEventMask | CWBackPixel | CWBorderPixel;
    a.event_mask = StructureNotifyMask;
    a.background_pixel = 0;
    a.border_pixel = 0;
    if (!visual)
    {
        visual = DefaultVisual(display_, DefaultScreen(display_));
        depth = DefaultDepth(display_, DefaultScreen(display_));
    }
    else
    {
        a.colormap = XCreateColormap(display_, root(), visual, AllocNone);
        mask |= CWColormap;
    }
    const Window w =
        XCreateWindow(display_, root(), 10, 10, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, depth, InputOutput, visual, mask, &a);
    XMapWindow(display_, w);
    XEvent e;
    XWindowEvent(display_, w, StructureNotifyMask, &e);
    while (e.type != MapNotify)
        XWindowEvent(display_, w, StructureNotifyMask, &e);
    return w;
}

Window HostClient::createChild(Window parent, int x, int y, int width, int height)
{
    const Window w = XCreateSimpleWindow(display_, parent, x, y, static_cast<unsigned>(width),
                                         static_cast<unsigned>(height), 0, 0, 0);
    XMapWindow(display_, w);
    sync();
    return w;
}

void HostClient::destroy(Window window)
{
    XDestroyWindow(display_, window);
    sync();
}

void HostClient::moveTo(int x, int y)
{
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
    sync();
}

void HostClient::press(unsigned button)
{
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    sync();
}

void HostClient::release(unsigned button)
{
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    sync();
}

void HostClient::click(int x, int y, unsigned button)
{
    moveTo(x, y);
    press(button);
    release(button);
}

void HostClient::keyDown(unsigned long keysym)
{
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), True, CurrentTime);
    sync();
}

void HostClient::keyUp(unsigned long keysym)
{
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), False, CurrentTime);
    sync();
}

void HostClient::tapKey(unsigned long keysym)
{
    keyDown(keysym);
    keyUp(keysym);
}

ServerPixels HostClient::readPixels(Window window, int x, int y, int width, int height)
{
    ServerPixels out;
    XImage* image = XGetImage(display_, window, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return out;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * height);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
        {
            const unsigned long p = XGetPixel(image, i, j);
            auto channel = [&](unsigned long mask)
            {
                const int shift = __builtin_ctzl(mask);
                const int bits = __builtin_popcountl(mask);
                const unsigned long v = (p & mask) >> shift;
                return static_cast<uint32_t>(bits >= 8 ? v >> (bits - 8) : v << (8 - bits));
            };
            out.pixels[static_cast<size_t>(j) * width + i] = (channel(image->red_mask) << 16) |
                                                             (channel(image->green_mask) << 8) |
                                                             channel(image->blue_mask);
        }
    XDestroyImage(image);
    return out;
}

void HostClient::fillWindow(Window window, uint32_t rgb, int x, int y, int width, int height)
{
    XWindowAttributes a;
    XGetWindowAttributes(display_, window, &a);
    GC gc = XCreateGC(display_, window, 0, nullptr);
    unsigned long pixel = 0;
    auto place = [](uint32_t value8, unsigned long mask)
    {
        const int shift = __builtin_ctzl(mask);
        const int bits = __builtin_popcountl(mask);
        return ((bits >= 8 ? static_cast<unsigned long>(value8) << (bits - 8)
                           : value8 >> (8 - bits))
                << shift) &
               mask;
    };
    pixel = place((rgb >> 16) & 0xFF, a.visual->red_mask) |
            place((rgb >> 8) & 0xFF, a.visual->green_mask) | place(rgb & 0xFF, a.visual->blue_mask);
    if (a.depth == 32)
        pixel |= 0xFF000000ul;
    XSetForeground(display_, gc, pixel);
    XFillRectangle(display_, window, gc, x, y, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
    XFreeGC(display_, gc);
    sync();
}

void HostClient::expose(Window window, int x, int y, int width, int height)
{
    XClearArea(display_, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
               True);
    sync();
}

Window HostClient::parentOf(Window window) const
{
    Window r = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(display_, window, &r, &parent, &children, &n))
        return 0;
    if (children)
        XFree(children);
    return parent;
}

std::vector<Window> HostClient::childrenOf(Window window) const
{
    Window r = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned n = 0;
    std::vector<Window> out;
    if (!XQueryTree(display_, window, &r, &parent, &children, &n))
        return out;
    out.assign(children, children + n);
    if (children)
        XFree(children);
    return out;
}

POINT HostClient::screenOrigin(Window window) const
{
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    return POINT{x, y};
}

std::vector<Window> HostClient::popupWindows() const
{
    std::vector<Window> out;
    for (Window w : childrenOf(DefaultRootWindow(display_)))
    {
        XWindowAttributes a;
        if (XGetWindowAttributes(display_, w, &a) && a.override_redirect &&
            a.map_state == IsViewable)
            out.push_back(w);
    }
    return out;
}

long HostClient::resourcesOfOwner(unsigned long resource) const
{
    int count = 0;
    XResClient* clients = nullptr;
    if (!XResQueryClients(display_, &count, &clients))
        return -1;
    long total = -1;
    for (int i = 0; i < count; ++i)
    {
        if ((resource & ~clients[i].resource_mask) != clients[i].resource_base)
            continue;
        int types = 0;
        XResType* list = nullptr;
        if (XResQueryClientResources(display_, clients[i].resource_base, &types, &list))
        {
            total = 0;
            for (int t = 0; t < types; ++t)
                total += static_cast<long>(list[t].count);
            XFree(list);
        }
    }
    XFree(clients);
    return total;
}

int HostClient::clientCount() const
{
    int count = 0;
    XResClient* clients = nullptr;
    if (!XResQueryClients(display_, &count, &clients))
        return -1;
    XFree(clients);
    return count;
}

bool HostClient::canGrabPointer()
{
    const int r = XGrabPointer(display_, root(), False, ButtonPressMask, GrabModeAsync,
                               GrabModeAsync, 0, 0, CurrentTime);
    XUngrabPointer(display_, CurrentTime);
    sync();
    return r == GrabSuccess;
}

bool HostClient::canGrabKeyboard()
{
    const int r = XGrabKeyboard(display_, root(), False, GrabModeAsync, GrabModeAsync, CurrentTime);
    XUngrabKeyboard(display_, CurrentTime);
    sync();
    return r == GrabSuccess;
}

void HostClient::sync() const
{
    XSync(display_, False);
}

int openFileDescriptors()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd"))
    {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                ++count;
        closedir(dir);
    }
    return count - 1; // the directory's own descriptor
}

size_t heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

bool waitUntil(const std::function<bool()>& done, const std::function<void()>& step, int timeoutMs)
{
    const auto start = Clock::now();
    for (;;)
    {
        if (step)
            step();
        if (done())
            return true;
        if (elapsedMs(start) >= timeoutMs)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace qev::test
