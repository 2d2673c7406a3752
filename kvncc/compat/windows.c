/* The console part of <windows.h> on a terminal. Every public function is
   weak, so that a program's own function of the same name wins; they call
   one another only through static or kvn_ helpers for the same reason.

   Escape codes go through stdout, so that they stay in order with printf()
   and cout, and only when stdout is a terminal. */
#define _DEFAULT_SOURCE
#include <windows.h>

#include "console.h"

#include <errno.h>
#include <poll.h>
#include <stdio.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#define KVN_WEAK __attribute__((weak))

/* In terminal.c. */
int kvn_key_mode(struct termios *saved, int enter_gives_cr);
void kvn_line_mode(const struct termios *saved);

/* Handles of our own making: the standard streams, and the console window. */
static char standard_streams[3];
static char console_window;

static struct {
    DWORD cursor_size;
    BOOL cursor_visible;
} console = {25, TRUE};

static int valid(HANDLE handle)
{
    return handle == &standard_streams[0] || handle == &standard_streams[1] || handle == &standard_streams[2];
}

KVN_WEAK HANDLE GetStdHandle(DWORD which)
{
    if (which == STD_INPUT_HANDLE)
        return &standard_streams[0];
    if (which == STD_OUTPUT_HANDLE)
        return &standard_streams[1];
    if (which == STD_ERROR_HANDLE)
        return &standard_streams[2];
    return INVALID_HANDLE_VALUE;
}

KVN_WEAK BOOL SetConsoleCursorPosition(HANDLE handle, COORD position)
{
    if (!valid(handle) || position.X < 0 || position.Y < 0)
        return FALSE;
    if (kvn_output_is_terminal()) {
        kvn_flush_output();
        printf("\033[%d;%dH", position.Y + 1, position.X + 1);
        fflush(stdout);
    }
    return TRUE;
}

KVN_WEAK BOOL SetConsoleTextAttribute(HANDLE handle, WORD attribute)
{
    if (!valid(handle))
        return FALSE;
    kvn_set_base_attribute(attribute);
    return TRUE;
}

static SHORT clamped(int value)
{
    return (SHORT)(value > 0x7FFF ? 0x7FFF : value);
}

KVN_WEAK BOOL GetConsoleScreenBufferInfo(HANDLE handle, PCONSOLE_SCREEN_BUFFER_INFO info)
{
    int columns, rows, row, column;
    const int attribute = kvn_base_attribute();
    if (!valid(handle) || !info)
        return FALSE;
    kvn_screen_size(&columns, &rows);
    kvn_flush_output(); /* where the text printed so far left the cursor */
    info->dwSize.X = clamped(columns);
    info->dwSize.Y = clamped(rows);
    info->dwCursorPosition.X = 0;
    info->dwCursorPosition.Y = 0;
    if (kvn_ask_cursor(&row, &column)) {
        info->dwCursorPosition.X = clamped(column - 1);
        info->dwCursorPosition.Y = clamped(row - 1);
    }
    info->wAttributes = (WORD)(attribute < 0 ? 0x07 : attribute);
    info->srWindow.Left = 0;
    info->srWindow.Top = 0;
    info->srWindow.Right = clamped(columns - 1);
    info->srWindow.Bottom = clamped(rows - 1);
    info->dwMaximumWindowSize = info->dwSize;
    return TRUE;
}

KVN_WEAK BOOL SetConsoleCursorInfo(HANDLE handle, const CONSOLE_CURSOR_INFO *info)
{
    if (!valid(handle) || !info || info->dwSize < 1 || info->dwSize > 100)
        return FALSE;
    console.cursor_size = info->dwSize;
    console.cursor_visible = info->bVisible ? TRUE : FALSE;
    kvn_cursor_visible(console.cursor_visible);
    return TRUE;
}

KVN_WEAK BOOL GetConsoleCursorInfo(HANDLE handle, PCONSOLE_CURSOR_INFO info)
{
    if (!valid(handle) || !info)
        return FALSE;
    info->dwSize = console.cursor_size;
    info->bVisible = console.cursor_visible;
    return TRUE;
}

