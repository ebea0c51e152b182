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
typedef ULONG_PTR DWORD_PTR;
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
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HICON);
DECLARE_HANDLE(HDROP);
typedef HICON HCURSOR;
typedef HINSTANCE HMODULE;
typedef void* HGDIOBJ;
typedef void* HANDLE;
typedef HANDLE HGLOBAL;
typedef WORD ATOM;
typedef LONG HRESULT;
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
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXFIXEDFRAME 7
#define SM_CYFIXEDFRAME 8
#define SM_SWAPBUTTON 23
// Virtual keys read by GetAsyncKeyState.
#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_MBUTTON 0x04
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12

// ---- Windows, messages, cursors and menus -----------------------------------------------------

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSA
{
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};
typedef WNDCLASSA* LPWNDCLASSA;

struct CREATESTRUCTA
{
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};
typedef CREATESTRUCTA* LPCREATESTRUCTA;

struct MSG
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

struct PAINTSTRUCT
{
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};
typedef PAINTSTRUCT* LPPAINTSTRUCT;

struct MEASUREITEMSTRUCT
{
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemWidth;
    UINT itemHeight;
    ULONG_PTR itemData;
};
typedef MEASUREITEMSTRUCT* LPMEASUREITEMSTRUCT;

struct DRAWITEMSTRUCT
{
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    ULONG_PTR itemData;
};
typedef DRAWITEMSTRUCT* LPDRAWITEMSTRUCT;

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define MAKELONG(a, b)                                                                             \
    ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff)))     \
                                                      << 16))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKELRESULT(l, h) ((LRESULT)(DWORD)MAKELONG(l, h))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define GET_WHEEL_DELTA_WPARAM(w) ((short)HIWORD(w))
#define GET_KEYSTATE_WPARAM(w) (LOWORD(w))
#define WHEEL_DELTA 120

#define HWND_DESKTOP ((HWND)0)
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)
#define CW_USEDEFAULT ((int)0x80000000)

// Messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_SETCURSOR 0x0020
#define WM_DRAWITEM 0x002B
#define WM_MEASUREITEM 0x002C
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_MOUSEFIRST 0x0200
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_MBUTTONDBLCLK 0x0209
#define WM_MOUSEWHEEL 0x020A
#define WM_MOUSEHWHEEL 0x020E
#define WM_MOUSELAST 0x020E
#define WM_USER 0x0400
#define WM_APP 0x8000
// Key and button state in the word parameter of mouse messages.
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010
#define MK_XBUTTON1 0x0020
#define MK_XBUTTON2 0x0040
// PeekMessageA.
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

