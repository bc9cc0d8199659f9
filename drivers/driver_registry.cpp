#include "drivers/driver_list.h"

namespace {

const char* s_keyPath = nullptr;

// One open drivers key: opened (created when missing) on construction, closed
// on destruction.
class RegistryDriverKey : public DriverKey {
public:
    explicit RegistryDriverKey(const char* path) {
        if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~RegistryDriverKey() override {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    RegistryDriverKey(const RegistryDriverKey&) = delete;
    RegistryDriverKey& operator=(const RegistryDriverKey&) = delete;

    bool isOpen() const { return key_ != nullptr; }

    bool enumValue(std::uint32_t index, char* name, std::uint32_t* nameLength, std::uint8_t* data,
                   std::uint32_t* dataLength) override {
        DWORD nameChars = *nameLength;
        DWORD dataBytes = *dataLength;
        DWORD type = 0;  // received, not looked at: every type is listed as text
        const LONG status = RegEnumValueA(key_, index, name, &nameChars, nullptr, &type, data, &dataBytes);
        *nameLength = nameChars;
        *dataLength = dataBytes;
        return status == ERROR_SUCCESS;
    }

    bool readValue(const char* name, std::uint32_t* type, std::vector<std::uint8_t>* bytes) override {
        DWORD valueType = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key_, name, nullptr, &valueType, nullptr, &size) != ERROR_SUCCESS) return false;
        // The value may grow between the two calls; ask again until it fits.
        for (int attempt = 0; attempt < 4; ++attempt) {
            bytes->assign(size + 1, 0);
            DWORD got = size;
            const LONG status = RegQueryValueExA(key_, name, nullptr, &valueType, bytes->data(), &got);
            if (status == ERROR_SUCCESS) {
                bytes->resize(got);
                *type = valueType;
                return true;
            }
            if (status != ERROR_MORE_DATA) return false;
            size = got;
        }
        return false;
    }

    bool writeValue(const char* name, std::uint32_t type, const std::uint8_t* bytes, std::uint32_t size) override {
        return RegSetValueExA(key_, name, 0, type, bytes, size) == ERROR_SUCCESS;
    }

    bool deleteValue(const char* name) override { return RegDeleteValueA(key_, name) == ERROR_SUCCESS; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

void loadDriverTable(DriverTable& table) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    s_keyPath = driverKeyPath(version.dwPlatformId);
    RegistryDriverKey key(s_keyPath);
    loadDriverTable(table, key.isOpen() ? &key : nullptr);
}

void fillDriverList(HWND list, const DriverTable& table) {
    char row[kDriverRowSize];
    for (int k = 0; k < table.count; ++k) {
        formatDriverRow(table.entries[k], row);
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
    }
    // Setting the selection sends no notification, so no switch runs here.
    SendMessageA(list, LB_SETCURSEL, initialDriverRow(table), 0);
}

void switchDriver(const DriverTable& table, int row) {
    const SwitchPlan plan = planSwitch(table, row);
    if (!plan.act || s_keyPath == nullptr) return;
    RegistryDriverKey key(s_keyPath);
    if (key.isOpen()) applySwitch(table, plan, key);
}
