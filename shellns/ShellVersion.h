#pragma once
// Windows and common-control versions, read once at unit start and read-only afterwards.
#include <windows.h>

#include <cstdint>
#include <string>

// Filled by GetVersionExA at unit start.
extern OSVERSIONINFOA OSVersionInfo;

// File versions of "comctl32.dll" and "shell32.dll": the high 32 bits hold major (upper word) and minor
// (lower word), the low 32 bits build and release. Zero when unreadable. Version tests look at the high half
// only (VersionHigh); tests may overwrite these to exercise the other branches.
extern uint64_t ComCtl32Version;
extern uint64_t Shell32Version;

// Thresholds for VersionHigh comparisons.
constexpr uint32_t kdComCtl32v470 = 0x00040046;
constexpr uint32_t kdComCtl32v471 = 0x00040047;
constexpr uint32_t kdComCtl32v472 = 0x00040048;
constexpr uint32_t kdVersion600 = 0x00060000;

constexpr uint32_t VersionHigh(uint64_t version) { return static_cast<uint32_t>(version >> 32); }

// Reads the fixed file version of a module (by file name); version is left untouched on failure.
bool GetFileVersionNumber(const std::string &fileName, uint64_t &version);

// True on the NT platform family (every supported Windows).
bool IsWindowsNT();
