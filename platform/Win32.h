// The Win32 names the toolkit and the editor use. On Windows this is the system's own header; on
// Linux the project provides the subset itself, drawing into 32-bit pixel surfaces in memory.
// Every function declared here has hidden visibility: nothing of it is exported from the module.
//
// Linux notes that hold for the whole layer:
// - Device coordinates only: there are no mapping modes, viewport origins or world transforms.
// - Objects are meant for one thread at a time (the window thread), as GDI objects in practice are.
// - Every handle is checked: a null, stale or wrong-kind handle makes the call fail, never crash.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
#define CONST const

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef int INT;
typedef char CHAR;
typedef short SHORT;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef intptr_t INT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t UINT_PTR;
typedef uintptr_t ULONG_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef DWORD COLORREF;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define DECLARE_HANDLE(name)                                                                       \
    struct name##__                                                                                \
    {                                                                                              \
        int unused;                                                                                \
    };                                                                                             \
    typedef struct name##__* name

DECLARE_HANDLE(HDC);
DECLARE_HANDLE(HBITMAP);
DECLARE_HANDLE(HPEN);
DECLARE_HANDLE(HBRUSH);
DECLARE_HANDLE(HFONT);
DECLARE_HANDLE(HRGN);
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HINSTANCE);
typedef HINSTANCE HMODULE;
typedef void* HGDIOBJ;
typedef void* HANDLE;
// Differs from Win32: a plain function pointer type that casts to any entry point without warnings.
typedef void (*FARPROC)(void);

struct RECT
{
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECT* LPRECT;
typedef const RECT* LPCRECT;

struct POINT
{
    LONG x;
    LONG y;
};
typedef POINT* LPPOINT;

struct SIZE
{
    LONG cx;
    LONG cy;
};
typedef SIZE* LPSIZE;

struct LOGPEN
{
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
};

struct LOGBRUSH
{
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
};

#define LF_FACESIZE 32
struct LOGFONTA
{
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};

struct BITMAP
{
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

struct BLENDFUNCTION
{
    BYTE BlendOp;
    BYTE BlendFlags;
    BYTE SourceConstantAlpha;
    BYTE AlphaFormat;
};

struct OSVERSIONINFOA
{
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
typedef OSVERSIONINFOA* LPOSVERSIONINFOA;

struct OSVERSIONINFOEXA
{
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};

#define RGB(r, g, b)                                                                               \
    ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define CLR_INVALID 0xFFFFFFFF

// Pen styles.
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_NULL 5
// Brush styles.
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17
// Object types (GetCurrentObject, GetObjectType).
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10
// Background modes.
#define TRANSPARENT 1
#define OPAQUE 2
// Pen raster operations: all sixteen binary operations of pen and destination.
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16
// Ternary raster operations for BitBlt (any of the 256 is accepted).
#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define SRCERASE 0x00440328
#define NOTSRCCOPY 0x00330008
#define DSTINVERT 0x00550009
#define PATCOPY 0x00F00021
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062
// Region results.
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
// DrawTextA formats.
#define DT_TOP 0x0000
#define DT_LEFT 0x0000
#define DT_CENTER 0x0001
#define DT_RIGHT 0x0002
#define DT_VCENTER 0x0004
#define DT_BOTTOM 0x0008
#define DT_WORDBREAK 0x0010
#define DT_SINGLELINE 0x0020
#define DT_NOCLIP 0x0100
#define DT_CALCRECT 0x0400
#define DT_NOPREFIX 0x0800
// Font records.
#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define CLIP_DEFAULT_PRECIS 0
#define CLIP_STROKE_PRECIS 2
#define DEFAULT_QUALITY 0
#define ANTIALIASED_QUALITY 4
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50
// Blending.
#define AC_SRC_OVER 0x00
#define AC_SRC_ALPHA 0x01
// System information.
#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2
#define SM_SWAPBUTTON 23
// Virtual keys read by GetAsyncKeyState.
#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_MBUTTON 0x04
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
// System colours read by GetSysColor.
#define COLOR_MENU 4
#define COLOR_MENUTEXT 7
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_GRAYTEXT 17

// Only the functions need hiding: types have no symbols of their own to leak.
#pragma GCC visibility push(hidden)

// Device contexts. A memory DC starts with a 1 x 1 monochrome bitmap, black text, white background,
// opaque background mode, copy-pen raster operation, black pen, white brush and the system font.
// Differs from Win32: GetDC answers a DC without pixels (drawing into it does nothing) until
// windows exist; CreateCompatibleBitmap of such a DC gives a 32-bit colour bitmap, as for the
// screen.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);

// Objects. Differs from Win32: deleting an object that is still selected somewhere succeeds and
// takes effect when the last DC lets go of it, instead of leaving a half-dead object behind.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
BOOL DeleteObject(HGDIOBJ h);
HGDIOBJ GetStockObject(int i);
DWORD GetObjectType(HGDIOBJ h);
int GetObjectA(HANDLE h, int c, LPVOID pv); // bitmaps, pens, brushes and fonts

// Differs from Win32: styles other than PS_SOLID, PS_DOT and PS_NULL draw solid; a dotted pen
// (3 pixels on, 3 off) wider than 1 pixel draws solid.
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* lp);
// Differs from Win32: only solid and null brushes; other styles fail with null.
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);
// Faces are found through fontconfig: "Arial" meets a metric-compatible sans, "Symbol" a symbol
// face. Differs from Win32: escapement, orientation, strike-out and width are ignored.
HFONT CreateFontIndirectA(const LOGFONTA* lf);

HRGN CreateRectRgn(int left, int top, int right, int bottom);
// Copies the region: the caller may delete it afterwards. A null region removes the clip.
int SelectClipRgn(HDC hdc, HRGN hrgn);
int GetClipBox(HDC hdc, LPRECT rect);

int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
int SetROP2(HDC hdc, int rop2);
int GetROP2(HDC hdc);

// Lines and fills. Differs from Win32: the exact Bresenham tie-breaking may leave single pixels
// of a diagonal line one step off; wide pens are drawn with square tips.
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old);
BOOL LineTo(HDC hdc, int x, int y);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);

