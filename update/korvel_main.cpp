// korvel: takes no arguments and ignores any.
#include "update/update.h"

int main(int argc, char** argv)
{
    (void)argc;
    (void)argv;
    return KorvelMain();
}
