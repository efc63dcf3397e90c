// A drive for the benchmarks of message texts: a real log and, for every provider its error records
// name, a binary with a manifest of our writer (the real services.exe manifest for the Service
// Control Manager when the samples have it) and an en-US .mui with a message per event; the
// providers are registered as publishers and as classic sources naming the same file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace veltrano::bench {

std::vector<uint8_t> ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Writes the drive below root with log as winevt\Logs\<logName>; returns the number of error
// records that name a provider GUID: those a manifest can serve.
size_t BuildManifestDrive(const std::filesystem::path& root, const std::filesystem::path& log,
                          const std::filesystem::path& services,
                          const std::filesystem::path& logName = "System.evtx");

}  // namespace veltrano::bench
