#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <cstdio>
#include <cstdlib>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kvrtest-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        fprintf(stderr, "cannot create a temporary directory\n");
        abort();
    }
    path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}
