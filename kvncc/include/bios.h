/* <bios.h> of the classic DOS compilers: the keyboard services of the
   machine's BIOS. Usable from C89 to C++20. Part of KVN.

   The functions live in KVN's old library; a name the program defines
   itself is hidden by kvncc's -DKVN_OWN_<name>. */
#ifndef KVN_COMPAT_BIOS_H
#define KVN_COMPAT_BIOS_H

/* What _bios_keybrd() is asked; the _NKEYBRD_ forms were those of the
   extended keyboard, which answer the same here. */
#ifndef _KEYBRD_READ
#define _KEYBRD_READ 0
#endif
#ifndef _KEYBRD_READY
#define _KEYBRD_READY 1
#endif
#ifndef _KEYBRD_SHIFTSTATUS
#define _KEYBRD_SHIFTSTATUS 2
#endif
#ifndef _NKEYBRD_READ
#define _NKEYBRD_READ 0x10
#endif
#ifndef _NKEYBRD_READY
#define _NKEYBRD_READY 0x11
#endif
#ifndef _NKEYBRD_SHIFTSTATUS
#define _NKEYBRD_SHIFTSTATUS 0x12
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* cmd 0 waits for a key and returns its scan code in the high byte and
   its character in the low one (0 for the arrow, function and editing
   keys); 1 returns 0 when no key waits (also once the input has ended)
   and not 0 when one does, leaving it for the next read; 2 returns the
   shift keys held, which a terminal does not tell: 0. When the input has
   ended (a file or a pipe read to its end), a wait for a key ends the
   program with a word why. */
#ifndef KVN_OWN_bioskey
int bioskey(int cmd);
#endif
#ifndef KVN_OWN__bios_keybrd
unsigned _bios_keybrd(unsigned cmd);
#endif

#ifdef __cplusplus
}
#endif

#endif
