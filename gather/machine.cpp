#include "gather/machine.h"

#include <windows.h>
#include <dxgi1_6.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/system_library.h"
#include "platform/unique.h"
#include "platform/utf.h"
#include "report/diagnosis.h"

namespace {

// The registry's text values up to this size; a longer one is not reported.
constexpr DWORD kMostValueBytes = 64 * 1024;

// A text value (the first string of a multi-string), or not reported.
Answer textValue(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return Answer{};
    if ((type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) || size == 0 || size > kMostValueBytes) {
        return Answer{};
    }
    // Room for terminators the value may lack.
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = size;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &got) != ERROR_SUCCESS) {
        return Answer{};
    }
    const std::wstring first(text.data());
    return first.empty() ? Answer{} : Answer{true, wideToUtf8(first)};
}

// The adapter's memory in bytes: a QWORD (or 8 bytes), or for the older value a
// DWORD (or 4 bytes); any other type or size is not reported.
bool memoryValue(HKEY key, const wchar_t* name, std::size_t size, unsigned long long* bytes) {
    unsigned char data[8] = {};
    DWORD type = 0, got = sizeof data;
    if (RegQueryValueExW(key, name, nullptr, &type, data, &got) != ERROR_SUCCESS || got != size) return false;
    const DWORD number = size == 8 ? REG_QWORD : REG_DWORD;
    if (type != number && type != REG_BINARY) return false;
    *bytes = 0;
    for (std::size_t k = size; k-- > 0;) *bytes = (*bytes << 8) | data[k];
    return true;
}

// "\Registry\Machine\System\..." names a key under HKEY_LOCAL_MACHINE.
void readDriverValues(const std::wstring& deviceKey, AdapterFacts* adapter) {
    const std::wstring machine = L"\\registry\\machine\\";
    if (deviceKey.size() <= machine.size() || _wcsnicmp(deviceKey.c_str(), machine.c_str(), machine.size()) != 0) return;
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, deviceKey.substr(machine.size()).c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS) {
        key.release();  // a failed call may leave anything there
        return;
    }
    adapter->provider = textValue(key.get(), L"ProviderName");
    adapter->driverVersion = textValue(key.get(), L"DriverVersion");
    adapter->driverDate = textValue(key.get(), L"DriverDate");
    adapter->openGlDriver = textValue(key.get(), L"OpenGLDriverName");
    adapter->openGlDriverWow = textValue(key.get(), L"OpenGLDriverNameWow");
    // The 64-bit value holds what the 32-bit one cannot past 4 GiB.
    adapter->memoryReported = memoryValue(key.get(), L"HardwareInformation.qwMemorySize", 8, &adapter->memoryBytes) ||
                              memoryValue(key.get(), L"HardwareInformation.MemorySize", 4, &adapter->memoryBytes);
}

// The kernel's own adapter interface, as gdi32 exports it (d3dkmthk.h).
using KmtHandle = UINT;
struct KmtOpenFromGdiName {
    WCHAR deviceName[32];
    KmtHandle adapter;
    LUID luid;
    UINT sourceId;
};
struct KmtQueryAdapterInfo {
    KmtHandle adapter;
    UINT type;
    void* data;
    UINT size;
};
struct KmtOpenGlInfo {
    WCHAR file[MAX_PATH];
    ULONG version;
    ULONG flags;
};
struct KmtCloseAdapter {
    KmtHandle adapter;
};
constexpr UINT kQueryUmOpenGlInfo = 2;  // KMTQAITYPE_UMOPENGLINFO

// What the system tells opengl32 about the OpenGL driver of the adapter that
// drives this display, for this process's bitness, and the adapter's LUID,
// which a system without the query (Wine) still gives. Looked up at run time:
// Windows XP has none of it.
OpenGlInfoFacts openGlInfo(const wchar_t* displayName, LUID* luid, bool* luidFound) {
    OpenGlInfoFacts facts;
    HMODULE gdi = GetModuleHandleW(L"gdi32.dll");
    using Open = LONG(WINAPI*)(KmtOpenFromGdiName*);
    using Query = LONG(WINAPI*)(const KmtQueryAdapterInfo*);
    using Close = LONG(WINAPI*)(const KmtCloseAdapter*);
    const auto open = procAddress<Open>(gdi, "D3DKMTOpenAdapterFromGdiDisplayName");
    const auto query = procAddress<Query>(gdi, "D3DKMTQueryAdapterInfo");
    const auto close = procAddress<Close>(gdi, "D3DKMTCloseAdapter");
    if (open == nullptr || close == nullptr) return facts;
    KmtOpenFromGdiName name = {};
    lstrcpynW(name.deviceName, displayName, 32);
    if (open(&name) != 0) return facts;
    *luid = name.luid;
    *luidFound = true;
    KmtOpenGlInfo info = {};
    const KmtQueryAdapterInfo request = {name.adapter, kQueryUmOpenGlInfo, &info, sizeof info};
    if (query != nullptr && query(&request) == 0) {
        info.file[MAX_PATH - 1] = L'\0';
        facts.file = wideToUtf8(info.file);
        facts.reported = !facts.file.empty();
        facts.version = info.version;
        facts.flags = info.flags;
    }
    const KmtCloseAdapter closing = {name.adapter};
    close(&closing);
    return facts;
}

