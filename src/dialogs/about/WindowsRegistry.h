#pragma once

#include "Registry.h"

#include <memory>

// The system's own registry where there is one (Windows); elsewhere a registry that finds nothing.
std::unique_ptr<Registry> systemRegistry();
