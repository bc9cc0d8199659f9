#include "drivers/driver_table.h"

#include <cstdio>
#include <cstring>

const char kBuiltInDriverName[] = "Software (MICROSOFT)";
const char kBuiltInDriverData[] = "OpenGL32.dll";

namespace {

constexpr unsigned long kPlatformNt = 2;

void copyText(char (&slot)[kDriverSlotBytes], const char* text) {
    std::snprintf(slot, sizeof slot, "%s", text);
}

bool belongsToOtherEntry(const DriverTable& table, int source, const std::string& name) {
    for (int k = 1; k < table.count; ++k) {
        if (k != source && sameValueName(table.entries[k].name, name.c_str())) return true;
    }
    return false;
}

}  // namespace

const char* driverKeyPath(unsigned long platformId) {
    return platformId == kPlatformNt ? "Software\\Microsoft\\Windows NT\\CurrentVersion\\OpenGLdrivers"
                                     : "Software\\Microsoft\\Windows\\CurrentVersion\\OpenGLdrivers";
}

bool sameValueName(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(*a);
        unsigned char cb = static_cast<unsigned char>(*b);
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb) return false;
        if (ca == 0) return true;
    }
}

void loadDriverTable(DriverTable& table, DriverKey* key) {
    std::memset(&table, 0, sizeof table);
    copyText(table.entries[0].data, kBuiltInDriverData);
    copyText(table.entries[0].name, kBuiltInDriverName);
    int read = 0;
    // Values past the table's room are neither read nor ever written.
    for (std::uint32_t i = 0; key != nullptr && i < kDriverEntries - 1; ++i) {
        DriverEntry& entry = table.entries[i + 1];
        std::uint32_t nameLength = kDriverValueCapacity;
        std::uint32_t dataLength = kDriverValueCapacity;
        if (!key->enumValue(i, entry.name, &nameLength, reinterpret_cast<std::uint8_t*>(entry.data),
                            &dataLength)) {
            std::memset(&entry, 0, sizeof entry);  // a failed call may leave partial bytes
            break;
        }
        // The capacities leave the last byte of each slot zero; keep it so even if
        // the key wrote past what it reported.
        entry.name[kDriverSlotBytes - 1] = '\0';
        entry.data[kDriverSlotBytes - 1] = '\0';
        ++read;
    }
    table.count = read + 1;
}

void formatDriverRow(const DriverEntry& entry, char (&row)[kDriverRowSize]) {
    std::snprintf(row, sizeof row, "%.1023s: %.1023s", entry.name, entry.data);
}

int initialDriverRow(const DriverTable& table) { return table.entries[1].name[0] == '~' ? 0 : 1; }

SwitchPlan planSwitch(const DriverTable& table, int row) {
    SwitchPlan plan;
    if (row < 0 || row >= table.count) return plan;
    // Row 0 switches the first driver off; with no driver there is nothing to switch.
    if (row == 0 && table.count < 2) return plan;
    plan.source = row == 0 ? 1 : row;
    const char* name = table.entries[plan.source].name;
    const std::string off = name[0] == '~' ? std::string(name) : "~" + std::string(name);
    const std::string on = name[0] == '~' ? std::string(name + 1) : std::string(name);
    const bool turnOff = row == 0;
    plan.newName = turnOff ? off : on;
    // The start-up name in its other state, whichever way the earlier switches went.
    plan.otherName = sameValueName(plan.newName.c_str(), name)
                         ? (name[0] == '~' ? std::string(name + 1) : "~" + std::string(name))
                         : std::string(name);
    plan.act = true;
    return plan;
}

SwitchResult applySwitch(const DriverTable& table, const SwitchPlan& plan, DriverKey& key) {
    if (!plan.act) return SwitchResult::Ignored;
    // Never write what the next start could not read back: an empty name is
    // the key's unnamed default value, and a name past the table's capacity
    // stops the next start's enumeration there.
    if (plan.newName.empty() || plan.otherName.empty() || plan.newName.size() > kDriverNameMaxLength) {
        return SwitchResult::Refused;
    }
    if (belongsToOtherEntry(table, plan.source, plan.newName)) return SwitchResult::Refused;
    if (!key.carriesExactly(plan.newName.c_str()) || !key.carriesExactly(plan.otherName.c_str())) {
        return SwitchResult::Refused;
    }

    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
    if (key.readValue(plan.newName.c_str(), &type, &bytes)) return SwitchResult::Unchanged;

    // A value under the other name that is another driver's is not ours to move.
    const bool otherIsOurs = !belongsToOtherEntry(table, plan.source, plan.otherName);
    if (otherIsOurs && key.readValue(plan.otherName.c_str(), &type, &bytes)) {
        if (!key.writeValue(plan.newName.c_str(), type, bytes.data(),
                            static_cast<std::uint32_t>(bytes.size()))) {
            return SwitchResult::WriteFailed;
        }
        key.deleteValue(plan.otherName.c_str());
        return SwitchResult::Renamed;
    }

    // The value went away since start-up: register it again from what was read
    // then, as text that fits the capacity the next start reads with (data
    // without a zero byte can fill the whole slot).
    const char* data = table.entries[plan.source].data;
    std::uint8_t text[kDriverValueCapacity];
    std::size_t length = 0;
    while (length < kDriverValueCapacity - 1 && data[length] != '\0') ++length;
    std::memcpy(text, data, length);
    text[length] = 0;
    if (!key.writeValue(plan.newName.c_str(), kRegSz, text, static_cast<std::uint32_t>(length + 1))) {
        return SwitchResult::WriteFailed;
    }
    return SwitchResult::Recreated;
}