KVN_WEAK BOOL FillConsoleOutputCharacterA(HANDLE handle, CHAR character, DWORD length, COORD start, LPDWORD written)
{
    int columns, rows;
    DWORD cells, room, i;
    if (!valid(handle) || start.X < 0 || start.Y < 0)
        return FALSE;
    kvn_screen_size(&columns, &rows);
    cells = (DWORD)columns * (DWORD)rows;
    room = (DWORD)start.Y * (DWORD)columns + (DWORD)start.X;
    room = room < cells ? cells - room : 0;
    if (length > room)
        length = room;
    if (written)
        *written = length;
    if (!kvn_output_is_terminal() || length == 0)
        return TRUE;
    kvn_flush_output();
    if (start.X == 0 && start.Y == 0 && length == cells && character == ' ') {
        fputs("\033[2J", stdout);
    } else {
        /* A character the terminal would take for control is shown as a
           blank. */
        const char shown = (unsigned char)character >= 0x20 && (unsigned char)character < 0x7F ? character : ' ';
        printf("\0337\033[%d;%dH", start.Y + 1, start.X + 1);
        for (i = 0; i < length; ++i)
            putchar(shown);
        fputs("\0338", stdout);
    }
    fflush(stdout);
    return TRUE;
}

KVN_WEAK BOOL FillConsoleOutputAttribute(HANDLE handle, WORD attribute, DWORD length, COORD start, LPDWORD written)
{
    (void)attribute;
    (void)start;
    if (!valid(handle))
        return FALSE;
    if (written)
        *written = length;
    return TRUE;
}

KVN_WEAK BOOL WriteConsoleA(HANDLE handle, const void *text, DWORD length, LPDWORD written, LPVOID reserved)
{
    size_t done;
    (void)reserved;
    if (!valid(handle) || (!text && length))
        return FALSE;
    kvn_flush_output();
    done = fwrite(text, 1, length, stdout);
    fflush(stdout);
    if (written)
        *written = (DWORD)done;
    return done == length;
}

KVN_WEAK BOOL SetConsoleTitleA(LPCSTR title)
{
    if (!title)
        return FALSE;
    kvn_set_title(title);
    return TRUE;
}

KVN_WEAK DWORD GetConsoleTitleA(LPSTR title, DWORD size)
{
    const char *current = kvn_title();
    const size_t length = strlen(current);
    if (!title || size == 0)
        return 0;
    strncpy(title, current, size - 1);
    title[size - 1] = '\0';
    return (DWORD)(length < size ? length : size - 1);
}

KVN_WEAK BOOL SetConsoleScreenBufferSize(HANDLE handle, COORD size)
{
    (void)size;
    return valid(handle);
}

KVN_WEAK BOOL SetConsoleWindowInfo(HANDLE handle, BOOL absolute, const SMALL_RECT *window)
{
    (void)absolute;
    (void)window;
    return valid(handle);
}

KVN_WEAK BOOL SetConsoleOutputCP(UINT code_page)
{
    (void)code_page;
    return TRUE;
}

KVN_WEAK BOOL SetConsoleCP(UINT code_page)
{
    (void)code_page;
    return TRUE;
}

/* The terminal speaks UTF-8. */
KVN_WEAK UINT GetConsoleOutputCP(void)
{
    return CP_UTF8;
}

KVN_WEAK UINT GetConsoleCP(void)
{
    return CP_UTF8;
}

KVN_WEAK BOOL GetConsoleMode(HANDLE handle, LPDWORD mode)
{
    if (!valid(handle) || !mode)
        return FALSE;
    *mode = handle == &standard_streams[0]
                ? ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT
                : ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING;
    return TRUE;
}

KVN_WEAK BOOL SetConsoleMode(HANDLE handle, DWORD mode)
{
    (void)mode;
    return valid(handle);
}

KVN_WEAK BOOL SetCurrentConsoleFontEx(HANDLE handle, BOOL maximum_window, PCONSOLE_FONT_INFOEX font)
{
    (void)maximum_window;
    return valid(handle) && font != NULL;
}

KVN_WEAK BOOL GetCurrentConsoleFontEx(HANDLE handle, BOOL maximum_window, PCONSOLE_FONT_INFOEX font)
{
    static const char face[] = "Monospace";
    size_t i;
    (void)maximum_window;
    if (!valid(handle) || !font)
        return FALSE;
    font->nFont = 0;
    font->dwFontSize.X = 8;
    font->dwFontSize.Y = 16;
    font->FontFamily = FF_MODERN;
    font->FontWeight = FW_NORMAL;
    for (i = 0; i < sizeof face; ++i)
        font->FaceName[i] = (WCHAR)face[i];
    return TRUE;
}

