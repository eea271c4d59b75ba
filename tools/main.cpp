// kvrtool: the command-line companion of the player.
#include "tools/Commands.h"

int main(int argc, char** argv)
{
    return RunKvrtool(argc, argv, ToolAction::kRun);
}
