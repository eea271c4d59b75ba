// The chain-of-custody record written beside an export (FILE.json): where it came from, with
// sizes and fingerprints of both files of the recording pair and of the export itself, what
// range and what packets went into it, and which were damaged and left out.
#pragma once

#include <cstdint>
#include <string>

#include "export/ChannelExport.h"

struct FingerprintedFile {
    std::string path;       // absolute
    int64_t size = 0;
    std::string sha256;     // lowercase hexadecimal
};

struct SidecarSources {
    FingerprintedFile media;
    FingerprintedFile index;
    FingerprintedFile output;
    int64_t exportedAt = 0;   // seconds since 1970, UTC
};

std::string BuildExportSidecar(const ExportRequest& request, const ExportResult& result, const SidecarSources& sources);
