/* <dir.h> of the classic DOS and Windows compilers: searching a folder for
   files (findfirst, findnext), the current folder and drive, and making
   and removing folders. Usable from C89 to C++20. Part of KVN.

   The functions live in KVN's old library; a name the program defines
   itself is hidden by kvncc's -DKVN_OWN_<name>. */
#ifndef KVN_COMPAT_DIR_H
#define KVN_COMPAT_DIR_H

#include <stddef.h>
#include <sys/stat.h>
#include <sys/types.h>

/* The attributes of a file, which findfirst() also takes to say what to
   find besides plain files: hidden files are those whose name begins with
   a dot, read-only ones those nobody may write; every plain
   file has FA_ARCH, as a file written since the last backup had. */
#ifndef FA_NORMAL
#define FA_NORMAL 0x00
#endif
#ifndef FA_RDONLY
#define FA_RDONLY 0x01
#endif
#ifndef FA_HIDDEN
#define FA_HIDDEN 0x02
#endif
#ifndef FA_SYSTEM
#define FA_SYSTEM 0x04
#endif
#ifndef FA_LABEL
#define FA_LABEL 0x08
#endif
#ifndef FA_DIREC
#define FA_DIREC 0x10
#endif
#ifndef FA_ARCH
#define FA_ARCH 0x20
#endif

/* The lengths of the parts of a path, each with its terminating null;
   large enough for the names of this system. */
#ifndef MAXPATH
#define MAXPATH 4096
#endif
#ifndef MAXDRIVE
#define MAXDRIVE 3
#endif
#ifndef MAXDIR
#define MAXDIR 4096
#endif
#ifndef MAXFILE
#define MAXFILE 256
#endif
#ifndef MAXEXT
#define MAXEXT 256
#endif

/* What fnsplit() found in a path. */
#ifndef WILDCARDS
#define WILDCARDS 0x01
#endif
#ifndef EXTENSION
#define EXTENSION 0x02
#endif
#ifndef FILENAME
#define FILENAME 0x04
#endif
#ifndef DIRECTORY
#define DIRECTORY 0x08
#endif
#ifndef DRIVE
#define DRIVE 0x10
#endif

struct ffblk {
    long ff_reserved;        /* which search this is, for findnext() */
    long ff_fsize;           /* the file's size in bytes */
    unsigned long ff_attrib; /* FA_ values */
    unsigned short ff_ftime; /* hours << 11 | minutes << 5 | seconds / 2 */
    unsigned short ff_fdate; /* (year - 1980) << 9 | month << 5 | day */
    char ff_name[256];       /* the file's name, without its folder */
};

#ifdef __cplusplus
extern "C" {
#endif

/* The first file that matches pattern, a path whose last part may hold
   the wildcards * and ?: 0 and the file in *found, or -1 and errno ENOENT
   when none matches. As on DOS, "*.*" matches every name, case does not
   count, a backslash separates folders and a drive letter is ignored.
   Plain files always come; folders only with FA_DIREC ("." and ".."
   among them, as on DOS), hidden and system files only with FA_HIDDEN and
   FA_SYSTEM. The names come in alphabetical order. */
#ifndef KVN_OWN_findfirst
int findfirst(const char *pattern, struct ffblk *found, int attrib);
#endif
/* The next file of the search that *found comes from: 0, or -1 and errno
   ENOENT when there is none. */
#ifndef KVN_OWN_findnext
int findnext(struct ffblk *found);
#endif

/* The current drive, 0 for A: (always C: here), and setdisk(), which
   changes nothing and returns the number of drives. */
#ifndef KVN_OWN_getdisk
int getdisk(void);
#endif
#ifndef KVN_OWN_setdisk
int setdisk(int drive);
#endif

/* A path cut into drive ("C:"), folder (with its final separator), name
   and extension (with its dot); any of them may be NULL. Each part is cut
   to fit its buffer: old programs gave buffers of the old fixed sizes,
   often written as numbers (char name[9]), or their own MAXFILE, while
   the names here are longer. */
#ifndef KVN_OWN_fnsplit
int fnsplit(const char *path, char *drive, char *dir, char *name, char *ext);
#endif
#ifndef KVN_OWN_fnmerge
void fnmerge(char *path, const char *drive, const char *dir, const char *name, const char *ext);
#endif
int kvn_fnsplit(const char *path, char *drive, char *dir, char *name, char *ext, size_t drive_size, size_t dir_size,
                size_t name_size, size_t ext_size);
void kvn_fnmerge(char *path, size_t path_size, const char *drive, const char *dir, const char *name,
                 const char *ext);

/* The room of a buffer: its size where the compiler knows it, and never
   more than the MAX constant the program sees where it calls. */
#define KVN_ROOM(buffer, limit)                                                                                    \
    (__builtin_object_size(buffer, 1) < (size_t)(limit) ? __builtin_object_size(buffer, 1) : (size_t)(limit))
#ifndef KVN_OWN_fnsplit
#define fnsplit(path, drive, dir, name, ext)                                                                       \
    kvn_fnsplit(path, drive, dir, name, ext, KVN_ROOM(drive, MAXDRIVE), KVN_ROOM(dir, MAXDIR),                     \
                KVN_ROOM(name, MAXFILE), KVN_ROOM(ext, MAXEXT))
#endif
#ifndef KVN_OWN_fnmerge
#define fnmerge(path, drive, dir, name, ext) kvn_fnmerge(path, KVN_ROOM(path, MAXPATH), drive, dir, name, ext)
#endif

/* The folder functions the old header declared, as <unistd.h> declares
   them (__THROW marks them as never throwing in C++): the whole of that
   header would take names such as read() and write() that old programs
   gave functions of their own. */
#ifndef KVN_OWN_chdir
int chdir(const char *path) __THROW;
#endif
#ifndef KVN_OWN_getcwd
char *getcwd(char *buffer, size_t size) __THROW;
#endif
#ifndef KVN_OWN_rmdir
int rmdir(const char *path) __THROW;
#endif
/* As <stdlib.h> declares it. */
#ifndef KVN_OWN_mktemp
char *mktemp(char *pattern) __THROW;
#endif

/* mkdir() with the path alone, as the old one was: the folder gets the
   usual permissions. */
int kvn_mkdir(const char *path);

#ifdef __cplusplus
}
#endif

#ifndef KVN_OWN_mkdir
#ifdef __cplusplus
inline int mkdir(const char *path)
{
    return kvn_mkdir(path);
}
#else
/* The system's mkdir(path, mode) stays; mkdir(path) is the old one. */
#define KVN_MKDIR_PICK(path, mode, name, ...) name
#define mkdir(...) KVN_MKDIR_PICK(__VA_ARGS__, mkdir, kvn_mkdir, ~)(__VA_ARGS__)
#endif
#endif

#endif
