#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qev::test
{
namespace
{

TEST(Kernel, TheBlitLibraryResolvesToTheLayersOwnBlits)
{
    EXPECT_EQ(LoadLibraryA("nothere.dll"), nullptr);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    HMODULE library = LoadLibraryA("msimg32.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(GetProcAddress(library, "AlphaBlend"), reinterpret_cast<FARPROC>(&AlphaBlend));
    EXPECT_EQ(GetProcAddress(library, "TransparentBlt"),
              reinterpret_cast<FARPROC>(&TransparentBlt));
    EXPECT_EQ(GetProcAddress(library, "GradientFill"), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "AlphaBlend"), nullptr);
    EXPECT_TRUE(FreeLibrary(library));
    EXPECT_EQ(GetProcAddress(library, "AlphaBlend"), nullptr); // no longer loaded
    EXPECT_FALSE(FreeLibrary(library));
}

TEST(Kernel, VersionIsOfTheNTFamilyForBothRecordSizes)
{
    OSVERSIONINFOEXA ex;
    std::memset(&ex, 0x55, sizeof ex);
    ex.dwOSVersionInfoSize = sizeof ex;
    ASSERT_EQ(sizeof ex, 156u);
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&ex)));
    EXPECT_EQ(ex.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(ex.szCSDVersion[0], '\0');
    EXPECT_EQ(ex.wServicePackMajor, 0);

    OSVERSIONINFOA plain{};
    plain.dwOSVersionInfoSize = sizeof plain;
    ASSERT_EQ(sizeof plain, 148u);
    EXPECT_TRUE(GetVersionExA(&plain));
    plain.dwOSVersionInfoSize = 100;
    EXPECT_FALSE(GetVersionExA(&plain));
    EXPECT_FALSE(GetVersionExA(nullptr));
}

SHORT onlyShiftAndLeft(int key)
{
    return key == VK_SHIFT || key == VK_LBUTTON ? static_cast<SHORT>(0x8000) : 0;
}

BOOL cursorAt(LPPOINT p)
{
    p->x = 321;
    p->y = 123;
    return TRUE;
}

TEST(Input, ReadersCanBeReplacedAndRestored)
{
    platform::setInputReaders(&onlyShiftAndLeft, &cursorAt);
    EXPECT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
    EXPECT_FALSE(GetAsyncKeyState(VK_CONTROL) & 0x8000);
    POINT p{};
    EXPECT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 321);
    EXPECT_FALSE(GetCursorPos(nullptr));
    platform::setInputReaders(nullptr, nullptr);
    EXPECT_EQ(GetSystemMetrics(SM_SWAPBUTTON), 0);
}

} // namespace
} // namespace qev::test