// Bitmaps and block copies. Bitmaps are 1 bit (monochrome) or 32 bits per pixel; CreateBitmap
// accepts only those two depths. Block copies stretch by nearest neighbour where sizes differ.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits);
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
BOOL BitBlt(HDC dest, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop);
BOOL TransparentBlt(HDC dest, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc,
                    int ySrc, int wSrc, int hSrc, UINT transparent);
BOOL AlphaBlend(HDC dest, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc,
                int wSrc, int hSrc, BLENDFUNCTION blend);

// Text in the Windows-1252 character set (the symbol face maps bytes to its own glyphs).
// Differs from Win32: DrawTextA lays out one line only (as with DT_SINGLELINE) and, without
// DT_NOPREFIX, drops '&' prefixes without underlining the following character.
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, LPSIZE size);
int DrawTextA(HDC hdc, LPCSTR text, int count, LPRECT rect, UINT format);
BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count);

// Resources: the bitmaps embedded in this module, found by integer id.
HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name);

// Input state. Differs from Win32: read from the X server's pointer state when a display can be
// opened, otherwise nothing is pressed and the cursor is at (0, 0); buttons are never swapped.
SHORT GetAsyncKeyState(int key);
BOOL GetCursorPos(LPPOINT point);
int GetSystemMetrics(int index);
// Differs from Win32: answers FALSE until windows exist on this platform.
BOOL GetWindowRect(HWND hwnd, LPRECT rect);

// Differs from Win32: one fixed scheme, the system's light default look; an index not listed
// above answers 0.
DWORD GetSysColor(int index);

// Kernel. Differs from Win32: only "msimg32.dll" loads, and it resolves to this layer's own blits.
HMODULE LoadLibraryA(LPCSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
// Reports an NT-family system. Accepts the plain and the extended record sizes (148, 156).
BOOL GetVersionExA(LPOSVERSIONINFOA info);
DWORD GetTickCount(void);
void Sleep(DWORD milliseconds);

#pragma GCC visibility pop

#endif