// Window styles.
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_MINIMIZE 0x20000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_MAXIMIZE 0x01000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_ACCEPTFILES 0x00000010L
#define WS_EX_TRANSPARENT 0x00000020L
#define WS_EX_TOOLWINDOW 0x00000080L
// Class styles.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_OWNDC 0x0020
#define CS_CLASSDC 0x0040
#define CS_PARENTDC 0x0080
#define CS_NOCLOSE 0x0200
#define CS_SAVEBITS 0x0800
#define CS_GLOBALCLASS 0x4000
// Window data (the 64-bit set: the pointer-sized ones exist only as GWLP_).
#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_HWNDPARENT (-8)
#define GWLP_USERDATA (-21)
#define GWLP_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_ID (-12)
// SetWindowPos.
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_FRAMECHANGED 0x0020
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#define SWP_NOCOPYBITS 0x0100
#define SWP_NOOWNERZORDER 0x0200
#define SWP_NOSENDCHANGING 0x0400
// ShowWindow.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5
#define SW_SHOWNA 8
// System colours.
#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_HOTLIGHT 26
#define COLOR_GRADIENTACTIVECAPTION 27
#define COLOR_GRADIENTINACTIVECAPTION 28
#define COLOR_MENUHILIGHT 29
#define COLOR_MENUBAR 30
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_3DHIGHLIGHT COLOR_BTNHIGHLIGHT
// System cursors.
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_UPARROW MAKEINTRESOURCEA(32516)
#define IDC_SIZENWSE MAKEINTRESOURCEA(32642)
#define IDC_SIZENESW MAKEINTRESOURCEA(32643)
#define IDC_SIZEWE MAKEINTRESOURCEA(32644)
#define IDC_SIZENS MAKEINTRESOURCEA(32645)
#define IDC_SIZEALL MAKEINTRESOURCEA(32646)
#define IDC_NO MAKEINTRESOURCEA(32648)
#define IDC_HAND MAKEINTRESOURCEA(32649)
#define IDC_APPSTARTING MAKEINTRESOURCEA(32650)
#define IDC_HELP MAKEINTRESOURCEA(32651)
// Menus.
#define MF_INSERT 0x00000000L
#define MF_CHANGE 0x00000080L
#define MF_APPEND 0x00000100L
#define MF_DELETE 0x00000200L
#define MF_REMOVE 0x00001000L
#define MF_BYCOMMAND 0x00000000L
#define MF_BYPOSITION 0x00000400L
#define MF_SEPARATOR 0x00000800L
#define MF_ENABLED 0x00000000L
#define MF_GRAYED 0x00000001L
#define MF_DISABLED 0x00000002L
#define MF_UNCHECKED 0x00000000L
#define MF_CHECKED 0x00000008L
#define MF_USECHECKBITMAPS 0x00000200L
#define MF_STRING 0x00000000L
#define MF_BITMAP 0x00000004L
#define MF_OWNERDRAW 0x00000100L
#define MF_POPUP 0x00000010L
#define MF_MENUBARBREAK 0x00000020L
#define MF_MENUBREAK 0x00000040L
#define MF_UNHILITE 0x00000000L
#define MF_HILITE 0x00000080L
#define MF_DEFAULT 0x00001000L
#define MF_RIGHTJUSTIFY 0x00004000L
#define TPM_LEFTBUTTON 0x0000L
#define TPM_RIGHTBUTTON 0x0002L
#define TPM_LEFTALIGN 0x0000L
#define TPM_CENTERALIGN 0x0004L
#define TPM_RIGHTALIGN 0x0008L
#define TPM_TOPALIGN 0x0000L
#define TPM_VCENTERALIGN 0x0010L
#define TPM_BOTTOMALIGN 0x0020L
#define TPM_HORIZONTAL 0x0000L
#define TPM_VERTICAL 0x0040L
#define TPM_NONOTIFY 0x0080L
#define TPM_RETURNCMD 0x0100L
// Owner drawing.
#define ODT_MENU 1
#define ODT_LISTBOX 2
#define ODT_COMBOBOX 3
#define ODT_BUTTON 4
#define ODT_STATIC 5
#define ODA_DRAWENTIRE 0x0001
#define ODA_SELECT 0x0002
#define ODA_FOCUS 0x0004
#define ODS_SELECTED 0x0001
#define ODS_GRAYED 0x0002
#define ODS_DISABLED 0x0004
#define ODS_CHECKED 0x0008
#define ODS_FOCUS 0x0010
#define ODS_DEFAULT 0x0020
#define ODS_HOTLIGHT 0x0040
#define ODS_INACTIVE 0x0080
#define ODS_NOACCEL 0x0100
#define ODS_NOFOCUSRECT 0x0200
// Error codes (GetLastError).
#define ERROR_SUCCESS 0L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_INVALID_MENU_HANDLE 1401L
#define ERROR_INVALID_CURSOR_HANDLE 1402L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CLASS_DOES_NOT_EXIST 1411L
#define ERROR_CLASS_HAS_WINDOWS 1412L
#define ERROR_POPUP_ALREADY_ACTIVE 1446L
#define ERROR_NOT_ENOUGH_QUOTA 1816L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L

// ---- OLE drag and drop --------------------------------------------------------------------------

#define STDMETHODCALLTYPE
#define STDAPICALLTYPE