KVN_WEAK BOOL FlushConsoleInputBuffer(HANDLE handle)
{
    if (!valid(handle))
        return FALSE;
    if (isatty(STDIN_FILENO))
        tcflush(STDIN_FILENO, TCIFLUSH);
    return TRUE;
}

KVN_WEAK HWND GetConsoleWindow(void)
{
    return (HWND)(void *)&console_window;
}

static BOOL window_rect(HWND window, LPRECT rect)
{
    int columns, rows;
    if (!window || !rect)
        return FALSE;
    kvn_screen_size(&columns, &rows);
    rect->left = 0;
    rect->top = 0;
    rect->right = columns * 8L;
    rect->bottom = rows * 16L;
    return TRUE;
}

KVN_WEAK BOOL GetWindowRect(HWND window, LPRECT rect)
{
    return window_rect(window, rect);
}

KVN_WEAK BOOL GetClientRect(HWND window, LPRECT rect)
{
    return window_rect(window, rect);
}

KVN_WEAK BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint)
{
    (void)x;
    (void)y;
    (void)width;
    (void)height;
    (void)repaint;
    return window != NULL;
}

KVN_WEAK BOOL SetWindowPos(HWND window, HWND after, int x, int y, int width, int height, UINT flags)
{
    (void)after;
    (void)x;
    (void)y;
    (void)width;
    (void)height;
    (void)flags;
    return window != NULL;
}

/* Nonzero: the window was visible before. */
KVN_WEAK BOOL ShowWindow(HWND window, int how)
{
    (void)how;
    return window != NULL;
}

KVN_WEAK void Sleep(DWORD milliseconds)
{
    kvn_pause_ms(milliseconds);
}

static void ring(void)
{
    if (kvn_output_is_terminal()) {
        kvn_flush_output();
        fputc('\a', stdout);
        fflush(stdout);
    }
}

KVN_WEAK BOOL Beep(DWORD frequency, DWORD milliseconds)
{
    if (frequency < 37 || frequency > 32767)
        return FALSE;
    ring();
    kvn_pause_ms(milliseconds);
    return TRUE;
}

KVN_WEAK BOOL MessageBeep(UINT type)
{
    (void)type;
    ring();
    return TRUE;
}

static ULONGLONG milliseconds_since_start(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (ULONGLONG)now.tv_sec * 1000u + (ULONGLONG)now.tv_nsec / 1000000u;
}

/* It wraps after 49.7 days, as there. */
KVN_WEAK DWORD GetTickCount(void)
{
    return (DWORD)(milliseconds_since_start() & 0xFFFFFFFFu);
}

KVN_WEAK ULONGLONG GetTickCount64(void)
{
    return milliseconds_since_start();
}

KVN_WEAK BOOL QueryPerformanceCounter(LARGE_INTEGER *count)
{
    struct timespec now;
    if (!count)
        return FALSE;
    clock_gettime(CLOCK_MONOTONIC, &now);
    count->QuadPart = (LONGLONG)now.tv_sec * 1000000000LL + now.tv_nsec;
    return TRUE;
}

KVN_WEAK BOOL QueryPerformanceFrequency(LARGE_INTEGER *frequency)
{
    if (!frequency)
        return FALSE;
    frequency->QuadPart = 1000000000LL;
    return TRUE;
}

static void system_time(LPSYSTEMTIME now, int local)
{
    struct timespec clock;
    struct tm parts;
    time_t seconds;
    clock_gettime(CLOCK_REALTIME, &clock);
    seconds = clock.tv_sec;
    if (local)
        localtime_r(&seconds, &parts);
    else
        gmtime_r(&seconds, &parts);
    now->wYear = (WORD)(parts.tm_year + 1900);
    now->wMonth = (WORD)(parts.tm_mon + 1);
    now->wDayOfWeek = (WORD)parts.tm_wday;
    now->wDay = (WORD)parts.tm_mday;
    now->wHour = (WORD)parts.tm_hour;
    now->wMinute = (WORD)parts.tm_min;
    now->wSecond = (WORD)parts.tm_sec;
    now->wMilliseconds = (WORD)(clock.tv_nsec / 1000000L);
}

