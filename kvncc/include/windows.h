/* <windows.h> for console programs: the console of Windows on a terminal.
   Usable from C89 to C++20. Part of KVN.

   What console programs of the Windows compilers used: the standard
   handles, the cursor (0,0 is the top left corner), the 16 console
   colours of SetConsoleTextAttribute() (they colour all later output,
   printf() and cout too, as on the console), the cursor's visibility, the
   title, Sleep() and Beep(), MessageBox() in the terminal, and the types
   and constants around them. Moving or sizing the console window does
   nothing and reports success. The windows, messages and drawing of
   Windows are declared unavailable, so that a program using them fails at
   its own line with a message that says so.

   As the header of the Windows compilers did, it brings in <stdlib.h>,
   <string.h> and <ctype.h>; unlike it, no min() and max() macros in C++,
   where they would break std::min and std::max.

   The functions live in KVN's old library, which kvncc links into every
   program. A program that defines one of these names itself gets
   -DKVN_OWN_<name> from kvncc, which hides our declaration of that name. */
#ifndef KVN_COMPAT_WINDOWS_H
#define KVN_COMPAT_WINDOWS_H

#include <ctype.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Calling conventions mean nothing on this processor. */
#ifndef WINAPI
#define WINAPI
#endif
#ifndef APIENTRY
#define APIENTRY
#endif
#ifndef CALLBACK
#define CALLBACK
#endif
#ifndef WINAPIV
#define WINAPIV
#endif
#ifndef __stdcall
#define __stdcall
#endif
#ifndef _stdcall
#define _stdcall
#endif
#ifndef __cdecl
#define __cdecl
#endif
#ifndef _cdecl
#define _cdecl
#endif
#ifndef VOID
#define VOID void
#endif
#ifndef CONST
#define CONST const
#endif

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned char BOOLEAN;
typedef unsigned short WORD;
typedef unsigned long DWORD;
typedef char CHAR;
typedef short SHORT;
typedef long LONG;
typedef int INT;
typedef unsigned int UINT;
typedef unsigned long ULONG;
typedef unsigned short USHORT;
typedef unsigned char UCHAR;
typedef float FLOAT;
typedef long long LONGLONG;
typedef unsigned long long ULONGLONG;
typedef unsigned long long DWORD64;
typedef __INTPTR_TYPE__ INT_PTR;
typedef __UINTPTR_TYPE__ UINT_PTR;
typedef __INTPTR_TYPE__ LONG_PTR;
typedef __UINTPTR_TYPE__ ULONG_PTR;
typedef __UINTPTR_TYPE__ DWORD_PTR;
typedef size_t SIZE_T;
typedef wchar_t WCHAR;
typedef char TCHAR;
typedef char *LPSTR, *PSTR, *LPTSTR, *PCHAR;
typedef const char *LPCSTR, *PCSTR, *LPCTSTR;
typedef wchar_t *LPWSTR;
typedef const wchar_t *LPCWSTR;
typedef void *LPVOID, *PVOID;
typedef const void *LPCVOID;
typedef BOOL *LPBOOL;
typedef BYTE *LPBYTE;
typedef WORD *LPWORD;
typedef DWORD *LPDWORD, *PDWORD;
typedef LONG *LPLONG;
typedef void *HANDLE;
typedef HANDLE *PHANDLE;
typedef struct HWND__ *HWND;
typedef struct HINSTANCE__ *HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HDC__ *HDC;
typedef struct HMENU__ *HMENU;
typedef struct HICON__ *HICON;
typedef HICON HCURSOR;
typedef struct HBRUSH__ *HBRUSH;
typedef struct HPEN__ *HPEN;
typedef void *HGDIOBJ;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef WORD ATOM;
typedef DWORD COLORREF;

#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif
#ifndef MAX_PATH
#define MAX_PATH 260
#endif
#define INFINITE 0xFFFFFFFFUL

#ifndef TEXT
#define TEXT(quote) quote
#endif
#ifndef __TEXT
#define __TEXT(quote) quote
#endif

#define ZeroMemory(destination, length) memset((destination), 0, (length))
#define SecureZeroMemory(destination, length) memset((destination), 0, (length))
#define FillMemory(destination, length, fill) memset((destination), (fill), (length))
#define CopyMemory(destination, source, length) memcpy((destination), (source), (length))
#define MoveMemory(destination, source, length) memmove((destination), (source), (length))