struct GUID
{
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
inline int IsEqualGUID(REFGUID a, REFGUID b)
{
    const unsigned char* x = reinterpret_cast<const unsigned char*>(&a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(&b);
    for (unsigned i = 0; i < sizeof(GUID); ++i)
        if (x[i] != y[i])
            return 0;
    return 1;
}
#define IsEqualIID(a, b) IsEqualGUID(a, b)
inline bool operator==(REFGUID a, REFGUID b)
{
    return IsEqualGUID(a, b) != 0;
}
inline bool operator!=(REFGUID a, REFGUID b)
{
    return !(a == b);
}

#define S_OK ((HRESULT)0L)
#define S_FALSE ((HRESULT)1L)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_UNEXPECTED ((HRESULT)0x8000FFFFL)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define DV_E_FORMATETC ((HRESULT)0x80040064L)
#define DRAGDROP_E_NOTREGISTERED ((HRESULT)0x80040100L)
#define DRAGDROP_E_ALREADYREGISTERED ((HRESULT)0x80040101L)
#define DRAGDROP_E_INVALIDHWND ((HRESULT)0x80040102L)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

#define DROPEFFECT_NONE 0
#define DROPEFFECT_COPY 1
#define DROPEFFECT_MOVE 2
#define DROPEFFECT_LINK 4
#define CF_TEXT 1
#define CF_HDROP 15
#define DVASPECT_CONTENT 1
#define TYMED_NULL 0
#define TYMED_HGLOBAL 1

typedef WORD CLIPFORMAT;
typedef wchar_t OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef DWORD* LPDWORD;

struct POINTL
{
    LONG x;
    LONG y;
};

struct DVTARGETDEVICE;
struct IStream;
struct IStorage;
struct IEnumFORMATETC;
struct IEnumSTATDATA;
struct IAdviseSink;
DECLARE_HANDLE(HMETAFILEPICT);
DECLARE_HANDLE(HENHMETAFILE);

struct FORMATETC
{
    CLIPFORMAT cfFormat;
    DVTARGETDEVICE* ptd;
    DWORD dwAspect;
    LONG lindex;
    DWORD tymed;
};
typedef FORMATETC* LPFORMATETC;

struct IUnknown;
struct STGMEDIUM
{
    DWORD tymed;
    union
    {
        HBITMAP hBitmap;
        HMETAFILEPICT hMetaFilePict;
        HENHMETAFILE hEnhMetaFile;
        HGLOBAL hGlobal;
        LPOLESTR lpszFileName;
        IStream* pstm;
        IStorage* pstg;
    };
    IUnknown* pUnkForRelease;
};
typedef STGMEDIUM* LPSTGMEDIUM;

struct IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef(void) = 0;
    virtual ULONG STDMETHODCALLTYPE Release(void) = 0;
};

struct IDataObject : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pformatetc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* pformatectIn,
                                                            FORMATETC* pformatetcOut) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium,
                                              BOOL fRelease) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection,
                                                    IEnumFORMATETC** ppenumFormatEtc) = 0;
    virtual HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* pformatetc, DWORD advf,
                                              IAdviseSink* pAdvSink, DWORD* pdwConnection) = 0;
    virtual HRESULT STDMETHODCALLTYPE DUnadvise(DWORD dwConnection) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** ppenumAdvise) = 0;
};
typedef IDataObject* LPDATAOBJECT;

struct IDropTarget : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                                DWORD* pdwEffect) = 0;
    virtual HRESULT STDMETHODCALLTYPE DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) = 0;
    virtual HRESULT STDMETHODCALLTYPE DragLeave(void) = 0;
    virtual HRESULT STDMETHODCALLTYPE Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                           DWORD* pdwEffect) = 0;
};
typedef IDropTarget* LPDROPTARGET;

// Only the functions need hiding: types have no symbols of their own to leak.
#pragma GCC visibility push(hidden)

// Device contexts. A memory DC starts with a 1 x 1 monochrome bitmap, black text, white background,
// opaque background mode, copy-pen raster operation, black pen, white brush and the system font.
// CreateCompatibleBitmap of a window's or the screen's DC gives a 32-bit colour bitmap.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
// A window's DC draws into a surface of the window's size that keeps what was drawn; ReleaseDC
// sends the rectangle that drawing touched to the X window (nothing for a window known to be dead).
// Differs from Win32: for null, a window of another program or an unknown handle, the DC has no
// pixels and drawing into it does nothing. ReleaseDC releases the DC whatever window is named.
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

// Input state, read from the X server's pointer state (one round trip per call).
// Differs from Win32: while none of our windows exists (no X connection), or on another thread
// than the windows', nothing is pressed and the cursor is at (0, 0) (GetCursorPos answers FALSE).
// Buttons are the server's logical ones: a left-handed mapping is already applied.
SHORT GetAsyncKeyState(int key);
BOOL GetCursorPos(LPPOINT point);
// SM_CXSCREEN / SM_CYSCREEN: the X screen while connected, else 0; SM_C?FIXEDFRAME: 3.
// Differs from Win32: SM_SWAPBUTTON is always 0, the X server swaps the buttons itself.
int GetSystemMetrics(int index);
// Differs from Win32: a fixed light palette (menus, highlight, button face) for every index.
DWORD GetSysColor(int index);
// A stock brush of GetSysColor's colour; deleting it does nothing. Null for an unknown index.
HBRUSH GetSysColorBrush(int index);