// The LUIDs of the adapters DXGI picks for high performance and for power
// saving (IDXGIFactory6, Windows 10 1803 on); false where it cannot say.
bool gpuRoles(LUID* highPerformance, LUID* powerSaving) {
    // dxgi.dll is not imported: loaded from the system folder, for this report.
    const UniqueModule dxgi(loadFromSystemFolder(L"dxgi.dll"));
    using CreateFactory = HRESULT(WINAPI*)(REFIID, void**);
    const auto create = procAddress<CreateFactory>(dxgi.get(), "CreateDXGIFactory1");
    if (create == nullptr) return false;
    bool named = true;
    {
        UniqueCom<IDXGIFactory1> factory;
        UniqueCom<IDXGIFactory6> factory6;
        if (FAILED(create(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(factory.put()))) ||
            FAILED(factory.get()->QueryInterface(__uuidof(IDXGIFactory6), reinterpret_cast<void**>(factory6.put())))) {
            return false;
        }
        const std::pair<DXGI_GPU_PREFERENCE, LUID*> asked[] = {{DXGI_GPU_PREFERENCE_HIGH_PERFORMANCE, highPerformance},
                                                               {DXGI_GPU_PREFERENCE_MINIMUM_POWER, powerSaving}};
        for (const auto& a : asked) {
            UniqueCom<IDXGIAdapter1> adapter;
            DXGI_ADAPTER_DESC1 description = {};
            named = named &&
                    SUCCEEDED(factory6.get()->EnumAdapterByGpuPreference(0, a.first, __uuidof(IDXGIAdapter1),
                                                                          reinterpret_cast<void**>(adapter.put()))) &&
                    SUCCEEDED(adapter.get()->GetDesc1(&description));
            *a.second = description.AdapterLuid;
        }
    }
    return named;
}

bool sameLuid(const LUID& a, const LUID& b) { return a.LowPart == b.LowPart && a.HighPart == b.HighPart; }

}  // namespace

std::vector<AdapterFacts> displayAdapters(bool askDxgi, bool* rolesReported) {
    std::vector<AdapterFacts> adapters;
    std::vector<std::wstring> keys;  // one entry per adapter, by its registry key
    std::vector<std::pair<bool, LUID>> luids;
    DISPLAY_DEVICEW device = {};
    device.cb = sizeof device;
    for (DWORD i = 0; i < 64 && EnumDisplayDevicesW(nullptr, i, &device, 0); ++i, device = {}, device.cb = sizeof device) {
        if ((device.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) != 0) continue;
        const std::wstring key =
            device.DeviceKey[0] != L'\0' ? device.DeviceKey : std::wstring(device.DeviceString) + L"|" + device.DeviceID;
        size_t k = 0;
        while (k < keys.size() && keys[k] != key) ++k;
        if (k == keys.size()) {
            keys.push_back(key);
            AdapterFacts adapter;
            adapter.name = wideToUtf8(device.DeviceString);
            parsePciIds(wideToUtf8(device.DeviceID), &adapter.vendorId, &adapter.deviceId);
            readDriverValues(device.DeviceKey, &adapter);
            LUID luid = {};
            bool found = false;
            adapter.openGlInfo = openGlInfo(device.DeviceName, &luid, &found);
            adapters.push_back(adapter);
            luids.emplace_back(found, luid);
        }
        if ((device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0) adapters[k].primary = true;
        if ((device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) != 0) adapters[k].attached = true;
    }
    // One adapter is DXGI's choice for every preference: there is no other.
    // Asking DXGI would tell nothing more, and costs (Wine starts its whole
    // Direct3D layer for a factory).
    if (adapters.size() == 1) {
        adapters[0].highPerformance = adapters[0].powerSaving = true;
        *rolesReported = true;
        return adapters;
    }
    // An adapter whose LUID is unknown cannot be said not to be DXGI's choice.
    const bool everyLuid = std::all_of(luids.begin(), luids.end(), [](const std::pair<bool, LUID>& l) { return l.first; });
    LUID high = {}, low = {};
    *rolesReported = askDxgi && everyLuid && gpuRoles(&high, &low);
    for (std::size_t k = 0; *rolesReported && k < adapters.size(); ++k) {
        adapters[k].highPerformance = sameLuid(luids[k].second, high);
        adapters[k].powerSaving = sameLuid(luids[k].second, low);
    }
    return adapters;
}

// The service account this process runs as, by its well-known SID.
SessionFacts::Account account() {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
        token.release();
        return SessionFacts::Account::NotReported;
    }
    std::vector<unsigned char> user(256);
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenUser, user.data(), static_cast<DWORD>(user.size()), &size)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size > 64 * 1024) return SessionFacts::Account::NotReported;
        user.resize(size);
        if (!GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) return SessionFacts::Account::NotReported;
    }
    PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    if (IsWellKnownSid(sid, WinLocalSystemSid)) return SessionFacts::Account::LocalSystem;
    if (IsWellKnownSid(sid, WinLocalServiceSid)) return SessionFacts::Account::LocalService;
    if (IsWellKnownSid(sid, WinNetworkServiceSid)) return SessionFacts::Account::NetworkService;
    return SessionFacts::Account::Other;
}

