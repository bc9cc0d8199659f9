#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kDriverEntries = 4;  // the built-in entry and up to 3 registry values
constexpr std::size_t kDriverSlotBytes = 1024;
constexpr std::uint32_t kDriverValueCapacity = 1023;  // bytes read per name and per data
constexpr std::size_t kDriverNameMaxLength = kDriverValueCapacity - 1;  // characters, terminator aside
constexpr std::uint32_t kRegSz = 1;
constexpr std::size_t kDriverRowSize = 4096;

struct DriverEntry {
    char data[kDriverSlotBytes];
    char name[kDriverSlotBytes];
};

struct DriverTable {
    DriverEntry entries[kDriverEntries];
    std::int32_t count;
};

extern const char kBuiltInDriverName[];
extern const char kBuiltInDriverData[];

// The drivers key under HKEY_LOCAL_MACHINE for a platform id of GetVersionExA.
const char* driverKeyPath(unsigned long platformId);

// The registry values of the drivers key, as the rules need them. The Windows
// build wraps a real key; tests use one held in memory.
class DriverKey {
public:
    virtual ~DriverKey() = default;
    // Value `index` in enumeration order. *nameLength (characters, terminator
    // included) and *dataLength (bytes) give the capacities. False when the call
    // does not succeed: no such value, too long for the capacities, or an error.
    virtual bool enumValue(std::uint32_t index, char* name, std::uint32_t* nameLength,
                           std::uint8_t* data, std::uint32_t* dataLength) = 0;
    // The whole value of that name, its type and bytes. False when there is none.
    virtual bool readValue(const char* name, std::uint32_t* type, std::vector<std::uint8_t>* bytes) = 0;
    virtual bool writeValue(const char* name, std::uint32_t type, const std::uint8_t* bytes,
                            std::uint32_t size) = 0;
    virtual bool deleteValue(const char* name) = 0;
    // False when a value that the 8-bit text of this key shows under `name` is
    // really named otherwise, or holds text that 8-bit text cannot carry:
    // rewriting it through that text would corrupt it.
    virtual bool carriesExactly(const char* name) { return name != nullptr; }
};

// Fills the table: the built-in entry first, then the key's values in order
// until the table is full or a value cannot be read. A null key (it could not be
// opened) leaves the built-in entry alone.
void loadDriverTable(DriverTable& table, DriverKey* key);

// "name: data"
void formatDriverRow(const DriverEntry& entry, char (&row)[kDriverRowSize]);

// Row 0 (the built-in entry) when the first driver is switched off by a leading
// "~", row 1 otherwise.
int initialDriverRow(const DriverTable& table);

// What a selection of a driver-list row asks of the key.
struct SwitchPlan {
    bool act = false;
    int source = 0;         // the table entry whose value is rewritten
    std::string newName;    // its name after the switch
    std::string otherName;  // its name in the other state: where its old value may be
};

SwitchPlan planSwitch(const DriverTable& table, int row);

enum class SwitchResult {
    Ignored,      // nothing to do for this row
    Unchanged,    // the value already has the wanted name
    Renamed,      // written under the new name, old one removed
    Recreated,    // the value was gone; written from the start-up text
    Refused,      // the new name belongs to another value (writing would lose it), is
                  // empty (the unnamed default value) or too long to be read back, or the
                  // value's name or text do not survive the system's code page
    WriteFailed,  // the key is as it was
};

// Carries the plan out without losing data: writes first, keeps the value's type
// and bytes, deletes only the driver's own old value and only after the write.
SwitchResult applySwitch(const DriverTable& table, const SwitchPlan& plan, DriverKey& key);

// Registry value names compare without regard to ASCII case.
bool sameValueName(const char* a, const char* b);
