#pragma once

#include "Registry.h"

#include <memory>

#ifdef _WIN32
#include <windows.h>

// The system's handle of a root key the About dialog reads; none for another.
HKEY windowsRootKey(std::uint32_t root);
#endif

// The system's own registry where there is one (Windows); elsewhere a registry that finds nothing.
std::unique_ptr<Registry> systemRegistry();
