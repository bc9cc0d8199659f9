// Read before every source of the program (-include): std::string's and
// std::wstring's members are instantiated where they are used, compiled like
// the program without exceptions, instead of linking libstdc++'s explicit
// instantiations, which bring every member of both classes and the unwinder
// that their exception paths need (about 90 KiB of a 340 KiB program).
// The library's own switch for that, which its assertion mode uses.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
// libstdc++ turns on mingw's own printf family, which brings its formatter
// and dtoa (about 30 KiB). The program's formats are plain ones that the
// system's msvcrt formats the same ("%04X", "%.17g", "%lu"), so it uses those.
#undef __USE_MINGW_ANSI_STDIO
#define __USE_MINGW_ANSI_STDIO 0
