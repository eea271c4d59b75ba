#pragma once

#include <string>

// The index sits beside the media file: the media path without its last three characters,
// followed by "idx". A path of three characters or fewer gives "idx".
std::string IndexPathFor(const std::string& mediaPath);