KVN_WEAK void GetLocalTime(LPSYSTEMTIME now)
{
    system_time(now, 1);
}

KVN_WEAK void GetSystemTime(LPSYSTEMTIME now)
{
    system_time(now, 0);
}

KVN_WEAK DWORD GetLastError(void)
{
    return 0;
}

KVN_WEAK void ExitProcess(UINT code)
{
    exit((int)code);
}

/* ---- The keyboard's state ---- */

enum { KEY_HOLD_MS = 50, ESCAPE_WAIT_MS = 30 };

static struct {
    ULONGLONG seen[256]; /* when the key last arrived; 0: never */
    unsigned char fresh[256]; /* arrived since the last question about it */
} keyboard;

static void key_arrived(int key, ULONGLONG now)
{
    keyboard.seen[key & 0xFF] = now;
    keyboard.fresh[key & 0xFF] = 1;
}

/* A byte of input already there, or within wait_ms; -1 when none (also at
   the end of a pipe). */
static int waiting_byte(int wait_ms)
{
    struct pollfd input;
    unsigned char byte;
    input.fd = STDIN_FILENO;
    input.events = POLLIN;
    input.revents = 0;
    if (poll(&input, 1, wait_ms) <= 0 || read(STDIN_FILENO, &byte, 1) != 1)
        return -1;
    return byte;
}

/* The key of ESC [ <number> ~ or ESC [ <letter>, ESC O <letter>. */
static int escape_key(int number, int final)
{
    static const int tilde[][2] = {{1, VK_HOME},  {2, VK_INSERT}, {3, VK_DELETE}, {4, VK_END},   {5, VK_PRIOR},
                                   {6, VK_NEXT},  {7, VK_HOME},   {8, VK_END},    {11, VK_F1},   {12, VK_F2},
                                   {13, VK_F3},   {14, VK_F4},    {15, VK_F5},    {17, VK_F6},   {18, VK_F7},
                                   {19, VK_F8},   {20, VK_F9},    {21, VK_F10},   {23, VK_F11},  {24, VK_F12}};
    size_t i;
    switch (final) {
    case 'A': return VK_UP;
    case 'B': return VK_DOWN;
    case 'C': return VK_RIGHT;
    case 'D': return VK_LEFT;
    case 'H': return VK_HOME;
    case 'F': return VK_END;
    case 'P': return VK_F1;
    case 'Q': return VK_F2;
    case 'R': return VK_F3;
    case 'S': return VK_F4;
    case '~':
        for (i = 0; i < sizeof tilde / sizeof tilde[0]; ++i) {
            if (tilde[i][0] == number)
                return tilde[i][1];
        }
        return 0;
    default: return 0;
    }
}

static void character_arrived(int c, ULONGLONG now)
{
    if (c >= 'a' && c <= 'z') {
        key_arrived(c - 'a' + 'A', now);
    } else if (c >= 'A' && c <= 'Z') {
        key_arrived(c, now);
        key_arrived(VK_SHIFT, now);
    } else if (c >= '0' && c <= '9') {
        key_arrived(c, now);
    } else if (c == ' ') {
        key_arrived(VK_SPACE, now);
    } else if (c == '\r' || c == '\n') {
        key_arrived(VK_RETURN, now);
    } else if (c == '\t') {
        key_arrived(VK_TAB, now);
    } else if (c == 127 || c == 8) {
        key_arrived(VK_BACK, now);
    } else if (c >= 1 && c <= 26) {
        key_arrived(c - 1 + 'A', now);
        key_arrived(VK_CONTROL, now);
    }
}

/* Takes every key the terminal has sent since the last look. */
static void read_arrived_keys(ULONGLONG now)
{
    struct termios saved;
    int c;
    const int terminal = kvn_key_mode(&saved, 1);
    while ((c = waiting_byte(0)) >= 0) {
        if (c != 27) {
            character_arrived(c, now);
            continue;
        }
        c = waiting_byte(ESCAPE_WAIT_MS);
        if (c == '[' || c == 'O') {
            int number = 0, key;
            while ((c = waiting_byte(ESCAPE_WAIT_MS)) >= 0 && ((c >= '0' && c <= '9') || c == ';')) {
                if (c == ';') /* modifiers do not change the key */
                    number = number ? number : -1;
                else if (number >= 0)
                    number = number * 10 + (c - '0');
            }
            key = escape_key(number < 0 ? 1 : number, c);
            if (key)
                key_arrived(key, now);
        } else {
            key_arrived(VK_ESCAPE, now);
            if (c >= 0)
                character_arrived(c, now);
        }
    }
    if (terminal)
        kvn_line_mode(&saved);
}