// Kernel. Differs from Win32: only "msimg32.dll" loads, and it resolves to this layer's own blits.
HMODULE LoadLibraryA(LPCSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
// Reports an NT-family system. Accepts the plain and the extended record sizes (148, 156).
BOOL GetVersionExA(LPOSVERSIONINFOA info);
DWORD GetTickCount(void);
void Sleep(DWORD milliseconds);
// Per thread, as on Win32.
DWORD GetLastError(void);
void SetLastError(DWORD error);

// ---- Windows (USER32 over Xlib) ----------------------------------------------------------------
// An HWND is an X window id. Our windows live on one private X connection, opened with the first
// window and closed (after XSync) when the last one goes; a window of another program, such as
// the host's parent window, is named by its id as the host gives it. Every call checks the handle:
// ours are looked up in a registry, never dereferenced; others are only asked of the X server.
// Differs from Win32: every call that touches X must come from the thread that made the first
// window still open; from another thread it fails (ERROR_ACCESS_DENIED) without touching X.

// Differs from Win32: the class is module-wide whatever the instance; extra bytes are not kept.
ATOM RegisterClassA(const WNDCLASSA* wndClass);
// Fails with ERROR_CLASS_HAS_WINDOWS while windows of the class exist.
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
// Makes an X window of the parent's visual, depth and colormap as a child of `parent` (ours or
// another program's), sends WM_NCCREATE and WM_CREATE, and maps it with WS_VISIBLE. Buttons,
// exposures and structure changes are selected on it; keys never are, nor is the input focus
// taken. Sizes are clamped to 0..32767. Differs from Win32: WS_CHILD with a parent is required
// (no top-level windows); a parent whose visual is not TrueColor of 16, 24 or 32 bits fails with
// ERROR_NOT_SUPPORTED and a message on stderr, as does a display that cannot be opened.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
// Sends WM_DESTROY to the window and then to its children, WM_NCDESTROY, and destroys the X window
// unless it is already known to be dead. Differs from Win32: a window destroyed by the host
// (with its parent) has already been through this and is gone: FALSE.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// Handles WM_NCCREATE, WM_PAINT (validates), WM_ERASEBKGND (fills with the class brush), WM_CLOSE
// (destroys) and passes wheel messages to a parent of ours; everything else answers 0.
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// GWLP_USERDATA, GWLP_WNDPROC, GWLP_ID on our windows. Differs from Win32: other programs'
// windows answer 0 and are never changed.
LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrA(HWND hwnd, int index);
// GWL_STYLE, GWL_EXSTYLE, GWL_ID. Differs from Win32: another program's window answers what X
// tells: WS_VISIBLE when mapped, WS_CAPTION when it is a top-level (its parent is the root, or
// a window manager manages it: it carries WM_STATE), else WS_CHILD.
LONG GetWindowLongA(HWND hwnd, int index);
// Differs from Win32: another program's window answers its X parent (XQueryTree); the root
// counts as no parent.
HWND GetParent(HWND hwnd);
// Differs from Win32: another program's window answers the class part of its WM_CLASS, or 0
// when it has none.
int GetClassNameA(HWND hwnd, LPSTR className, int maxCount);
// Screen coordinates, asked of the X server at the call (one round trip); another program's
// window includes its X border. FALSE for an unknown or dead window.
BOOL GetWindowRect(HWND hwnd, LPRECT rect);
BOOL GetClientRect(HWND hwnd, LPRECT rect);
// Null stands for the screen. Translated by the X server (XTranslateCoordinates).
int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count);
// Differs from Win32: sizes and moves our windows only (z-order flags are ignored, WM_SIZE is
// sent); other programs' windows are never changed: FALSE.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// Maps (SW_SHOW, SW_SHOWNORMAL, SW_SHOWNA) or unmaps (SW_HIDE) one of our windows; answers whether
// it was visible before.
BOOL ShowWindow(HWND hwnd, int command);

// Painting. The update region is kept as one rectangle, the union of what was invalidated or
// exposed. BeginPaint sends WM_ERASEBKGND when an erase is pending, validates, and answers a DC
// clipped to the update rectangle; EndPaint sends what was drawn inside it to the X window.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase);
BOOL UpdateWindow(HWND hwnd);
HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);

