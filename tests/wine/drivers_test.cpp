// The driver list and switch on the real program and Wine's real registry.
// Each test prepares the drivers key itself and puts it back afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "harness.h"

using namespace harness;

namespace {

const char kNtPath[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\OpenGLdrivers";
const char k95Path[] = "Software\\Microsoft\\Windows\\CurrentVersion\\OpenGLdrivers";
const char kBuiltInRow[] = "Software (MICROSOFT): OpenGL32.dll";

struct RegValue {
    std::string name;
    DWORD type;
    std::vector<BYTE> data;
    bool operator==(const RegValue& o) const { return name == o.name && type == o.type && data == o.data; }
};

std::ostream& operator<<(std::ostream& out, const RegValue& v) {
    return out << v.name << " (type " << v.type << ", " << v.data.size() << " bytes)";
}

RegValue text(const std::string& name, const std::string& data) {
    std::vector<BYTE> bytes(data.begin(), data.end());
    bytes.push_back(0);
    return RegValue{name, REG_SZ, bytes};
}

bool keyExists(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// view: KEY_WOW64_32KEY or KEY_WOW64_64KEY for that registry view; 0 the test's own.
std::vector<RegValue> readKey(const char* path, REGSAM view = 0) {
    std::vector<RegValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        std::vector<BYTE> data(65536);
        DWORD nameLength = sizeof name, size = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        data.resize(size);
        values.push_back(RegValue{std::string(name, nameLength), type, data});
    }
    RegCloseKey(key);
    return values;
}

void writeKey(const char* path, const std::vector<RegValue>& values, REGSAM view = 0) {
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path, view, 0);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr), ERROR_SUCCESS);
    for (const RegValue& v : values) {
        RegSetValueExA(key, v.name.c_str(), 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
    }
    RegCloseKey(key);
}

// Wine lists a key's values in name order (Windows in the order they were
// made): the tests name their values so that both orders agree, and compare keys
// as sets.
std::vector<RegValue> sortedByName(std::vector<RegValue> values) {
    std::sort(values.begin(), values.end(),
              [](const RegValue& a, const RegValue& b) { return a.name < b.name; });
    return values;
}

// Saves both drivers keys and restores them after the test.
class Drivers : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 2; ++i) {
            existed_[i] = keyExists(paths_[i]);
            saved_[i] = readKey(paths_[i]);
        }
    }
    void TearDown() override {
        closeProgram();
        for (int i = 0; i < 2; ++i) {
            if (existed_[i]) {
                writeKey(paths_[i], saved_[i]);
            } else {
                RegDeleteKeyA(HKEY_LOCAL_MACHINE, paths_[i]);
            }
        }
    }
    void startProgram() {
        closeProgram();
        app_.reset(new App);
        ASSERT_TRUE(app_->start(programPath()));
        dialog_ = app_->waitForDialog();
        ASSERT_NE(dialog_, nullptr);
        list_ = GetDlgItem(dialog_, kDriverListId);
    }
    void closeProgram() {
        if (!app_) return;
        PostMessageW(dialog_, WM_COMMAND, IDOK, 0);
        DWORD code = 1000;
        EXPECT_TRUE(app_->waitForExit(15000, &code));
        EXPECT_EQ(code, 0u);
        app_.reset();
    }
    // As Windows delivers a user's pick: the row is selected, then the list notifies.
    void pick(int row) {
        send(list_, LB_SETCURSEL, static_cast<WPARAM>(row));
        send(dialog_, WM_COMMAND, MAKEWPARAM(kDriverListId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list_));
    }

    const char* paths_[2] = {kNtPath, k95Path};
    bool existed_[2] = {false, false};
    std::vector<RegValue> saved_[2];
    std::unique_ptr<App> app_;
    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
};

using Rows = std::vector<std::string>;
using Values = std::vector<RegValue>;

}  // namespace

