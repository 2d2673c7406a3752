/* <dir.h>: searching folders for files, the current drive, paths cut into
   their parts. Weak, like the whole old library, so that a program's own
   function of the same name wins. */
#define _DEFAULT_SOURCE
#include <dir.h>

#include <ctype.h>
#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define KVN_WEAK __attribute__((weak))

/* The functions themselves, under their own names; the header's macros
   of the same names pass the room of the caller's buffers. */
#undef fnsplit
#undef fnmerge

/* The old interface has no call that ends a search, so a program that
   stops early never says it is done: the searches are kept in a table of
   fixed size, each found in full when it starts, and a new one takes the
   place of the oldest. A search that has handed out its last file frees
   its place at once. */
enum { kept_searches = 16 };

struct search {
    long id; /* 0: the place is free */
    struct ffblk *files;
    size_t count, next;
};

static struct search searches[kept_searches];
static long last_id;

static void release(struct search *search)
{
    free(search->files);
    search->files = NULL;
    search->id = 0;
}

/* Whether name matches the DOS pattern: * for any run of characters, ? for
   one, case not counted; "*.*" matches every name, with a dot or without,
   and a pattern that ends in a dot ("*.") the names without one, as the
   empty extension of a DOS name. */
static int matches(const char *pattern, const char *name)
{
    const char *star = NULL, *resume = NULL;
    const size_t length = strlen(pattern);
    if (strcmp(pattern, "*.*") == 0)
        return 1;
    if (length > 1 && pattern[length - 1] == '.' && pattern[length - 2] != '.' && !strchr(name, '.')) {
        char *stem = strdup(pattern);
        int found = 0;
        if (stem) {
            stem[length - 1] = '\0';
            found = matches(stem, name);
            free(stem);
        }
        return found;
    }
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || tolower((unsigned char)*pattern) == tolower((unsigned char)*name)) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return 0;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

/* The entry as findfirst() reports it; 0 when it is not among what attrib
   asks for. */
