// Writes the sample machine as a Windows drive: "C:\" of every path becomes a host folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

#include "sample_machine/sample_content.h"
#include "writers/evtx/evtx_log_writer.h"
#include "writers/hive/hive_writer.h"

namespace veltrano::sample {

// The report files (with their last-write times), Application.evtx and System.evtx, the SYSTEM
// and SOFTWARE hives, the message file (when messageDll is not empty), the files of the
// manifest-based providers and sample.reg at the
// drive's root. Folders are created as needed; files are replaced. Throws
// std::filesystem::filesystem_error or std::runtime_error when a file cannot be written.
void WriteSampleMachine(const SampleMachine& machine, const std::filesystem::path& drive,
                        std::span<const uint8_t> messageDll);

// The ForwardedEvents log of a collector the senders forward to (see ForwardedLogEvents).
void WriteForwardedLog(const std::vector<SampleMachine>& senders, FileTime now,
                       const std::filesystem::path& drive);

// One event as a log file of that computer holds it (without its record number).
evtxwriter::EvtxEvent LogEvent(const SampleEvent& event, TextView computer);

// The events of one log as its .evtx file holds them, numbered from 1, oldest first.
std::vector<evtxwriter::EvtxEvent> SampleLogEvents(const SampleMachine& machine, TextView log);

// The registry of the sample: the event sources and their message files, the control set
// selection, the computer name; the program folders and profiles that Windows records.
HiveWriter SampleSystemHive(const SampleMachine& machine);
HiveWriter SampleSoftwareHive(const SampleMachine& machine);
// The event source and publisher keys of both hives as a REGEDIT4 file for a live registry.
std::string SampleRegFile(const SampleMachine& machine);

// The compiled manifest of a manifest-based provider of the sample.
std::vector<uint8_t> SampleProviderManifest(const SampleManifestProvider& provider);
// Writes the files of the manifest-based providers through write (host path, bytes).
using FileWriter = std::function<void(const std::filesystem::path&, const std::vector<uint8_t>&)>;
void WriteManifestProviderFiles(const SampleMachine& machine, const std::filesystem::path& drive,
                                const FileWriter& write);

// Everything the machine holds, as JSON, for the tests that check what the program makes of it.
std::string SampleDescriptionJson(const SampleMachine& machine);

// A path below "C:\" ("Users\\anna\\...") as a host path below drive.
std::filesystem::path HostPath(const std::filesystem::path& drive, TextView windowsPath);

}  // namespace veltrano::sample
