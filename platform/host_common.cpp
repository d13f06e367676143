// Host helpers that need no operating system.
#include <cwchar>

#include "platform/host.h"

std::string NarrowPath(const wchar_t* path)
{
    std::string out;
    for (; *path != 0; path++)
        out.push_back((char)(unsigned char)*path);
    return out;
}

bool SplitQuotedCommandLine(const wchar_t* cmdLine, std::wstring* program, std::wstring* argument)
{
    std::wstring* parts[2] = {program, argument};
    int index = 0;
    const wchar_t* p = cmdLine;
    while (*p != 0 && index < 2) {
        while (*p == L' ')
            p++;
        if (*p != L'"')
            return false;
        const wchar_t* end = wcschr(p + 1, L'"');
        if (end == nullptr)
            return false;
        parts[index++]->assign(p + 1, end);
        p = end + 1;
    }
    return index == 2 && *p == 0;
}
