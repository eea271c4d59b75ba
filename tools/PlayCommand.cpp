// Placeholder until the playback engine lands.
#include <cstdio>

#include "tools/Commands.h"

int RunPlayCommand(int, char**)
{
    fputs("kvrtool play: not available yet\n", stderr);
    return 2;
}
