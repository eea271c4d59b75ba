// Generated recordings for the benchmarks.
#pragma once

#include <cstdint>
#include <string>

// Writes `records` small video packets (payload `payloadBytes`), round-robin over `channels`
// channels, 40 ms apart, with one index record each. 0 on success, -1 on failure.
int32_t WriteBenchRecording(const std::string& mediaPath, const std::string& indexPath,
                            int64_t records, int32_t channels, int32_t payloadBytes);

// Where a benchmark writes its recording: the directory given as its first argument, or one
// under the system's temporary directory; created when missing.
std::string BenchDirectory(int argc, char** argv);

// The process's resident memory now, in kilobytes (-1 when it cannot be read).
long ResidentKilobytes();

// Runs `kvrtool play OPTIONS --json RECORDING` and gives the loop's own time in seconds as the
// tool reports it (its wallMs), or -1 when the run fails or its JSON lacks `mustContain`.
double KvrtoolPlaySeconds(const std::string& kvrtool, const std::string& media, const std::string& options,
                          const std::string& mustContain = std::string());