// Messages. One queue for the windows' thread. Pending X events are read, without waiting, by
// PeekMessageA and turn into: WM_LBUTTONDOWN/UP, WM_MBUTTONDOWN/UP, WM_RBUTTONDOWN/UP (client
// coordinates in lParam, MK_ bits in wParam); WM_MOUSEWHEEL for buttons 4 and 5 and
// WM_MOUSEHWHEEL for 6 and 7 (+-120 in the high word, screen coordinates in lParam); exposures
// into the update region (WM_PAINT, once, when nothing else matches); WM_DESTROY and WM_NCDESTROY
// when the host destroyed the window with its own. Differs from Win32: a hwnd filter matches the
// window and its children of ours; no double-click, mouse-move or key messages; the queue holds at
// most 10000 messages (PostMessageA fails beyond, input is dropped).
BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
// Calls the window procedure of one of our windows; 0 for anything else.
LRESULT DispatchMessageA(const MSG* msg);
// Differs from Win32: only to our windows, or to the thread (null); FALSE for other programs'.
BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Differs from Win32: only to our windows (the procedure is called at once); 0 for any other.
LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Cursors: the system cursors map to X cursor-font shapes (IDC_ARROW, IDC_WAIT, IDC_SIZEWE,
// IDC_SIZENS, IDC_SIZEALL, IDC_SIZENESW, IDC_SIZENWSE, IDC_NO, IDC_HAND, IDC_IBEAM, IDC_CROSS,
// IDC_HELP, IDC_APPSTARTING, IDC_UPARROW). Differs from Win32: a module's own cursor resources do
// not exist (null); SetCursor shows the cursor on our windows only, a null cursor shows the parent
// window's; the class cursor is not restored on mouse moves.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR cursorName);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor(void);

// Pop-up menus. Items are MF_STRING, MF_SEPARATOR, MF_POPUP (id: the sub-menu), MF_OWNERDRAW
// (text: item data), with MF_CHECKED, MF_GRAYED, MF_DISABLED, MF_MENUBREAK and MF_MENUBARBREAK.
// Differs from Win32: MF_BITMAP items are refused; DestroyMenu destroys sub-menus too, as on
// Win32, and a menu may be the sub-menu of one menu only.
HMENU CreatePopupMenu(void);
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR newItem);
BOOL DestroyMenu(HMENU menu);
int GetMenuItemCount(HMENU menu);
// Screen rectangle of an item of a menu that TrackPopupMenu shows now; FALSE otherwise.
BOOL GetMenuItemRect(HWND hwnd, HMENU menu, UINT item, LPRECT rect);
// Shows the menu in an override-redirect window at (x, y), kept wholly on the screen, grabs
// pointer and keyboard and runs its own loop until a choice or a dismissal (Escape, a click
// outside, EndMenu, the owner's destruction). Owner-drawn items are measured and drawn through
// WM_MEASUREITEM and WM_DRAWITEM sent to `owner`. The choice is posted to `owner` as WM_COMMAND
// (returned instead with TPM_RETURNCMD). While it runs, our windows keep being painted and the
// owner's pop-up idle hook (Platform.h) is called about every 50 ms. Differs from Win32: the
// owner must be one of our windows; sub-menus open on hover at once; `reserved` and `rect` are
// ignored.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* rect);
// Dismisses the menu TrackPopupMenu shows, as Escape would.
BOOL EndMenu(void);

// OLE drag and drop. Differs from Win32: nothing is ever dropped on Linux (the layer speaks no
// XDND), so no drop target is ever called; registrations are kept so that the frame's drop state
// behaves as on Windows, and a registration outlives its window until RevokeDragDrop, or until
// the last OleUninitialize, which releases whatever is left.
HRESULT OleInitialize(LPVOID reserved);
void OleUninitialize(void);
// Adds a reference to the target; fails with E_OUTOFMEMORY before OleInitialize, as on Win32.
HRESULT RegisterDragDrop(HWND hwnd, LPDROPTARGET target);
HRESULT RevokeDragDrop(HWND hwnd);
// Differs from Win32: there are no dropped files on Linux: 0.
UINT DragQueryFileA(HDROP drop, UINT file, LPSTR name, UINT count);
void ReleaseStgMedium(LPSTGMEDIUM medium);

extern const IID IID_IUnknown;
extern const IID IID_IDataObject;
extern const IID IID_IDropTarget;

#pragma GCC visibility pop

#endif
