#include "drivers/driver_registry.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/unique.h"

namespace {

// True when the system's code page carries this text there and back unchanged.
bool survivesCodePage(const wchar_t* text, int length, std::string* narrow) {
    narrow->clear();
    if (length == 0) return true;
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return false;
    narrow->resize(static_cast<size_t>(bytes));
    WideCharToMultiByte(CP_ACP, 0, text, length, &(*narrow)[0], bytes, nullptr, nullptr);
    const int back = MultiByteToWideChar(CP_ACP, 0, narrow->data(), bytes, nullptr, 0);
    if (back != length) return false;
    std::vector<wchar_t> wide(static_cast<size_t>(back));
    MultiByteToWideChar(CP_ACP, 0, narrow->data(), bytes, wide.data(), back);
    return std::equal(wide.begin(), wide.end(), text);
}

bool isText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

const char* s_keyPath = nullptr;

// One open drivers key: opened (created when missing) on construction, closed
// on destruction.
class RegistryDriverKey : public DriverKey {
public:
    explicit RegistryDriverKey(const char* path) {
        if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path, key_.put()) != ERROR_SUCCESS) key_.release();
    }

    bool isOpen() const { return static_cast<bool>(key_); }

    bool enumValue(std::uint32_t index, char* name, std::uint32_t* nameLength, std::uint8_t* data,
                   std::uint32_t* dataLength) override {
        DWORD nameChars = *nameLength;
        DWORD dataBytes = *dataLength;
        DWORD type = 0;  // received, not looked at: every type is listed as text
        const LONG status = RegEnumValueA(key_.get(), index, name, &nameChars, nullptr, &type, data, &dataBytes);
        *nameLength = nameChars;
        *dataLength = dataBytes;
        return status == ERROR_SUCCESS;
    }

    bool readValue(const char* name, std::uint32_t* type, std::vector<std::uint8_t>* bytes) override {
        DWORD valueType = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key_.get(), name, nullptr, &valueType, nullptr, &size) != ERROR_SUCCESS) return false;
        // The value may grow between the two calls; ask again until it fits.
        for (int attempt = 0; attempt < 4; ++attempt) {
            bytes->assign(size + 1, 0);
            DWORD got = size;
            const LONG status = RegQueryValueExA(key_.get(), name, nullptr, &valueType, bytes->data(), &got);
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
        return RegSetValueExA(key_.get(), name, 0, type, bytes, size) == ERROR_SUCCESS;
    }

    bool deleteValue(const char* name) override { return RegDeleteValueA(key_.get(), name) == ERROR_SUCCESS; }

    // The key's own names and text are UTF-16; the 8-bit functions that the
    // table is read and written with see them through the code page, where a
    // Greek capital omega may read as "O". Such a value is found by its 8-bit
    // name among all of them.
    bool carriesExactly(const char* name) override {
        std::vector<wchar_t> valueName(16384);  // the longest value name the registry allows, and its end
        std::string narrow;
        for (DWORD index = 0;; ++index) {
            DWORD chars = static_cast<DWORD>(valueName.size());
            DWORD type = 0;
            DWORD size = 0;
            const LONG status = RegEnumValueW(key_.get(), index, valueName.data(), &chars, nullptr, &type, nullptr, &size);
            if (status == ERROR_NO_MORE_ITEMS) return true;
            if (status != ERROR_SUCCESS) return false;
            const bool nameSurvives = survivesCodePage(valueName.data(), static_cast<int>(chars), &narrow);
            if (!sameValueName(narrow.c_str(), name)) continue;
            if (!nameSurvives) return false;
            if (!isText(type)) continue;
            std::vector<BYTE> data(size + sizeof(wchar_t));
            DWORD got = size;
            if (RegQueryValueExW(key_.get(), valueName.data(), nullptr, &type, data.data(), &got) != ERROR_SUCCESS) {
                return false;
            }
            const int length = static_cast<int>(got / sizeof(wchar_t));
            std::vector<wchar_t> text(static_cast<size_t>(length));
            std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
            if (!survivesCodePage(text.data(), length, &narrow)) return false;
        }
    }

private:
    UniqueRegKey key_;
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