static int describe(const char *folder, const char *name, int attrib, struct ffblk *file)
{
    struct stat status;
    struct tm local;
    char *path = malloc(strlen(folder) + strlen(name) + 2);
    unsigned long found = 0;
    int dots = strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
    if (!path)
        return 0;
    sprintf(path, "%s/%s", folder, name);
    if (stat(path, &status) != 0 && lstat(path, &status) != 0) {
        free(path);
        return 0;
    }
    free(path);
    if (S_ISDIR(status.st_mode))
        found |= FA_DIREC;
    else if (S_ISREG(status.st_mode))
        found |= FA_ARCH;
    else
        found |= FA_SYSTEM;
    if (name[0] == '.' && !dots)
        found |= FA_HIDDEN;
    if (!(status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        found |= FA_RDONLY;
    /* Plain files always; folders, hidden and system files when asked. */
    if ((found & (FA_DIREC | FA_HIDDEN | FA_SYSTEM)) & ~(unsigned long)attrib)
        return 0;
    memset(file, 0, sizeof *file);
    file->ff_attrib = found;
    file->ff_fsize = (long)status.st_size;
    if (localtime_r(&status.st_mtime, &local) && local.tm_year >= 80) {
        file->ff_ftime = (unsigned short)(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
        file->ff_fdate = (unsigned short)((local.tm_year - 80) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
    }
    snprintf(file->ff_name, sizeof file->ff_name, "%s", name);
    return 1;
}

static int by_name(const void *a, const void *b)
{
    return strcmp(((const struct ffblk *)a)->ff_name, ((const struct ffblk *)b)->ff_name);
}

/* The files of the search, in order; count 0 when none matches. */
static struct ffblk *find_all(const char *pattern, int attrib, size_t *count)
{
    char *path = malloc(strlen(pattern) + 2);
    char *cut, *folder, *name;
    struct ffblk *files = NULL;
    size_t size = 0;
    struct dirent *entry;
    DIR *dir;
    *count = 0;
    if (!path)
        return NULL;
    /* "C:\work\*.c" is the pattern *.c in the folder work here. */
    if (isalpha((unsigned char)pattern[0]) && pattern[1] == ':')
        pattern += 2;
    strcpy(path, pattern);
    for (cut = path; *cut; ++cut) {
        if (*cut == '\\')
            *cut = '/';
    }
    cut = strrchr(path, '/');
    if (cut) {
        *cut = '\0';
        folder = cut == path ? "/" : path;
        name = cut + 1;
    } else {
        folder = ".";
        name = path;
    }
    dir = opendir(folder);
    while (dir && (entry = readdir(dir)) != NULL) {
        struct ffblk file;
        if (!matches(name, entry->d_name) || !describe(folder, entry->d_name, attrib, &file))
            continue;
        if (*count == size) {
            struct ffblk *more = realloc(files, (size ? size * 2 : 16) * sizeof *files);
            if (!more)
                break;
            files = more;
            size = size ? size * 2 : 16;
        }
        files[(*count)++] = file;
    }
    if (dir)
        closedir(dir);
    free(path);
    if (*count)
        qsort(files, *count, sizeof *files, by_name);
    return files;
}

static int hand_out(struct search *search, struct ffblk *found)
{
    *found = search->files[search->next++];
    found->ff_reserved = search->id;
    if (search->next == search->count)
        release(search);
    return 0;
}

KVN_WEAK int findfirst(const char *pattern, struct ffblk *found, int attrib)
{
    struct search *place = &searches[0];
    size_t count = 0, i;
    struct ffblk *files = pattern && found ? find_all(pattern, attrib, &count) : NULL;
    if (!count) {
        free(files);
        errno = ENOENT;
        return -1;
    }
    for (i = 0; i < kept_searches; ++i) {
        if (searches[i].id < place->id)
            place = &searches[i];
    }
    if (place->id)
        release(place);
    place->id = ++last_id;
    place->files = files;
    place->count = count;
    place->next = 0;
    return hand_out(place, found);
}

KVN_WEAK int findnext(struct ffblk *found)
{
    size_t i;
    for (i = 0; found && found->ff_reserved > 0 && i < kept_searches; ++i) {
        if (searches[i].id == found->ff_reserved)
            return hand_out(&searches[i], found);
    }
    errno = ENOENT;
    return -1;
}

KVN_WEAK int getdisk(void)
{
    return 2;
}

KVN_WEAK int setdisk(int drive)
{
    (void)drive;
    return 26;
}

KVN_WEAK int kvn_mkdir(const char *path)
{
    return mkdir(path, 0777);
}

static void copy_part(char *to, size_t size, const char *from, size_t length)
{
    if (!to || size == 0)
        return;
    if (length >= size)
        length = size - 1;
    memcpy(to, from, length);
    to[length] = '\0';
}

/* fnsplit() and fnmerge() of this library, by names a program does not
   define (aliases of the definitions below). */
int kvn_library_fnsplit(const char *path, char *drive, char *dir, char *name, char *ext);
void kvn_library_fnmerge(char *path, const char *drive, const char *dir, const char *name, const char *ext);

/* Whether the program has a function of its own for fnsplit() or
   fnmerge(), defined in a file where kvncc did not see it: then the
   header's macro in its other files must still reach the program's. */
static int program_has_own(void (*name)(void), void (*library)(void))
{
    void (*volatile own)(void) = name;
    return own != library;
}

KVN_WEAK int kvn_fnsplit(const char *path, char *drive, char *dir, char *name, char *ext, size_t drive_size,
                         size_t dir_size, size_t name_size, size_t ext_size)
{
    const char *rest, *base, *dot, *p;
    int flags = 0;
    if (program_has_own((void (*)(void))fnsplit, (void (*)(void))kvn_library_fnsplit))
        return fnsplit(path, drive, dir, name, ext);
    /* No path (argv[1] of a program started without one) has no parts:
       on DOS it read whatever lay at address 0, without a crash. */
    if (!path)
        path = "";
    rest = path;
    if (strpbrk(path, "*?"))
        flags |= WILDCARDS;
    if (isalpha((unsigned char)path[0]) && path[1] == ':') {
        flags |= DRIVE;
        rest = path + 2;
    }
    copy_part(drive, drive_size, path, (size_t)(rest - path));
    base = rest;
    for (p = rest; *p; ++p) {
        if (*p == '/' || *p == '\\')
            base = p + 1;
    }
    if (base > rest)
        flags |= DIRECTORY;
    copy_part(dir, dir_size, rest, (size_t)(base - rest));
    dot = strrchr(base, '.');
    if (!dot || dot == base)
        dot = base + strlen(base);
    if (dot > base)
        flags |= FILENAME;
    if (*dot)
        flags |= EXTENSION;
    copy_part(name, name_size, base, (size_t)(dot - base));
    copy_part(ext, ext_size, dot, strlen(dot));
    return flags;
}

KVN_WEAK int fnsplit(const char *path, char *drive, char *dir, char *name, char *ext)
{
    return kvn_fnsplit(path, drive, dir, name, ext, MAXDRIVE, MAXDIR, MAXFILE, MAXEXT);
}
int kvn_library_fnsplit(const char *path, char *drive, char *dir, char *name, char *ext)
    __attribute__((alias("fnsplit")));

KVN_WEAK void kvn_fnmerge(char *path, size_t path_size, const char *drive, const char *dir, const char *name,
                          const char *ext)
{
    size_t length;
    if (program_has_own((void (*)(void))fnmerge, (void (*)(void))kvn_library_fnmerge)) {
        fnmerge(path, drive, dir, name, ext);
        return;
    }
    if (!path || path_size == 0)
        return;
    snprintf(path, path_size, "%s%s", drive ? drive : "", dir ? dir : "");
    length = strlen(path);
    /* The separator the folder itself uses. */
    if (dir && *dir && length > 0 && path[length - 1] != '/' && path[length - 1] != '\\' && length + 1 < path_size)
        strcat(path, strchr(dir, '\\') ? "\\" : "/");
    length = strlen(path);
    snprintf(path + length, path_size - length, "%s%s%s", name ? name : "", ext && *ext && *ext != '.' ? "." : "",
             ext ? ext : "");
}

KVN_WEAK void fnmerge(char *path, const char *drive, const char *dir, const char *name, const char *ext)
{
    kvn_fnmerge(path, MAXPATH, drive, dir, name, ext);
}
void kvn_library_fnmerge(char *path, const char *drive, const char *dir, const char *name, const char *ext)
    __attribute__((alias("fnmerge")));
