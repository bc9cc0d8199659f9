#pragma once
// The machine around OpenGL, gathered when a report is made: its display
// adapters with their drivers' registry values, and the session it runs in.
#include <vector>

#include "report/facts.h"

// One entry per adapter, however many outputs it drives; mirroring pseudo
// adapters are left out.
std::vector<AdapterFacts> displayAdapters();

SessionFacts sessionFacts();
