#pragma once
// The machine around OpenGL, gathered when a report is made: its display
// adapters with their drivers' registry values, and the session it runs in.
#include <vector>

#include "report/facts.h"

// One entry per adapter, however many outputs it drives; mirroring pseudo
// adapters are left out. *rolesReported: whether DXGI named the
// high-performance and power-saving adapters, marked on them; `askDxgi`
// false leaves it unasked.
std::vector<AdapterFacts> displayAdapters(bool askDxgi, bool* rolesReported);

SessionFacts sessionFacts();