// Where this process runs: its session, whether its window station has a
// display, and whether a remote session is disconnected.
void placeFacts(SessionFacts* session) {
    DWORD id = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &id)) session->sessionId = static_cast<long>(id);
    USEROBJECTFLAGS flags = {};
    HWINSTA station = GetProcessWindowStation();  // not to be closed
    if (station != nullptr && GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) {
        session->interactiveStation = (flags.dwFlags & WSF_VISIBLE) != 0 ? 1 : 0;
    }
    session->account = account();
    using Query = BOOL(WINAPI*)(HANDLE, DWORD, int, LPWSTR*, DWORD*);
    using Free = void(WINAPI*)(void*);
    const auto query = systemFunction<Query>(L"wtsapi32.dll", "WTSQuerySessionInformationW");
    const auto release = systemFunction<Free>(L"wtsapi32.dll", "WTSFreeMemory");
    constexpr DWORD kCurrentSession = static_cast<DWORD>(-1);
    constexpr int kConnectState = 8;    // WTSConnectState
    constexpr int kDisconnected = 4;    // WTSDisconnected
    LPWSTR answer = nullptr;
    DWORD bytes = 0;
    if (query != nullptr && release != nullptr && query(nullptr, kCurrentSession, kConnectState, &answer, &bytes)) {
        if (answer != nullptr && bytes >= sizeof(int)) session->disconnected = *reinterpret_cast<const int*>(answer) == kDisconnected;
        release(answer);
    }
}

SessionFacts sessionFacts() {
    SessionFacts session;
    session.remote = GetSystemMetrics(SM_REMOTESESSION) != 0;
    placeFacts(&session);
    // Set or not, it decides what a remote session will get: an administrator
    // checks it before connecting. The policies key is not redirected for
    // 32-bit programs, but the 64-bit view is asked for all the same.
    UniqueRegKey policies;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\Terminal Services", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, policies.put()) == ERROR_SUCCESS) {
        DWORD value = 0, size = sizeof value, type = 0;
        if (RegQueryValueExW(policies.get(), L"bEnumerateHWBeforeSW", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                             &size) == ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof value) {
            session.remoteHardwarePolicy = static_cast<long>(value);
        }
    } else {
        policies.release();
    }
    // Wine's own exports, where they exist: Windows' ntdll has neither.
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr) return session;
    using Version = const char*(CDECL*)();
    using Host = void(CDECL*)(const char**, const char**);
    const auto version = procAddress<Version>(ntdll, "wine_get_version");
    const auto host = procAddress<Host>(ntdll, "wine_get_host_version");
    if (version == nullptr) return session;
    session.wine = true;
    if (const char* v = version()) session.wineVersion = Answer{true, systemToUtf8(v)};
    if (host != nullptr) {
        const char* system = nullptr;
        const char* release = nullptr;
        host(&system, &release);
        if (system != nullptr) {
            session.wineHost = Answer{true, systemToUtf8(system) + (release != nullptr ? " " + systemToUtf8(release) : "")};
        }
    }
    return session;
}
