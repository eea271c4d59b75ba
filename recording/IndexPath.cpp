#include "recording/IndexPath.h"

std::string IndexPathFor(const std::string& mediaPath)
{
    const size_t kept = mediaPath.size() > 3 ? mediaPath.size() - 3 : 0;
    return mediaPath.substr(0, kept) + "idx";
}
