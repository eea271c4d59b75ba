// A fresh directory for one test's files, removed with everything in it at the end.
#pragma once

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path; }
    // Path of a file inside the directory.
    std::string File(const std::string& name) const { return path + "/" + name; }

private:
    std::string path;
};