TEST_F(Drivers, ListsTheRegisteredDrivers) {
    struct Case {
        const char* what;
        Values values;
        Rows rows;
        int selected;
    };
    const std::string longName = "B" + std::string(1022, 'n'), longData(1023, 'd');  // one past each capacity
    const Case cases[] = {
        {"no values", {}, {kBuiltInRow}, LB_ERR},
        {"switched off", {text("~Acme", "acme.dll")}, {kBuiltInRow, "~Acme: acme.dll"}, 0},
        {"switched on", {text("Acme", "acme.dll")}, {kBuiltInRow, "Acme: acme.dll"}, 1},
        {"a name too long ends the list", {text("A", "1"), text(longName, "2"), text("C", "3")}, {kBuiltInRow, "A: 1"}, 1},
        {"data too long ends the list", {text("A", "1"), text("B", longData), text("C", "3")}, {kBuiltInRow, "A: 1"}, 1},
        {"other types as text up to a zero byte",
         {RegValue{"Bin", REG_BINARY, {'x', 'y', 0, 'z'}}, RegValue{"Dword", REG_DWORD, {'A', 'B', 'C', 0}}},
         {kBuiltInRow, "Bin: xy", "Dword: ABC"},
         1},
        {"room for three", {text("A", "1"), text("B", "2"), text("C", "3"), text("D", "4")},
         {kBuiltInRow, "A: 1", "B: 2", "C: 3"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeKey(kNtPath, c.values);
        startProgram();
        EXPECT_EQ(listRows(list_), c.rows);
        EXPECT_EQ(listSelection(list_), c.selected);
        EXPECT_FALSE(IsWindowVisible(list_));
        closeProgram();
        EXPECT_EQ(sortedByName(readKey(kNtPath)), sortedByName(c.values)) << "reading changed the key";
    }

    // A missing key is created, empty.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kNtPath);
    startProgram();
    EXPECT_EQ(listRows(list_), Rows{kBuiltInRow});
    EXPECT_TRUE(keyExists(kNtPath));
}

// On 64-bit Windows each bitness has its own view of the key: a 32-bit
// program reads and switches the 32-bit one (WOW6432Node), a 64-bit one the
// other, and neither touches the other's.
TEST_F(Drivers, ReadsAndSwitchesTheViewOfItsOwnBitness) {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    if (sizeof(void*) == 4 && !wow64) GTEST_SKIP() << "32-bit Windows has one view";
    const REGSAM own = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    const REGSAM other = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    const Values otherSaved = readKey(kNtPath, other);
    writeKey(kNtPath, {text("Other", "other.dll")}, other);
    writeKey(kNtPath, {text("Acme", "acme.dll")}, own);
    startProgram();
    EXPECT_EQ(listRows(list_), (Rows{kBuiltInRow, "Acme: acme.dll"}));
    pick(0);
    EXPECT_EQ(readKey(kNtPath, own), Values{text("~Acme", "acme.dll")});
    EXPECT_EQ(readKey(kNtPath, other), Values{text("Other", "other.dll")});
    closeProgram();
    writeKey(kNtPath, otherSaved, other);
}

TEST_F(Drivers, SwitchRenamesTheFirstDriver) {
    writeKey(kNtPath, {text("Acme", "a")});
    startProgram();
    pick(0);
    EXPECT_EQ(readKey(kNtPath), Values{text("~Acme", "a")});  // REG_SZ, 2 bytes with the terminator
    pick(0);
    EXPECT_EQ(readKey(kNtPath), Values{text("~Acme", "a")});
    pick(1);
    EXPECT_EQ(readKey(kNtPath), Values{text("Acme", "a")});
    pick(1);
    EXPECT_EQ(readKey(kNtPath), Values{text("Acme", "a")});

    // Switched off at start: row 0 leaves it, row 1 takes the "~" away.
    writeKey(kNtPath, {text("~Acme", "acme.dll")});
    startProgram();
    pick(0);
    EXPECT_EQ(readKey(kNtPath), Values{text("~Acme", "acme.dll")});
    pick(1);
    EXPECT_EQ(readKey(kNtPath), Values{text("Acme", "acme.dll")});

    // No driver: row 0 writes nothing.
    writeKey(kNtPath, {});
    startProgram();
    pick(0);
    EXPECT_TRUE(readKey(kNtPath).empty());

    // Names a switch could not read back are left exactly as they are: "~" would
    // become the unnamed default value, a 1022-character name one past the capacity.
    for (const RegValue& odd : {text("~", "t.dll"), text(std::string(1022, 'n'), "n.dll")}) {
        SCOPED_TRACE(odd.name.substr(0, 8));
        writeKey(kNtPath, {odd});
        startProgram();
        pick(0);
        pick(1);
        pick(0);
        EXPECT_EQ(readKey(kNtPath), Values{odd});
    }
}

TEST_F(Drivers, SwitchNeverTouchesAnotherValue) {
    const RegValue a = text("Acme", "a.dll"), offA = text("~Acme", "a.dll"), b = text("Beta", "b.dll");
    const RegValue c = text("Gamma", "c.dll"), fourth = text("Zulu", "z.dll");
    writeKey(kNtPath, {a, b, c, fourth});
    startProgram();
    EXPECT_EQ(listRows(list_).size(), 4u);
    pick(0);
    EXPECT_EQ(sortedByName(readKey(kNtPath)), sortedByName({offA, b, c, fourth}));
    pick(3);  // the third driver: already on
    EXPECT_EQ(sortedByName(readKey(kNtPath)), sortedByName({offA, b, c, fourth}));
    pick(1);  // the first driver's value is now the key's last, yet it is the one renamed
    EXPECT_EQ(sortedByName(readKey(kNtPath)), sortedByName({a, b, c, fourth}));
    pick(2);
    EXPECT_EQ(sortedByName(readKey(kNtPath)), sortedByName({a, b, c, fourth}));

    // A value that is not text keeps its type and bytes through a rename.
    const RegValue dword{"Acme", REG_DWORD, {1, 0, 0, 0}}, binary{"Beta", REG_BINARY, {0, 7, 0}};
    writeKey(kNtPath, {dword, binary});
    startProgram();
    pick(0);
    EXPECT_EQ(sortedByName(readKey(kNtPath)), sortedByName({binary, RegValue{"~Acme", REG_DWORD, dword.data}}));
    pick(1);
    EXPECT_EQ(sortedByName(readKey(kNtPath)), sortedByName({binary, dword}));
}

TEST_F(Drivers, Windows95FamilyUsesItsOwnKey) {
    ScopedRegValue version(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\gl-renderer-info.exe", "Version",
                           "win98");
    writeKey(kNtPath, {text("NtDriver", "nt.dll")});
    writeKey(k95Path, {text("Acme", "acme.dll")});
    startProgram();
    EXPECT_EQ(listRows(list_), (Rows{kBuiltInRow, "Acme: acme.dll"}));
    pick(0);
    EXPECT_EQ(readKey(k95Path), Values{text("~Acme", "acme.dll")});
    EXPECT_EQ(readKey(kNtPath), Values{text("NtDriver", "nt.dll")});
}

namespace {

struct WideValue {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
    bool operator==(const WideValue& o) const { return name == o.name && type == o.type && data == o.data; }
};

std::vector<WideValue> readKeyWide(const char* path) {
    std::vector<WideValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        std::vector<BYTE> data(65536);
        DWORD nameLength = 16384, size = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        data.resize(size);
        values.push_back(WideValue{std::wstring(name, nameLength), type, data});
    }
    RegCloseKey(key);
    return values;
}

}  // namespace

// A driver whose name and path the system's code page cannot carry is never
// written back through it: no second value, no changed path.
TEST_F(Drivers, SwitchKeepsNamesOutsideTheCodePageExactly) {
    // The name and the path outside the code page, then the name alone.
    for (const std::wstring& path : {std::wstring(L"C:\\\u03a9mega\\icd.dll"), std::wstring(L"C:\\drivers\\icd.dll")}) {
        SCOPED_TRACE(utf8(path));
        writeKey(kNtPath, {});
        const std::wstring name = L"\u03a9drv";
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kNtPath, &key), ERROR_SUCCESS);
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        const std::vector<WideValue> before = readKeyWide(kNtPath);
        ASSERT_EQ(before.size(), 1u);
        startProgram();
        ASSERT_EQ(listRows(list_).size(), 2u);
        for (int row : {0, 1, 0, 1}) {
            pick(row);
            EXPECT_TRUE(readKeyWide(kNtPath) == before) << "after picking row " << row;
        }
        closeProgram();
    }
}

