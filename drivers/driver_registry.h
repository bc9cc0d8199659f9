#pragma once
#include <windows.h>

#include "drivers/driver_table.h"

// The registry side of the driver table: the drivers key of this platform
// family, read at start and rewritten by a switch.

// Reads the key into the table (the built-in entry alone when it cannot be opened).
void loadDriverTable(DriverTable& table);

// One row per table entry in `list`, and the row that matches the first driver's state.
void fillDriverList(HWND list, const DriverTable& table);

// Carries out the selection of `row` on the key read by loadDriverTable.
void switchDriver(const DriverTable& table, int row);
