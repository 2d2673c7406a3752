/* system() for the programs of the classic console. The commands they give
   the console rather than a program (cls, pause, color, mode, title, chcp)
   are carried out here, whether KVN's terminal or a shell started the
   program; everything else goes to /bin/sh as ever, with the exit status
   and the handling of SIGINT and SIGQUIT that POSIX gives system().

   Every output stream is flushed before any command, so that text printed
   before system("cls") is shown before the screen is cleared. Weak, like
   the whole old library. */
#define _DEFAULT_SOURCE
#include "console.h"

#include <ctype.h>
#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#define KVN_WEAK __attribute__((weak))

/* In terminal.c. */
int kvn_key_mode(struct termios *saved, int enter_gives_cr);
void kvn_line_mode(const struct termios *saved);

extern char **environ;

/* The words of the "pause" command KVN's terminal has, kvncc/keywait.h. */
static const char pause_prompt[] = "Press any key to continue . . . ";

/* The wait status of a command that ended with code. */
static int exit_status(int code)
{
    return (code & 0xFF) << 8;
}

static int blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

/* What text, blanks aside and in any case, does as redirections to nul
   of the output (1, or no number) and of errors (2), the one also onto
   the other ("&1", "&2"): ">nul", "> NUL", "1>nul 2>&1", "2>nul". 1 when
   the output goes to nul, 0 when only the errors do, -1 when text is
   anything else. */
static int to_nul(const char *text, size_t length)
{
    char squeezed[32];
    size_t i, n = 0;
    int output_to_nul = 0;
    for (i = 0; i < length; ++i) {
        if (blank(text[i]))
            continue;
        if (n + 1 >= sizeof squeezed)
            return -1;
        squeezed[n++] = (char)tolower((unsigned char)text[i]);
    }
    squeezed[n] = '\0';
    for (i = 0; i < n;) {
        char stream = '1';
        if ((squeezed[i] == '1' || squeezed[i] == '2') && squeezed[i + 1] == '>')
            stream = squeezed[i++];
        if (squeezed[i++] != '>')
            return -1;
        if (strncmp(squeezed + i, "nul", 3) == 0) {
            i += 3;
            if (stream == '1')
                output_to_nul = 1;
        } else if (squeezed[i] == '&' && (squeezed[i + 1] == '1' || squeezed[i + 1] == '2')) {
            i += 2;
        } else {
            return -1;
        }
    }
    return output_to_nul;
}

/* A command as its words: the first one in lower case, and the rest with
   the blanks around it and a redirection to nul left off. */
struct command {
    char name[8];
    const char *rest;
    size_t rest_length;
    int quiet; /* its output went to nul */
};

static int parse(const char *text, struct command *command)
{
    const char *end = text + strlen(text);
    size_t n = 0;
    while (blank(*text))
        ++text;
    while (end > text && blank(end[-1]))
        --end;
    while (text < end && !blank(*text) && *text != '>') {
        if (n + 1 >= sizeof command->name)
            return 0;
        command->name[n++] = (char)tolower((unsigned char)*text++);
    }
    command->name[n] = '\0';
    while (text < end && blank(*text))
        ++text;
    command->rest = text;
    command->rest_length = (size_t)(end - text);
    command->quiet = 0;
    {
        const char *redirection = memchr(text, '>', command->rest_length);
        int quiet;
        /* A 1 or 2 before > is the stream's number only as a word of its
           own: the 1 of "color 01>nul" is a colour. */
        if (redirection && redirection > text && (redirection[-1] == '1' || redirection[-1] == '2')
            && (redirection - 1 == text || blank(redirection[-2])))
            --redirection;
        if (redirection && (quiet = to_nul(redirection, (size_t)(end - redirection))) >= 0) {
            command->quiet = quiet;
            while (redirection > text && blank(redirection[-1]))
                --redirection;
            command->rest_length = (size_t)(redirection - text);
        }
    }
    return n > 0;
}

