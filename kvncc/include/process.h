/* <process.h> of the classic DOS and Windows compilers: exit(), system()
   and the process functions, which the system has in <stdlib.h> and
   <unistd.h>, and the spawn functions, which start another program. Usable
   from C89 to C++20. Part of KVN.

   The functions live in KVN's old library; a name the program defines
   itself is hidden by kvncc's -DKVN_OWN_<name>. */
#ifndef KVN_COMPAT_PROCESS_H
#define KVN_COMPAT_PROCESS_H

#include <stdlib.h>
#include <sys/types.h>

/* How a spawn function runs the program: P_WAIT waits for it and returns
   its exit status, P_NOWAIT returns its process id at once, P_OVERLAY
   runs it in place of the caller, which does not come back. */
#ifndef P_WAIT
#define P_WAIT 0
#endif
#ifndef P_NOWAIT
#define P_NOWAIT 1
#endif
#ifndef P_OVERLAY
#define P_OVERLAY 2
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The arguments end with a null pointer; argument 0 is the program's name.
   The p forms look the program up in PATH, the e forms take the
   environment after the null pointer. -1 and errno when the program cannot
   be started. Standard output is flushed first, so that what the caller
   printed comes before what the program prints. */
#ifndef KVN_OWN_spawnl
int spawnl(int mode, const char *path, const char *arg0, ...);
#endif
#ifndef KVN_OWN_spawnlp
int spawnlp(int mode, const char *path, const char *arg0, ...);
#endif
#ifndef KVN_OWN_spawnle
int spawnle(int mode, const char *path, const char *arg0, ...);
#endif
#ifndef KVN_OWN_spawnv
int spawnv(int mode, const char *path, char *const argv[]);
#endif
#ifndef KVN_OWN_spawnvp
int spawnvp(int mode, const char *path, char *const argv[]);
#endif
#ifndef KVN_OWN_spawnve
int spawnve(int mode, const char *path, char *const argv[], char *const envp[]);
#endif

/* The process functions the old header declared, as <unistd.h> declares
   them (__THROW marks them as never throwing in C++): the whole of that
   header would take names such as read() and write() that old programs
   gave functions of their own. */
#ifndef KVN_OWN_getpid
pid_t getpid(void) __THROW;
#endif
#ifndef KVN_OWN__exit
void _exit(int status) __attribute__((__noreturn__));
#endif
#ifndef KVN_OWN_execl
int execl(const char *path, const char *arg0, ...) __THROW;
#endif
#ifndef KVN_OWN_execlp
int execlp(const char *file, const char *arg0, ...) __THROW;
#endif
#ifndef KVN_OWN_execle
int execle(const char *path, const char *arg0, ...) __THROW;
#endif
#ifndef KVN_OWN_execv
int execv(const char *path, char *const argv[]) __THROW;
#endif
#ifndef KVN_OWN_execvp
int execvp(const char *file, char *const argv[]) __THROW;
#endif
#ifndef KVN_OWN_execve
int execve(const char *path, char *const argv[], char *const envp[]) __THROW;
#endif

#ifdef __cplusplus
}
#endif

/* The same under the names of the Windows compilers' library. */
#ifndef _P_WAIT
#define _P_WAIT P_WAIT
#endif
#ifndef _P_NOWAIT
#define _P_NOWAIT P_NOWAIT
#endif
#ifndef _P_OVERLAY
#define _P_OVERLAY P_OVERLAY
#endif
#define _spawnl spawnl
#define _spawnlp spawnlp
#define _spawnle spawnle
#define _spawnv spawnv
#define _spawnvp spawnvp
#define _spawnve spawnve
#define _getpid getpid

#endif
