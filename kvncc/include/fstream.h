/* <fstream.h> for programs written before C++ had namespaces: file
   streams, and everything of <iostream.h>. Part of KVN.

   The old streams took the open mode as an int, with values of their own,
   and a third argument, the new file's protection; they knew the modes
   ios::nocreate and ios::noreplace. The classes here are the standard ones
   with those ways of opening added; an int mode or a protection gets a
   warning at the program's line, since the standard streams refuse them.
   A program whose scope holds the standard names already (using namespace
   std) gets -DKVN_OWN_<name> from kvncc and the standard classes alone,
   which its own names would otherwise meet. */
#ifndef KVN_COMPAT_FSTREAM_H
#define KVN_COMPAT_FSTREAM_H

#include <iostream.h>
#include <fstream>

#if __cplusplus < 201103L
/* Before C++11 the standard classes alone, and the two old modes as no
   mode at all. */
using std::filebuf;
using std::fstream;
using std::ifstream;
using std::ofstream;
#ifndef nocreate
#define nocreate openmode()
#endif
#ifndef noreplace
#define noreplace openmode()
#endif
#else

#include <cstdio>
#include <sys/stat.h>

namespace kvn_compat {

// ios::noreplace: the standard library's own exclusive mode where it has
// one, which makes the file only when it is not there; otherwise a bit of
// ours that the classes below look for and the standard streams ignore,
// as they ignore the bit of ios::nocreate.
const int noCreate = 1 << 12;
const int ownNoReplace = 1 << 13;
template<class Base, class = void>
struct NoReplace
{
    static const int value = ownNoReplace;
};
template<class Base>
struct NoReplace<Base, decltype(void(Base::__noreplace))>
{
    static const int value = Base::__noreplace;
};

} // namespace kvn_compat

/* ios::nocreate: an existing file only; ios::noreplace: a new file only,
   never one emptied. */
#ifndef nocreate
#define nocreate openmode(kvn_compat::noCreate)
#endif
#if !defined(noreplace) && !defined(__cpp_lib_ios_noreplace)
#define noreplace openmode(kvn_compat::NoReplace<std::ios_base>::value)
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

inline bool exists(const char *name)
{
    struct stat status;
    return ::stat(name, &status) == 0;
}

// Takes our bits out of mode; false, with the stream failed, when they
// refuse the file.
template<class Stream>
bool allowed(Stream &file, const char *name, std::ios_base::openmode &mode)
{
    const int bits = int(mode);
    const bool emulated = NoReplace<std::ios_base>::value == ownNoReplace;
    mode = std::ios_base::openmode(bits & ~(noCreate | (emulated ? ownNoReplace : 0)));
    if (((bits & noCreate) && !exists(name)) || (emulated && (bits & ownNoReplace) && exists(name))) {
        file.setstate(std::ios_base::failbit);
        return false;
    }
    return true;
}

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
    const bool there = exists(name);
    if (((mode & oldNoCreate) && !there) || ((mode & oldNoReplace) && (mode & oldOut) && there)) {
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
        if (!there) {
            if (std::FILE *made = std::fopen(name, "ab"))
                std::fclose(made);
        }
    }
    file.open(name, standard);
}

// A standard mode as the old streams took it: out kept the file, and made
// it when missing, whenever in or ate came with it (the standard streams
// refuse a missing file for in and out together, and empty the file for
// out with ate).
inline std::ios_base::openmode keptOpen(const char *name, std::ios_base::openmode mode,
                                        std::ios_base::openmode implied)
{
    const std::ios_base::openmode all = mode | implied;
    if ((all & std::ios_base::out) && !(all & (std::ios_base::trunc | std::ios_base::app))
        && (all & (std::ios_base::in | std::ios_base::ate))) {
        if (!exists(name)) {
            if (std::FILE *made = std::fopen(name, "ab"))
                std::fclose(made);
        }
        mode |= std::ios_base::in;
    }
    return mode;
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
   old mode it always adds, impliedStandard the same as a standard mode,
   standard the standard mode it opens with when given none. */
#define KVN_OLD_FILE_STREAM(name, implied, impliedStandard, standard)                                                  \
    class name : public std::name                                                                                      \
    {                                                                                                                  \
    public:                                                                                                            \
        using std::name::basic_##name;                                                                                 \
        using std::name::open;                                                                                         \
        name() = default;                                                                                              \
        explicit name(const char *file, std::ios_base::openmode mode = standard)                                      \
        {                                                                                                              \
            open(file, mode);                                                                                          \
        }                                                                                                              \
        KVN_OLD_OPEN_MODE name(const char *file, int mode, int protection = kvn_compat::openprot)                      \
        {                                                                                                              \
            (void)protection;                                                                                          \
            kvn_compat::openOld(*this, file, mode, implied);                                                           \
        }                                                                                                              \
        KVN_OLD_PROTECTION name(const char *file, std::ios_base::openmode mode, int protection)                        \
        {                                                                                                              \
            (void)protection;                                                                                          \
            open(file, mode);                                                                                          \
        }                                                                                                              \
        void open(const char *file, std::ios_base::openmode mode = standard)                                          \
        {                                                                                                              \
            if (kvn_compat::allowed(*this, file, mode))                                                                \
                std::name::open(file, kvn_compat::keptOpen(file, mode, impliedStandard));                            \
        }                                                                                                              \
        KVN_OLD_OPEN_MODE void open(const char *file, int mode, int protection = kvn_compat::openprot)                 \
        {                                                                                                              \
            (void)protection;                                                                                          \
            kvn_compat::openOld(*this, file, mode, implied);                                                           \
        }                                                                                                              \
        KVN_OLD_PROTECTION void open(const char *file, std::ios_base::openmode mode, int protection)                   \
        {                                                                                                              \
            (void)protection;                                                                                          \
            open(file, mode);                                                                                          \
        }                                                                                                              \
    }

#ifndef KVN_OWN_fstream
KVN_OLD_FILE_STREAM(fstream, 0, std::ios_base::openmode(), std::ios_base::in | std::ios_base::out);
#else
using std::fstream;
#endif
#ifndef KVN_OWN_ifstream
KVN_OLD_FILE_STREAM(ifstream, kvn_compat::oldIn, std::ios_base::in, std::ios_base::in);
#else
using std::ifstream;
#endif
#ifndef KVN_OWN_ofstream
KVN_OLD_FILE_STREAM(ofstream, kvn_compat::oldOut, std::ios_base::out, std::ios_base::out);
#else
using std::ofstream;
#endif

#undef KVN_OLD_FILE_STREAM
#undef KVN_OLD_PROTECTION
#undef KVN_OLD_OPEN_MODE

#endif
#endif
