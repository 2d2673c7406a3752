/* <tchar.h> of the Windows compilers, in its one-byte form: _tmain is
   main, _TCHAR is char, _T("text") is "text", and the _t names are the
   functions of the standard library. Part of KVN. */
#ifndef KVN_COMPAT_TCHAR_H
#define KVN_COMPAT_TCHAR_H

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifndef KVN_TCHAR_DEFINED
#define KVN_TCHAR_DEFINED
typedef char _TCHAR;
typedef char _TSCHAR;
typedef unsigned char _TUCHAR;
#endif

#define _tmain main
#define _T(text) text
#define _TEXT(text) text
#define __T(text) text

#define _tprintf printf
#define _ftprintf fprintf
#define _stprintf sprintf
#define _sntprintf snprintf
#define _vtprintf vprintf
#define _tscanf scanf
#define _ftscanf fscanf
#define _stscanf sscanf
#define _tfopen fopen
#define _fgetts fgets
#define _fputts fputs
#define _getts gets
#define _putts puts
#define _fgettc fgetc
#define _fputtc fputc
#define _gettc getc
#define _puttc putc
#define _gettchar getchar
#define _puttchar putchar
#define _gettch _getch
#define _gettche _getche

#define _tcslen strlen
#define _tcscpy strcpy
#define _tcsncpy strncpy
#define _tcscat strcat
#define _tcsncat strncat
#define _tcscmp strcmp
#define _tcsncmp strncmp
#define _tcsicmp stricmp
#define _tcsnicmp strnicmp
#define _tcschr strchr
#define _tcsrchr strrchr
#define _tcsstr strstr
#define _tcstok strtok
#define _tcsdup strdup
#define _tcstol strtol
#define _tcstoul strtoul
#define _tcstod strtod
#define _ttoi atoi
#define _ttol atol
#define _ttof atof
#define _tstoi atoi
#define _tstof atof
#define _tsystem system
#define _tgetenv getenv

#define _istalpha isalpha
#define _istdigit isdigit
#define _istalnum isalnum
#define _istspace isspace
#define _istupper isupper
#define _istlower islower
#define _istpunct ispunct
#define _istprint isprint
#define _totupper toupper
#define _totlower tolower

#endif
