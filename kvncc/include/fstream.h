/* <fstream.h> for programs written before C++ had namespaces: file
   streams, and everything of <iostream.h>. Part of KVN.

   The old streams took the open mode as an int, with values of their own,
   and a third argument, the new file's protection. The classes here are
   the standard ones with those ways of opening added; each use of them
   gets a warning at the program's line, since the standard streams refuse
   them. A program whose scope holds the standard names already (using
   namespace std) gets -DKVN_OWN_<name> from kvncc and the standard classes
   alone, which its own names would otherwise meet. */
#ifndef KVN_COMPAT_FSTREAM_H
#define KVN_COMPAT_FSTREAM_H

#include <iostream.h>
#include <fstream>
#include <cstdio>
#include <sys/stat.h>

/* ios::nocreate and ios::noreplace of the old streams, as no mode at all:
   an input file must exist anyway, and an output file is made or
   replaced as the standard streams do. */
#ifndef nocreate
#define nocreate openmode()
#endif
#if !defined(noreplace) && !defined(__cpp_lib_ios_noreplace)
#define noreplace openmode()
#endif

#define KVN_OLD_OPEN_MODE                                                                                              \
    [[deprecated("an int open mode is read with the old values of ios (1 in, 2 out, 4 ate, 8 app, 16 trunc, "         \
                 "32 nocreate, 64 noreplace, 128 binary): modes joined with || give 1, input; a protection "           \
                 "argument is not used")]]
#define KVN_OLD_PROTECTION [[deprecated("the protection argument of the old streams is not used")]]

namespace kvn_compat {

enum OldMode {
    oldIn = 1,
    oldOut = 2,
    oldAte = 4,
    oldApp = 8,
    oldTrunc = 16,
    oldNoCreate = 32,
    oldNoReplace = 64,
    oldBinary = 128
};
const int openprot = 0644; // the default protection of a new file, not used: the umask decides

// Opens file on name with an old mode, implied added (in for ifstream, out
// for ofstream), as the old streams opened it: out alone or with trunc
// empties the file, out with in, ate or app keeps it and makes it when
// missing, nocreate refuses a missing file, noreplace an existing one.
template<class Stream>
void openOld(Stream &file, const char *name, int mode, int implied)
{
    mode |= implied;
    if (mode & oldApp)
        mode |= oldOut;
    struct stat status;
    const bool exists = ::stat(name, &status) == 0;
    if (((mode & oldNoCreate) && !exists) || ((mode & oldNoReplace) && (mode & oldOut) && exists)) {
        file.setstate(std::ios_base::failbit);
        return;
    }
    std::ios_base::openmode standard = std::ios_base::openmode();
    if (mode & oldIn)
        standard |= std::ios_base::in;
    if (mode & oldOut)
        standard |= std::ios_base::out;
    if (mode & oldApp)
        standard |= std::ios_base::app;
    if (mode & oldAte)
        standard |= std::ios_base::ate;
    if (mode & oldTrunc)
        standard |= std::ios_base::trunc;
    if (mode & oldBinary)
        standard |= std::ios_base::binary;
    if ((mode & oldOut) && !(mode & (oldTrunc | oldApp)) && (mode & (oldIn | oldAte))) {
        // Kept and read or written where it ends: the standard streams need
        // the file to be there for that.
        standard |= std::ios_base::in;
        if (!exists) {
            if (std::FILE *made = std::fopen(name, "ab"))
                std::fclose(made);
        }
    }
    file.open(name, standard);
}

} // namespace kvn_compat

#ifndef KVN_OWN_filebuf
class filebuf : public std::filebuf
{
public:
    static const int openprot = kvn_compat::openprot;
};
#else
using std::filebuf;
#endif

/* The standard stream name with the old ways of opening; implied is the
   old mode it always adds. */
#define KVN_OLD_FILE_STREAM(name, implied)                                                                             \
    class name : public std::name                                                                                      \
    {                                                                                                                  \
    public:                                                                                                            \
        using std::name::basic_##name;                                                                                 \
        using std::name::open;                                                                                         \
        name() = default;                                                                                              \
        KVN_OLD_OPEN_MODE name(const char *file, int mode, int protection = kvn_compat::openprot)                      \
        {                                                                                                              \
            (void)protection;                                                                                          \
            kvn_compat::openOld(*this, file, mode, implied);                                                           \
        }                                                                                                              \
        KVN_OLD_PROTECTION name(const char *file, std::ios_base::openmode mode, int protection)                        \
            : std::name(file, mode)                                                                                    \
        {                                                                                                              \
            (void)protection;                                                                                          \
        }                                                                                                              \
        KVN_OLD_OPEN_MODE void open(const char *file, int mode, int protection = kvn_compat::openprot)                 \
        {                                                                                                              \
            (void)protection;                                                                                          \
            kvn_compat::openOld(*this, file, mode, implied);                                                           \
        }                                                                                                              \
        KVN_OLD_PROTECTION void open(const char *file, std::ios_base::openmode mode, int protection)                   \
        {                                                                                                              \
            (void)protection;                                                                                          \
            std::name::open(file, mode);                                                                               \
        }                                                                                                              \
    }

#ifndef KVN_OWN_fstream
KVN_OLD_FILE_STREAM(fstream, 0);
#else
using std::fstream;
#endif
#ifndef KVN_OWN_ifstream
KVN_OLD_FILE_STREAM(ifstream, kvn_compat::oldIn);
#else
using std::ifstream;
#endif
#ifndef KVN_OWN_ofstream
KVN_OLD_FILE_STREAM(ofstream, kvn_compat::oldOut);
#else
using std::ofstream;
#endif

#undef KVN_OLD_FILE_STREAM
#undef KVN_OLD_PROTECTION
#undef KVN_OLD_OPEN_MODE

#endif