#define LOBYTE(w) ((BYTE)((DWORD_PTR)(w) & 0xFF))
#define HIBYTE(w) ((BYTE)(((DWORD_PTR)(w) >> 8) & 0xFF))
#define LOWORD(l) ((WORD)((DWORD_PTR)(l) & 0xFFFF))
#define HIWORD(l) ((WORD)(((DWORD_PTR)(l) >> 16) & 0xFFFF))
#define MAKEWORD(low, high) ((WORD)(((BYTE)(low)) | ((WORD)((BYTE)(high))) << 8))
#define MAKELONG(low, high) ((LONG)(((WORD)(low)) | ((DWORD)((WORD)(high))) << 16))
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))

/* ---- The console ---- */

#define STD_INPUT_HANDLE ((DWORD)-10)
#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define STD_ERROR_HANDLE ((DWORD)-12)
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

#define FOREGROUND_BLUE 0x0001
#define FOREGROUND_GREEN 0x0002
#define FOREGROUND_RED 0x0004
#define FOREGROUND_INTENSITY 0x0008
#define BACKGROUND_BLUE 0x0010
#define BACKGROUND_GREEN 0x0020
#define BACKGROUND_RED 0x0040
#define BACKGROUND_INTENSITY 0x0080
#define COMMON_LVB_REVERSE_VIDEO 0x4000
#define COMMON_LVB_UNDERSCORE 0x8000

#define ENABLE_PROCESSED_INPUT 0x0001
#define ENABLE_LINE_INPUT 0x0002
#define ENABLE_ECHO_INPUT 0x0004
#define ENABLE_WINDOW_INPUT 0x0008
#define ENABLE_MOUSE_INPUT 0x0010
#define ENABLE_INSERT_MODE 0x0020
#define ENABLE_QUICK_EDIT_MODE 0x0040
#define ENABLE_EXTENDED_FLAGS 0x0080
#define ENABLE_PROCESSED_OUTPUT 0x0001
#define ENABLE_WRAP_AT_EOL_OUTPUT 0x0002
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001

typedef struct _COORD {
    SHORT X;
    SHORT Y;
} COORD, *PCOORD;

typedef struct _SMALL_RECT {
    SHORT Left;
    SHORT Top;
    SHORT Right;
    SHORT Bottom;
} SMALL_RECT, *PSMALL_RECT;

typedef struct _CONSOLE_SCREEN_BUFFER_INFO {
    COORD dwSize;
    COORD dwCursorPosition;
    WORD wAttributes;
    SMALL_RECT srWindow;
    COORD dwMaximumWindowSize;
} CONSOLE_SCREEN_BUFFER_INFO, *PCONSOLE_SCREEN_BUFFER_INFO;

typedef struct _CONSOLE_CURSOR_INFO {
    DWORD dwSize; /* 1 to 100: the share of the cell the cursor fills */
    BOOL bVisible;
} CONSOLE_CURSOR_INFO, *PCONSOLE_CURSOR_INFO;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *PRECT, *LPRECT;

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT, *PPOINT, *LPPOINT;

typedef struct _SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;