static SHORT key_state(int key)
{
    const ULONGLONG now = milliseconds_since_start() + 1; /* never 0 */
    int state = 0;
    kvn_flush_output();
    read_arrived_keys(now);
    if (key < 0 || key > 255)
        return 0;
    if (keyboard.seen[key] && now - keyboard.seen[key] < KEY_HOLD_MS)
        state |= 0x8000;
    if (keyboard.fresh[key])
        state |= 0x0001;
    keyboard.fresh[key] = 0;
    return (SHORT)state;
}

KVN_WEAK SHORT GetAsyncKeyState(int key)
{
    return key_state(key);
}

KVN_WEAK SHORT GetKeyState(int key)
{
    return key_state(key);
}

/* ---- The console's getch() ---- */

/* The scan code that follows a prefix already handed out, or -1. */
static int pending_scan = -1;

/* The keys of the gray block (arrows, Home, End, Page Up and Down,
   Insert, Delete, with Ctrl too) and F11 and F12 by their scan codes:
   those the Windows compilers' getch() gave after 224, where the DOS
   compilers' gave 0. */
static int gray_key(int scan)
{
    return (scan >= 71 && scan <= 83 && scan != 74 && scan != 76 && scan != 78)
           || (scan >= 115 && scan <= 119) || scan == 132 || (scan >= 133 && scan <= 140) || scan == 141
           || (scan >= 145 && scan <= 147);
}

static int windows_key(int echo)
{
    int key;
    if (pending_scan >= 0) {
        key = pending_scan;
        pending_scan = -1;
        return key;
    }
    key = kvn_read_key(echo);
    /* A 0 of a key of the old keyboard, read from a terminal, has its
       scan code queued behind it; a NUL byte of a file or a pipe is a key
       of its own. */
    if (key == 0 && isatty(STDIN_FILENO) && kvn_key_waiting()) {
        pending_scan = kvn_read_key(0);
        return gray_key(pending_scan) ? 224 : 0;
    }
    return key;
}

/* conio's functions under their own names, which <windows.h> points at
   the functions below. */
#undef getch
#undef _getch
#undef getche
#undef _getche
#undef kbhit
#undef _kbhit
int getch(void);
int _getch(void);
int getche(void);
int _getche(void);
int kbhit(void);
int _kbhit(void);

/* Whether the program has a function of its own under name, defined in a
   file where kvncc did not see it: in the library name and its other
   spelling (getch, _getch) are one function. The program's own is then
   what it calls, as without this header. */
static int program_has_own(int (*name)(void), int (*other)(void))
{
    int (*volatile first)(void) = name;
    int (*volatile second)(void) = other;
    return first != second;
}

/* Weak, like the whole old library. */
KVN_WEAK int kvn_windows_getch(void)
{
    return program_has_own(getch, _getch) ? getch() : windows_key(0);
}

KVN_WEAK int kvn_windows__getch(void)
{
    return program_has_own(_getch, getch) ? _getch() : windows_key(0);
}

KVN_WEAK int kvn_windows_getche(void)
{
    return program_has_own(getche, _getche) ? getche() : windows_key(1);
}

KVN_WEAK int kvn_windows__getche(void)
{
    return program_has_own(_getche, getche) ? _getche() : windows_key(1);
}

static int key_waiting(void)
{
    return pending_scan >= 0 || kvn_key_waiting();
}

KVN_WEAK int kvn_windows_kbhit(void)
{
    return program_has_own(kbhit, _kbhit) ? kbhit() : key_waiting();
}

KVN_WEAK int kvn_windows__kbhit(void)
{
    return program_has_own(_kbhit, kbhit) ? _kbhit() : key_waiting();
}

/* ---- Message boxes ---- */

struct button {
    const char *name; /* its first letter answers it */
    int answer;
};

