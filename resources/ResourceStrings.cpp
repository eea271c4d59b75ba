// The string table. The texts are the program's own and stay as they are, spelling included.
#include "resources/ResourceIds.h"

const char* LoadResourceString(int id)
{
    switch (id) {
    case kStringAbout:
        return "&About KvrPlayer...";
    case kStringInvalidFile:
        return "Invaild File";
    case kStringReadFailed:
        return "Fail to read media file";
    default:
        return "";
    }
}
