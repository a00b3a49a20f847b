// The keyboard accelerators, built in memory rather than as a resource.
#pragma once

#include <windows.h>

#include <array>

using AcceleratorTable = std::array<ACCEL, 19>;

const AcceleratorTable& VamAccelerators();
HACCEL CreateVamAccelerators();
