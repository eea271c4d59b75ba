// kvrplayer: the player's program.
#include "app/CKvrPlayerApp.h"

namespace {

CKvrPlayerApp theApp;

}  // namespace

int main(int argc, char** argv)
{
    return theApp.InitInstance(argc, argv);
}
