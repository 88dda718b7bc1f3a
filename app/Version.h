#pragma once
// The program's version, in one place: the version resource, the window caption, CMake and the packages
// (scripts/package.sh, the installer, the Linux install) all take it from here.
#define ZOR_VERSION_MAJOR 1
#define ZOR_VERSION_MINOR 22
#define ZOR_VERSION_TEXT "1.22"
