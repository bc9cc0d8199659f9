// Read before every source of the program (-include): std::string's and
// std::wstring's members are instantiated where they are used, compiled like
// the program without exceptions, instead of linking libstdc++'s explicit
// instantiations, which bring every member of both classes and the unwinder
// that their exception paths need (about 90 KiB of a 340 KiB program).
// The library's own switch for that, which its assertion mode uses.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