// Text in the code page at the longest the table carries (a name that "~"
// takes to 1022 characters, 1022 bytes of path): each switch leaves exactly
// those characters, as a Unicode program reads them.
TEST_F(Drivers, SwitchKeepsLongTextInTheCodePageWhole) {
    const std::string lead = "Pilote \xe9t\xe9 ", path = "C:\\Pilotes \xe9t\xe9\\";
    const std::string name = lead + std::string(1021 - lead.size(), 'n');
    const std::string data = path + std::string(1022 - path.size() - 4, 'd') + ".dll";
    const auto wide = [](const std::string& narrow) {
        std::wstring out(narrow.size(), L'\0');
        out.resize(MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), &out[0], static_cast<int>(out.size())));
        return out;
    };
    const auto bytesOf = [](const std::wstring& text) {
        const BYTE* at = reinterpret_cast<const BYTE*>(text.c_str());
        return std::vector<BYTE>(at, at + (text.size() + 1) * sizeof(wchar_t));
    };
    ASSERT_NE(wide(name).find(L"\u00e9t\u00e9"), std::wstring::npos) << "the code page has no \u00e9";
    writeKey(kNtPath, {text(name, data)});
    startProgram();
    ASSERT_EQ(listRows(list_), (Rows{kBuiltInRow, name + ": " + data}));
    pick(0);
    EXPECT_EQ(readKey(kNtPath), Values{text("~" + name, data)});
    EXPECT_TRUE(readKeyWide(kNtPath) == std::vector<WideValue>({WideValue{L"~" + wide(name), REG_SZ, bytesOf(wide(data))}}));
    pick(1);
    EXPECT_TRUE(readKeyWide(kNtPath) == std::vector<WideValue>({WideValue{wide(name), REG_SZ, bytesOf(wide(data))}}));
    closeProgram();
    // Started again, it reads what it wrote.
    startProgram();
    EXPECT_EQ(listRows(list_), (Rows{kBuiltInRow, name + ": " + data}));
}

