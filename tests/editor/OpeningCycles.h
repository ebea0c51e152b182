// A hundred openings and closings of an editor, after five that warm up, must leave nothing
// behind: shared by the window tests of the editor base and of the plug-in's editor.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/XHarness.h"

#include <functional>

namespace editortest
{

// While another window keeps the editor's connection open, what the server holds for that
// client (the owner of `keeperWindow`) stays the same. `sync` makes both clients' requests
// handled.
inline void expectCyclesKeepServerResources(qev::test::HostClient& host, Window keeperWindow,
                                            const std::function<void()>& cycle,
                                            const std::function<void()>& sync)
{
    for (int i = 0; i < 5; ++i)
        cycle();
    sync();
    const long resources = host.resourcesOfOwner(keeperWindow);
    for (int i = 0; i < 100; ++i)
        cycle();
    sync();
    EXPECT_EQ(host.resourcesOfOwner(keeperWindow), resources);
}

// Without such a window each opening opens and closes the connection: descriptors, the heap
// (less than 160 bytes an opening) and the server's clients come back to where they were.
inline void expectCyclesLeaveNothing(qev::test::HostClient& host,
                                     const std::function<void()>& cycle)
{
    for (int i = 0; i < 5; ++i)
        cycle();
    const int clients = host.clientCount();
    const int fds = qev::test::openFileDescriptors();
    const size_t heap = qev::test::heapInUse();
    for (int i = 0; i < 100; ++i)
        cycle();
    EXPECT_EQ(qev::test::openFileDescriptors(), fds);
    EXPECT_LT(qev::test::heapInUse(), heap + 16 * 1024) << "more than 160 bytes left per opening";
    EXPECT_TRUE(qev::test::waitUntil([&] { return host.clientCount() == clients; }));
}

} // namespace editortest
