#pragma once
// Whether a mapped network drive's connection is usable; "netapi32.dll" is loaded on first use.
#include <windows.h>

// True when letter's connection is in the OK state, or when the network API is unavailable (then every
// drive counts as usable); false when the API says it is no usable connection.
bool IsNetworkDriveConnected(char letter);

// State of the network API: 0 not yet tried, 1 unavailable, 2 loaded.
unsigned char NetworkApiState();
// Unit end: unloads "netapi32.dll" if it was loaded.
void FreeNetworkApi();