static int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = (char)tolower((unsigned char)c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

/* "color" alone: the terminal's own colours again; "color BF": background
   B and foreground F, hex digits of the console colours ("color F" keeps a
   black background). The same colour twice, or anything else, changes
   nothing and fails, as there. */
static int color(const struct command *command)
{
    int background = 0, foreground;
    if (command->rest_length == 0) {
        kvn_set_base_attribute(-1);
        return 0;
    }
    if (command->rest_length == 1) {
        foreground = hex_digit(command->rest[0]);
    } else if (command->rest_length == 2) {
        background = hex_digit(command->rest[0]);
        foreground = hex_digit(command->rest[1]);
    } else {
        return exit_status(1);
    }
    if (background < 0 || foreground < 0 || background == foreground)
        return exit_status(1);
    kvn_set_base_attribute(background << 4 | foreground);
    return 0;
}

/* As KVN's own pause command: a key at once, without Enter, at a terminal;
   one byte of a pipe or a file, which at its end ends the wait. */
static int pause_for_key(int quiet)
{
    struct termios saved;
    if (!quiet) {
        fputs(pause_prompt, stdout);
        fflush(stdout);
    }
    if (kvn_key_mode(&saved, 1)) {
        kvn_read_input_byte();
        /* The rest of a key such as an arrow must not reach the program's
           next read. */
        tcflush(STDIN_FILENO, TCIFLUSH);
        kvn_line_mode(&saved);
    } else {
        kvn_read_input_byte();
    }
    if (!quiet) {
        putchar('\n');
        fflush(stdout);
    }
    return 0;
}

static int clear_screen(void)
{
    if (kvn_output_is_terminal()) {
        fputs("\033[H\033[2J\033[3J", stdout);
        fflush(stdout);
    }
    return 0;
}

static int title(const struct command *command)
{
    char text[256];
    const size_t length = command->rest_length < sizeof text - 1 ? command->rest_length : sizeof text - 1;
    memcpy(text, command->rest, length);
    text[length] = '\0';
    kvn_set_title(text);
    return 0;
}

/* Whether the words hold what makes more than one command of a line, or
   runs another: a redirection, a pipe, a chain (;, &, a line end) or a
   command substitution. Such a line is the shell's as a whole, so that no
   part of it is carried out here and the rest dropped. */
static int more_than_a_command(const char *text, size_t length)
{
    size_t i;
    for (i = 0; i < length; ++i) {
        if (strchr("<>|&;`\n", text[i]) || (text[i] == '$' && i + 1 < length && text[i + 1] == '('))
            return 1;
    }
    return 0;
}

/* The console command's status, or -1 when the command is not one. */
static int console_command(const char *text)
{
    struct command command;
    if (!parse(text, &command))
        return -1;
    if (more_than_a_command(command.rest, command.rest_length))
        return -1;
    if (strcmp(command.name, "cls") == 0 && command.rest_length == 0)
        return clear_screen();
    if (strcmp(command.name, "pause") == 0 && command.rest_length == 0)
        return pause_for_key(command.quiet);
    if (strcmp(command.name, "color") == 0)
        return color(&command);
    /* The window's size and the code page are the terminal's. */
    if (strcmp(command.name, "mode") == 0 || strcmp(command.name, "chcp") == 0)
        return 0;
    if (strcmp(command.name, "title") == 0)
        return title(&command);
    return -1;
}

/* The shell's system(), as POSIX describes it. */
static int shell(const char *command)
{
    static char sh[] = "sh", dash_c[] = "-c";
    char *argv[4];
    struct sigaction ignore, old_interrupt, old_quit;
    sigset_t child, old_mask, defaults;
    posix_spawnattr_t attributes;
    pid_t pid;
    int status = -1;
    argv[0] = sh;
    argv[1] = dash_c;
    argv[2] = (char *)command;
    argv[3] = NULL;
    memset(&ignore, 0, sizeof ignore);
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGINT, &ignore, &old_interrupt);
    sigaction(SIGQUIT, &ignore, &old_quit);
    sigemptyset(&child);
    sigaddset(&child, SIGCHLD);
    sigprocmask(SIG_BLOCK, &child, &old_mask);

    sigemptyset(&defaults);
    if (old_interrupt.sa_handler != SIG_IGN)
        sigaddset(&defaults, SIGINT);
    if (old_quit.sa_handler != SIG_IGN)
        sigaddset(&defaults, SIGQUIT);
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &old_mask);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    if (posix_spawn(&pid, "/bin/sh", NULL, &attributes, argv, environ) == 0) {
        while (waitpid(pid, &status, 0) < 0) {
            if (errno != EINTR) {
                status = -1;
                break;
            }
        }
    } else {
        status = exit_status(127); /* as if the shell could not be run */
    }
    posix_spawnattr_destroy(&attributes);

    sigaction(SIGINT, &old_interrupt, NULL);
    sigaction(SIGQUIT, &old_quit, NULL);
    sigprocmask(SIG_SETMASK, &old_mask, NULL);
    return status;
}

/* "cls || clear", the line of a program written to clear the screen on
   either system: when the first command is a console command it is
   carried out here, and the second is the shell's only when the first
   failed. The status, or -1 when the line is not such a pair. */
static int either_command(const char *text)
{
    const char *bars = strstr(text, "||");
    char first[64];
    size_t length;
    int status;
    if (!bars || more_than_a_command(bars + 2, strlen(bars + 2)))
        return -1;
    length = (size_t)(bars - text);
    if (length >= sizeof first || more_than_a_command(text, length))
        return -1;
    memcpy(first, text, length);
    first[length] = '\0';
    status = console_command(first);
    if (status <= 0)
        return status;
    return shell(bars + 2);
}

KVN_WEAK int system(const char *command)
{
    int status;
    if (command == NULL)
        return access("/bin/sh", X_OK) == 0;
    kvn_flush_output();
    fflush(NULL);
    status = console_command(command);
    if (status < 0)
        status = either_command(command);
    return status >= 0 ? status : shell(command);
}
