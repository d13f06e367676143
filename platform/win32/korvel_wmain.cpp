// korvel on Windows: the wide console entry; the arguments are not read.
#include "update/update.h"

int wmain(int argc, wchar_t** argv, wchar_t** envp)
{
    (void)argc;
    (void)argv;
    (void)envp;
    return KorvelMain();
}