// The report marks the row that says which implementation is in effect, and
// carries a name outside ASCII to Unicode programs unchanged.
TEST_F(Drivers, TheReportStarsTheSelectedRow) {
    const std::string pilote = "Pilote \xe9t\xe9";  // in the system's code page
    struct Case {
        std::string name;
        Rows lines;
    };
    const Case cases[] = {
        {pilote, {"  " + std::string(kBuiltInRow), "* " + pilote + ": p.dll"}},
        {"~" + pilote, {"* " + std::string(kBuiltInRow), "  ~" + pilote + ": p.dll"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeKey(kNtPath, {text(c.name, "p.dll")});
        startProgram();
        const DWORD sequence = GetClipboardSequenceNumber();
        PostMessageW(dialog_, WM_COMMAND, 40001, 0);  // Copy report
        const std::string report = clipboardChangedSince(sequence);
        const size_t at = report.find("Drivers (* selected):\r\n");
        ASSERT_NE(at, std::string::npos) << report;
        Rows lines;
        // The rows, up to the next labelled line.
        for (size_t from = report.find("\r\n", at) + 2; from < report.size();) {
            const size_t end = report.find("\r\n", from);
            const std::string line = report.substr(from, end - from);
            if (line.rfind("  ", 0) != 0 && line.rfind("* ", 0) != 0) break;
            lines.push_back(line);
            from = end + 2;
        }
        EXPECT_EQ(lines, c.lines);
        EXPECT_TRUE(clipboardUnicode() == widen(report));
        EXPECT_NE(clipboardUnicode().find(L"Pilote \u00e9t\u00e9"), std::wstring::npos);
    }
}
