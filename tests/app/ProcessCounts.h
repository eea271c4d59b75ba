// What this process holds open, read from /proc: its threads and its file descriptors, each with
// a name that says what it is.
#pragma once

#include <map>
#include <string>
#include <vector>

// One entry per thread: the thread's name.
std::vector<std::string> ProcessThreads();
// Every open descriptor and what it refers to.
std::map<int, std::string> ProcessDescriptors();

// The entries of `now` beyond those of `before` (threads counted by name): what has been left
// open since.
std::vector<std::string> ThreadsAdded(const std::vector<std::string>& before, const std::vector<std::string>& now);
std::vector<std::string> DescriptorsAdded(const std::map<int, std::string>& before,
                                          const std::map<int, std::string>& now);