typedef union _LARGE_INTEGER {
    struct {
        unsigned int LowPart;
        int HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER, *PLARGE_INTEGER;

/* The handles of standard input, output and error; any other number gives
   INVALID_HANDLE_VALUE. The console functions take any of them. */
#ifndef KVN_OWN_GetStdHandle
HANDLE GetStdHandle(DWORD which);
#endif
/* Moves the cursor to column X, row Y, counted from 0 at the top left. */
#ifndef KVN_OWN_SetConsoleCursorPosition
BOOL SetConsoleCursorPosition(HANDLE console, COORD position);
#endif
/* The colours of all later text: FOREGROUND_* and BACKGROUND_* bits, the
   16 colours of the console. Light grey on black (7) is the terminal's own
   colours. */
#ifndef KVN_OWN_SetConsoleTextAttribute
BOOL SetConsoleTextAttribute(HANDLE console, WORD attribute);
#endif
#ifndef KVN_OWN_GetConsoleScreenBufferInfo
BOOL GetConsoleScreenBufferInfo(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFO info);
#endif
/* Visibility only: the terminal keeps its own cursor shape. A size outside
   1 to 100 is refused, as there. */
#ifndef KVN_OWN_SetConsoleCursorInfo
BOOL SetConsoleCursorInfo(HANDLE console, const CONSOLE_CURSOR_INFO *info);
#endif
#ifndef KVN_OWN_GetConsoleCursorInfo
BOOL GetConsoleCursorInfo(HANDLE console, PCONSOLE_CURSOR_INFO info);
#endif
/* A blank over the whole screen from 0,0 clears it in the current
   background; other fills write their character from that place on. */
#ifndef KVN_OWN_FillConsoleOutputCharacterA
BOOL FillConsoleOutputCharacterA(HANDLE console, CHAR character, DWORD length, COORD start, LPDWORD written);
#endif
#ifndef KVN_OWN_FillConsoleOutputCharacter
#define FillConsoleOutputCharacter FillConsoleOutputCharacterA
#endif
/* A terminal cannot recolour what it shows: nothing changes, success is
   reported (the usual clearing of the screen fills with the current
   colours anyway). */
#ifndef KVN_OWN_FillConsoleOutputAttribute
BOOL FillConsoleOutputAttribute(HANDLE console, WORD attribute, DWORD length, COORD start, LPDWORD written);
#endif
#ifndef KVN_OWN_WriteConsoleA
BOOL WriteConsoleA(HANDLE console, const void *text, DWORD length, LPDWORD written, LPVOID reserved);
#endif
#ifndef KVN_OWN_WriteConsole
#define WriteConsole WriteConsoleA
#endif
#ifndef KVN_OWN_SetConsoleTitleA
BOOL SetConsoleTitleA(LPCSTR title);
#endif
#ifndef KVN_OWN_SetConsoleTitle
#define SetConsoleTitle SetConsoleTitleA
#endif
#ifndef KVN_OWN_GetConsoleTitleA
DWORD GetConsoleTitleA(LPSTR title, DWORD size);
#endif
#ifndef KVN_OWN_GetConsoleTitle
#define GetConsoleTitle GetConsoleTitleA
#endif
/* The buffer and window sizes, code pages and modes are the terminal's:
   these change nothing and report success. */
#ifndef KVN_OWN_SetConsoleScreenBufferSize
BOOL SetConsoleScreenBufferSize(HANDLE console, COORD size);
#endif
#ifndef KVN_OWN_SetConsoleWindowInfo
BOOL SetConsoleWindowInfo(HANDLE console, BOOL absolute, const SMALL_RECT *window);
#endif
#ifndef KVN_OWN_SetConsoleOutputCP
BOOL SetConsoleOutputCP(UINT codePage);
#endif
#ifndef KVN_OWN_SetConsoleCP
BOOL SetConsoleCP(UINT codePage);
#endif
#ifndef KVN_OWN_GetConsoleOutputCP
UINT GetConsoleOutputCP(void);
#endif
#ifndef KVN_OWN_GetConsoleCP
UINT GetConsoleCP(void);
#endif
#ifndef KVN_OWN_GetConsoleMode
BOOL GetConsoleMode(HANDLE console, LPDWORD mode);
#endif
#ifndef KVN_OWN_SetConsoleMode
BOOL SetConsoleMode(HANDLE console, DWORD mode);
#endif
#define LF_FACESIZE 32
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900

typedef struct _CONSOLE_FONT_INFOEX {
    ULONG cbSize;
    DWORD nFont;
    COORD dwFontSize;
    UINT FontFamily;
    UINT FontWeight;
    WCHAR FaceName[LF_FACESIZE];
} CONSOLE_FONT_INFOEX, *PCONSOLE_FONT_INFOEX;

/* The font is the terminal's: setting one changes nothing and reports
   success; the one read back is the terminal's cell. */
#ifndef KVN_OWN_SetCurrentConsoleFontEx
BOOL SetCurrentConsoleFontEx(HANDLE console, BOOL maximumWindow, PCONSOLE_FONT_INFOEX font);
#endif
#ifndef KVN_OWN_GetCurrentConsoleFontEx
BOOL GetCurrentConsoleFontEx(HANDLE console, BOOL maximumWindow, PCONSOLE_FONT_INFOEX font);
#endif
/* Drops the keys typed and not yet read. */
#ifndef KVN_OWN_FlushConsoleInputBuffer
BOOL FlushConsoleInputBuffer(HANDLE console);
#endif

/* ---- The console window: moving or sizing it does nothing ---- */

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_SHOWWINDOW 0x0040
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)

#ifndef KVN_OWN_GetConsoleWindow
HWND GetConsoleWindow(void);
#endif
/* The terminal's size at 8 by 16 pixels a cell. */
#ifndef KVN_OWN_GetWindowRect
BOOL GetWindowRect(HWND window, LPRECT rect);
#endif
#ifndef KVN_OWN_GetClientRect
BOOL GetClientRect(HWND window, LPRECT rect);
#endif
#ifndef KVN_OWN_MoveWindow
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
#endif
#ifndef KVN_OWN_SetWindowPos
BOOL SetWindowPos(HWND window, HWND after, int x, int y, int width, int height, UINT flags);
#endif
#ifndef KVN_OWN_ShowWindow
BOOL ShowWindow(HWND window, int how);
#endif

/* ---- Time, sound, the end ---- */

/* Waits the given milliseconds; keys typed meanwhile wait for the next
   read. */
#ifndef KVN_OWN_Sleep
void Sleep(DWORD milliseconds);
#endif
/* Rings the terminal's bell and takes the note's time, so that a tune
   keeps its tempo; a frequency outside 37 to 32767 is refused at once, as
   there. */
#ifndef KVN_OWN_Beep
BOOL Beep(DWORD frequency, DWORD milliseconds);
#endif
#ifndef KVN_OWN_MessageBeep
BOOL MessageBeep(UINT type);
#endif
/* Milliseconds since the system started. */
#ifndef KVN_OWN_GetTickCount
DWORD GetTickCount(void);
#endif
#ifndef KVN_OWN_GetTickCount64
ULONGLONG GetTickCount64(void);
#endif
#ifndef KVN_OWN_QueryPerformanceCounter
BOOL QueryPerformanceCounter(LARGE_INTEGER *count);
#endif
#ifndef KVN_OWN_QueryPerformanceFrequency
BOOL QueryPerformanceFrequency(LARGE_INTEGER *frequency);
#endif
#ifndef KVN_OWN_GetLocalTime
void GetLocalTime(LPSYSTEMTIME now);
#endif
#ifndef KVN_OWN_GetSystemTime
void GetSystemTime(LPSYSTEMTIME now);
#endif
#ifndef KVN_OWN_GetLastError
DWORD GetLastError(void);
#endif
#ifndef KVN_OWN_ExitProcess
void ExitProcess(UINT code);
#endif

/* ---- Message boxes, in the terminal ---- */

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_CANCELTRYCONTINUE 0x00000006L
#define MB_ICONHAND 0x00000010L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFBUTTON4 0x00000300L
#define MB_USERICON 0x00000080L
#define MB_HELP 0x00004000L /* a Help button beside the others: not shown here */
#define MB_RIGHT 0x00080000L
#define MB_RTLREADING 0x00100000L
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDCLOSE 8
#define IDHELP 9
#define IDTRYAGAIN 10
#define IDCONTINUE 11

/* Shows "caption: text" on the terminal. At a terminal the box waits for
   a key, as the window waited for a click: the first letter of a button,
   Enter for the default one, Esc for Cancel, any key for a lone OK. With
   input from a file an OK box goes on at once, and a box with a choice
   takes the first letter of the next line (an empty line: the default
   button); at the end of input the answer is Cancel where the box has
   one, No where it has that, else its first button. */
#ifndef KVN_OWN_MessageBoxA
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
#endif
#ifndef KVN_OWN_MessageBox
#define MessageBox MessageBoxA
#endif

/* ---- Keys ---- */

#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B

/* Whether a key is down, from the keys the terminal sends: a key counts
   as down for a twentieth of a second after it is seen (a held key
   arrives again and again), 0x8000, so that a tap moves a game that looks
   every 50 ms or less often once; the low bit tells that it came since
   the last question about it. The keys read so are gone for getch() and scanf().
   Letters are asked by their capital ('A'), digits by themselves; the
   mouse buttons are never down. */
#ifndef KVN_OWN_GetAsyncKeyState
SHORT GetAsyncKeyState(int key);
#endif
#ifndef KVN_OWN_GetKeyState
SHORT GetKeyState(int key);
#endif

/* ---- The keyboard of <conio.h> ---- */

/* getch() and getche() of the Windows compilers give the keys of the
   gray block (the arrows, Home, End, Page Up and Down, Insert, Delete)
   and F11 and F12 after 224, where those of the DOS compilers gave 0,
   which the other keys with two codes keep. kbhit() tells of the second
   code too. A function of the program's own under one of these names,
   in any of its files, is the one it calls. */
int kvn_windows_getch(void);
int kvn_windows__getch(void);
int kvn_windows_getche(void);
int kvn_windows__getche(void);
int kvn_windows_kbhit(void);
int kvn_windows__kbhit(void);
#ifndef KVN_OWN_getch
#define getch kvn_windows_getch
#endif
#ifndef KVN_OWN__getch
#define _getch kvn_windows__getch
#endif
#ifndef KVN_OWN_getche
#define getche kvn_windows_getche
#endif
#ifndef KVN_OWN__getche
#define _getche kvn_windows__getche
#endif
#ifndef KVN_OWN_kbhit
#define kbhit kvn_windows_kbhit
#endif
#ifndef KVN_OWN__kbhit
#define _kbhit kvn_windows__kbhit
#endif

/* ---- What console programs cannot have ---- */

#if defined(__GNUC__) || defined(__clang__)
#define KVN_UNAVAILABLE(why) __attribute__((unavailable(why)))
#else
#define KVN_UNAVAILABLE(why)
#endif
#define KVN_WINDOWS_PART                                                                                           \
    KVN_UNAVAILABLE("KVN builds console programs; the windows, messages and drawing of Windows are not supported")
/* Any arguments: the message about the function, not one about its
   parameters, is what the program's author needs to read. */
#if defined(__cplusplus) || (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 202311L)
#define KVN_ANY_ARGUMENTS (...)
#else
#define KVN_ANY_ARGUMENTS ()
#endif

/* A program that starts at WinMain is a window program. */
#if defined(__GNUC__) || defined(__clang__)
/* (_Pragma takes one string literal, hence the long line.) */
#define WinMain(...)                                                                                               \
    _Pragma("GCC error \"WinMain is unavailable: KVN builds console programs, which start at main; the windows of Windows are not supported\"") WinMain(__VA_ARGS__)
#endif

typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *PMSG, *LPMSG;

typedef struct tagWNDCLASSA {
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
} WNDCLASSA, WNDCLASS, *PWNDCLASS;

typedef struct tagWNDCLASSEXA {
    UINT cbSize;
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
    HICON hIconSm;
} WNDCLASSEXA, WNDCLASSEX, *PWNDCLASSEX;

typedef struct tagPAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;

#define CW_USEDEFAULT ((int)0x80000000)
#define WS_OVERLAPPED 0x00000000L
#define WS_CAPTION 0x00C00000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_VISIBLE 0x10000000L
#define WS_CHILD 0x40000000L
#define WS_OVERLAPPEDWINDOW (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_LBUTTONDOWN 0x0201
#define COLOR_WINDOW 5
#define IDC_ARROW ((LPCSTR)32512)
#define IDI_APPLICATION ((LPCSTR)32512)

HWND CreateWindowA KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
HWND CreateWindowExA KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
ATOM RegisterClassA KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
ATOM RegisterClassExA KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
BOOL GetMessageA KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
BOOL PeekMessageA KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
LRESULT DispatchMessageA KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
BOOL TranslateMessage KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
LRESULT DefWindowProcA KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
void PostQuitMessage KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
HDC BeginPaint KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
BOOL EndPaint KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
HDC GetDC KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
int ReleaseDC KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
COLORREF SetPixel KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
BOOL TextOutA KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
HBRUSH CreateSolidBrush KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
HCURSOR LoadCursorA KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
HICON LoadIconA KVN_ANY_ARGUMENTS KVN_WINDOWS_PART;
#define CreateWindow CreateWindowA
#define CreateWindowEx CreateWindowExA
#define RegisterClass RegisterClassA
#define RegisterClassEx RegisterClassExA
#define GetMessage GetMessageA
#define PeekMessage PeekMessageA
#define DispatchMessage DispatchMessageA
#define DefWindowProc DefWindowProcA
#define TextOut TextOutA
#define LoadCursor LoadCursorA
#define LoadIcon LoadIconA

#ifdef __cplusplus
}
#endif

/* The console took text as it was written, so colours, cursor moves and
   commands acted after all the text before them. cout, clog and cerr
   have buffers of their own after ios::sync_with_stdio(false): the old
   library writes them out first through this function (weak, as one copy
   comes with each file that includes this header). */
#if defined(__cplusplus) && (defined(_GLIBCXX_IOSTREAM) || defined(_LIBCPP_IOSTREAM))
extern "C" __attribute__((weak)) void kvn_flush_cxx_streams(void)
{
    std::cout.flush();
    std::clog.flush();
    std::cerr.flush();
}
#endif

#endif
