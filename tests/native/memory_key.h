#pragma once
// A drivers key held in memory, behaving as the registry does: values keep their
// order, a new name goes to the end, names compare without case, and reads
// fail with too little room.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "drivers/driver_table.h"

struct MemoryValue {
    std::string name;
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;
    bool operator==(const MemoryValue& o) const { return name == o.name && type == o.type && bytes == o.bytes; }
};

inline MemoryValue textValue(const std::string& name, const std::string& data, std::uint32_t type = kRegSz) {
    std::vector<std::uint8_t> bytes(data.begin(), data.end());
    bytes.push_back(0);
    return MemoryValue{name, type, bytes};
}

class MemoryKey : public DriverKey {
public:
    std::vector<MemoryValue> values;
    bool failWrites = false;
    std::vector<std::string> notInCodePage;  // names whose value 8-bit text cannot carry
    int writes = 0;
    int deletes = 0;

    bool enumValue(std::uint32_t index, char* name, std::uint32_t* nameLength, std::uint8_t* data,
                   std::uint32_t* dataLength) override {
        if (index >= values.size()) return false;
        const MemoryValue& v = values[index];
        if (v.name.size() + 1 > *nameLength || v.bytes.size() > *dataLength) return false;
        std::memcpy(name, v.name.c_str(), v.name.size() + 1);
        // A value with no data is valid: nothing to copy, and no null pointer for memcpy.
        if (!v.bytes.empty()) std::memcpy(data, v.bytes.data(), v.bytes.size());
        *nameLength = static_cast<std::uint32_t>(v.name.size());
        *dataLength = static_cast<std::uint32_t>(v.bytes.size());
        return true;
    }
    bool readValue(const char* name, std::uint32_t* type, std::vector<std::uint8_t>* bytes) override {
        auto it = find(name);
        if (it == values.end()) return false;
        *type = it->type;
        *bytes = it->bytes;
        return true;
    }
    bool writeValue(const char* name, std::uint32_t type, const std::uint8_t* bytes, std::uint32_t size) override {
        if (failWrites) return false;
        ++writes;
        MemoryValue value{name, type, std::vector<std::uint8_t>(bytes, bytes + size)};
        auto it = find(name);
        if (it == values.end()) {
            values.push_back(value);
        } else {
            *it = value;
        }
        return true;
    }
    bool deleteValue(const char* name) override {
        auto it = find(name);
        if (it == values.end()) return false;
        ++deletes;
        values.erase(it);
        return true;
    }

    bool carriesExactly(const char* name) override {
        return std::none_of(notInCodePage.begin(), notInCodePage.end(),
                            [name](const std::string& n) { return sameValueName(n.c_str(), name); });
    }

private:
    std::vector<MemoryValue>::iterator find(const char* name) {
        return std::find_if(values.begin(), values.end(),
                            [name](const MemoryValue& v) { return sameValueName(v.name.c_str(), name); });
    }
};