/* The buttons of a box type, the first one the default. */
static int buttons_of(UINT type, struct button *buttons)
{
    static const struct button ok = {"OK", IDOK}, cancel = {"Cancel", IDCANCEL}, abort_ = {"Abort", IDABORT},
                               retry = {"Retry", IDRETRY}, ignore = {"Ignore", IDIGNORE}, yes = {"Yes", IDYES},
                               no = {"No", IDNO}, try_again = {"Try again", IDTRYAGAIN},
                               go_on = {"Continue", IDCONTINUE};
    switch (type & 0x0F) {
    case MB_OKCANCEL: buttons[0] = ok, buttons[1] = cancel; return 2;
    case MB_ABORTRETRYIGNORE: buttons[0] = abort_, buttons[1] = retry, buttons[2] = ignore; return 3;
    case MB_YESNOCANCEL: buttons[0] = yes, buttons[1] = no, buttons[2] = cancel; return 3;
    case MB_YESNO: buttons[0] = yes, buttons[1] = no; return 2;
    case MB_RETRYCANCEL: buttons[0] = retry, buttons[1] = cancel; return 2;
    case MB_CANCELTRYCONTINUE: buttons[0] = cancel, buttons[1] = try_again, buttons[2] = go_on; return 3;
    default: buttons[0] = ok; return 1;
    }
}

/* The button a key answers, or -1. */
static int button_for(int key, const struct button *buttons, int count, int default_button)
{
    int i;
    if (key == '\r' || key == '\n')
        return default_button;
    for (i = 0; i < count; ++i) {
        if (tolower(key) == tolower((unsigned char)buttons[i].name[0]))
            return i;
    }
    if (key == 27) { /* Esc closes a box that can be cancelled */
        for (i = 0; i < count; ++i) {
            if (buttons[i].answer == IDCANCEL)
                return i;
        }
    }
    return -1;
}

/* The answer when nobody can give one: never one that asks again. */
static int answer_at_end(const struct button *buttons, int count)
{
    int i;
    for (i = 0; i < count; ++i) {
        if (buttons[i].answer == IDCANCEL)
            return i;
    }
    for (i = 0; i < count; ++i) {
        if (buttons[i].answer == IDNO || buttons[i].answer == IDABORT)
            return i;
    }
    return 0;
}

KVN_WEAK int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    struct button buttons[3];
    struct termios saved;
    const int count = buttons_of(type, buttons);
    int default_button = (int)((type >> 8) & 0x0F), chosen = -1, i, c;
    (void)owner;
    if (default_button >= count)
        default_button = 0;
    kvn_flush_output();
    printf("%s: %s", caption ? caption : "Error", text ? text : "");
    if (count == 1 && !isatty(STDIN_FILENO)) {
        /* Nobody to press OK: the answers of a file are for questions. */
        putchar('\n');
        fflush(stdout);
        return buttons[0].answer;
    }
    fputs(" [", stdout);
    for (i = 0; i < count; ++i)
        printf("%s%s", i ? "/" : "", buttons[i].name);
    fputs("] ", stdout);
    fflush(stdout);
    if (kvn_key_mode(&saved, 1)) {
        /* The box waits, as the window did, for a key pressed while it
           shows. */
        tcflush(STDIN_FILENO, TCIFLUSH);
        /* Keys read past stdin's buffer: what the program's own reading left
           there was not meant for the box. */
        while (chosen < 0 && (c = kvn_read_input_byte()) != EOF)
            chosen = count == 1 ? 0 : button_for(c, buttons, count, default_button);
        /* The rest of a key such as an arrow. */
        tcflush(STDIN_FILENO, TCIFLUSH);
        kvn_line_mode(&saved);
    } else {
        /* Answers from a file, a line each: the first letter of a line
           that answers a button, an empty line the default button. */
        do {
            int first = -1;
            while ((c = getchar()) != EOF && c != '\n') {
                if (first < 0 && c != ' ' && c != '\t' && c != '\r')
                    first = c;
            }
            if (first >= 0)
                chosen = button_for(first, buttons, count, default_button);
            else if (c == '\n')
                chosen = default_button;
        } while (chosen < 0 && c != EOF);
    }
    if (chosen < 0)
        chosen = answer_at_end(buttons, count);
    printf("%s\n", buttons[chosen].name);
    fflush(stdout);
    return buttons[chosen].answer;
}
