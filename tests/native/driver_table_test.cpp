#include <gtest/gtest.h>

#include "memory_key.h"

namespace {

using Values = std::vector<MemoryValue>;

DriverTable loaded(MemoryKey& key) {
    DriverTable table;
    loadDriverTable(table, &key);
    return table;
}

std::string row(const DriverTable& table, int k) {
    char text[kDriverRowSize];
    formatDriverRow(table.entries[k], text);
    return text;
}

}  // namespace

TEST(DriverTable, ListsTheBuiltInEntryThenTheKeysValues) {
    struct Case {
        const char* what;
        Values values;
        std::vector<std::string> rows;
        int selected;
    };
    const std::string name1022(1022, 'n');
    const std::string data1022(1022, 'd');  // 1023 bytes with its terminator
    const Case cases[] = {
        {"empty key", {}, {"Software (MICROSOFT): OpenGL32.dll"}, 1},
        {"switched off", {textValue("~Acme", "acme.dll")}, {"Software (MICROSOFT): OpenGL32.dll", "~Acme: acme.dll"}, 0},
        {"switched on", {textValue("Acme", "acme.dll")}, {"Software (MICROSOFT): OpenGL32.dll", "Acme: acme.dll"}, 1},
        {"only the first driver decides",
         {textValue("Acme", "a"), textValue("~Beta", "b")},
         {"Software (MICROSOFT): OpenGL32.dll", "Acme: a", "~Beta: b"},
         1},
        {"room for three values",
         {textValue("A", "1"), textValue("B", "2"), textValue("C", "3"), textValue("D", "4")},
         {"Software (MICROSOFT): OpenGL32.dll", "A: 1", "B: 2", "C: 3"},
         1},
        {"longest name and data fit",
         {textValue(name1022, data1022)},
         {"Software (MICROSOFT): OpenGL32.dll", name1022 + ": " + data1022},
         1},
        {"a name too long ends the list",
         {textValue("A", "1"), textValue(name1022 + "n", "2"), textValue("C", "3")},
         {"Software (MICROSOFT): OpenGL32.dll", "A: 1"},
         1},
        {"data too long ends the list",
         {textValue("A", data1022 + "d"), textValue("C", "3")},
         {"Software (MICROSOFT): OpenGL32.dll"},
         1},
        {"other types show up to their first zero byte",
         {MemoryValue{"Dword", 4, {0x41, 0x42, 0x00, 0x43}}, MemoryValue{"Bin", 3, {0x00, 0x41}}},
         {"Software (MICROSOFT): OpenGL32.dll", "Dword: AB", "Bin: "},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryKey key;
        key.values = c.values;
        const DriverTable table = loaded(key);
        ASSERT_EQ(table.count, static_cast<int>(c.rows.size()));
        for (int k = 0; k < table.count; ++k) EXPECT_EQ(row(table, k), c.rows[k]);
        EXPECT_EQ(initialDriverRow(table), c.selected);
        EXPECT_EQ(key.values, c.values) << "loading changed the key";
    }

    // A key that could not be opened leaves the built-in entry alone.
    DriverTable table;
    loadDriverTable(table, nullptr);
    EXPECT_EQ(table.count, 1);
    EXPECT_EQ(row(table, 0), "Software (MICROSOFT): OpenGL32.dll");

    // Data that fills its capacity with no zero byte is still terminated in its slot.
    MemoryKey raw;
    raw.values = {MemoryValue{"Raw", 3, std::vector<std::uint8_t>(1023, 'x')}};
    table = loaded(raw);
    ASSERT_EQ(table.count, 2);
    EXPECT_EQ(std::string(table.entries[1].data).size(), 1023u);
}

TEST(DriverTable, KeyPathFollowsThePlatformFamily) {
    EXPECT_STREQ(driverKeyPath(2), "Software\\Microsoft\\Windows NT\\CurrentVersion\\OpenGLdrivers");
    EXPECT_STREQ(driverKeyPath(1), "Software\\Microsoft\\Windows\\CurrentVersion\\OpenGLdrivers");
    EXPECT_STREQ(driverKeyPath(0), "Software\\Microsoft\\Windows\\CurrentVersion\\OpenGLdrivers");
}

TEST(DriverSwitch, PlansTheNewAndOldNames) {
    MemoryKey key;
    key.values = {textValue("Acme", "a"), textValue("~Beta", "b")};
    const DriverTable table = loaded(key);
    struct Case {
        int row;
        bool act;
        int source;
        const char* newName;
        const char* otherName;
    };
    const Case cases[] = {
        {0, true, 1, "~Acme", "Acme"},  {1, true, 1, "Acme", "~Acme"}, {2, true, 2, "Beta", "~Beta"},
        {3, false, 0, "", ""},          {-1, false, 0, "", ""},
    };
    for (const Case& c : cases) {
        const SwitchPlan plan = planSwitch(table, c.row);
        EXPECT_EQ(plan.act, c.act) << c.row;
        if (!c.act) continue;
        EXPECT_EQ(plan.source, c.source);
        EXPECT_EQ(plan.newName, c.newName);
        EXPECT_EQ(plan.otherName, c.otherName);
    }
}

TEST(DriverSwitch, RenamesOnlyTheChosenDriversValue) {
    struct Case {
        const char* what;
        Values start;
        std::vector<int> rows;  // selections, one after another
        Values end;
        SwitchResult last;
    };
    const MemoryValue a = textValue("Acme", "acme.dll"), offA = textValue("~Acme", "acme.dll");
    const MemoryValue b = textValue("Beta", "beta.dll"), offB = textValue("~Beta", "beta.dll");
    const MemoryValue c = textValue("Gamma", "g.dll"), d = textValue("Delta", "d.dll");
    const Case cases[] = {
        {"off", {a}, {0}, {offA}, SwitchResult::Renamed},
        {"off then on", {a}, {0, 1}, {a}, SwitchResult::Renamed},
        {"off twice", {a}, {0, 0}, {offA}, SwitchResult::Unchanged},
        {"on while on", {a}, {1}, {a}, SwitchResult::Unchanged},
        {"off at start, off again", {offA}, {0}, {offA}, SwitchResult::Unchanged},
        {"off at start, on", {offA}, {1}, {a}, SwitchResult::Renamed},
        {"no driver", {}, {0}, {}, SwitchResult::Ignored},
        {"no such row", {a}, {2}, {a}, SwitchResult::Ignored},
        {"second driver stays", {a, b}, {0}, {b, offA}, SwitchResult::Renamed},
        {"first value is not the first driver's any more", {a, b}, {0, 1}, {b, a}, SwitchResult::Renamed},
        {"a later driver", {a, offB}, {2}, {a, b}, SwitchResult::Renamed},
        {"a later driver after the first moved", {a, offB, c}, {0, 2, 1}, {c, b, a}, SwitchResult::Renamed},
        {"the value past the table is never touched", {a, b, offA, d}, {2, 0}, {a, b, offA, d},
         SwitchResult::Refused},
        {"fourth value kept", {offA, b, c, d}, {1}, {b, c, d, a}, SwitchResult::Renamed},
        // Nothing is written that the next start could not read back.
        {"a value named just ~", {textValue("~", "t.dll")}, {1, 0}, {textValue("~", "t.dll")},
         SwitchResult::Refused},
        {"a name that \"~\" would take past the capacity", {textValue(std::string(1022, 'n'), "n.dll")}, {0},
         {textValue(std::string(1022, 'n'), "n.dll")}, SwitchResult::Refused},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        MemoryKey key;
        key.values = k.start;
        const DriverTable table = loaded(key);
        SwitchResult result = SwitchResult::Ignored;
        for (int r : k.rows) result = applySwitch(table, planSwitch(table, r), key);
        EXPECT_EQ(key.values, k.end);
        EXPECT_EQ(result, k.last);
    }
}

TEST(DriverSwitch, NeverLosesData) {
    // The value's type and bytes move with it, zero bytes and all.
    MemoryKey key;
    const MemoryValue binary{"Acme", 3, {1, 0, 2, 0, 0}};
    const MemoryValue expand{"Beta", 2, {'%', 'x', '%', 0}};
    key.values = {binary, expand};
    DriverTable table = loaded(key);
    EXPECT_EQ(applySwitch(table, planSwitch(table, 0), key), SwitchResult::Renamed);
    EXPECT_EQ(key.values, (Values{expand, MemoryValue{"~Acme", 3, binary.bytes}}));

    // A failed write leaves the key as it was.
    key = MemoryKey();
    key.values = {textValue("Acme", "x")};
    table = loaded(key);
    key.failWrites = true;
    EXPECT_EQ(applySwitch(table, planSwitch(table, 0), key), SwitchResult::WriteFailed);
    EXPECT_EQ(key.values, (Values{textValue("Acme", "x")}));
    EXPECT_EQ(key.deletes, 0);

    // A new name that is another driver's is refused rather than overwritten.
    key = MemoryKey();
    key.values = {textValue("Acme", "1"), textValue("~Acme", "2")};
    table = loaded(key);
    const Values both = key.values;
    EXPECT_EQ(applySwitch(table, planSwitch(table, 0), key), SwitchResult::Refused);
    EXPECT_EQ(applySwitch(table, planSwitch(table, 2), key), SwitchResult::Refused);
    EXPECT_EQ(applySwitch(table, planSwitch(table, 1), key), SwitchResult::Unchanged);
    EXPECT_EQ(key.values, both);

    // The driver's value vanished since start-up: it is registered again as text,
    // its length counting the terminator.
    key = MemoryKey();
    key.values = {textValue("Acme", "a")};
    table = loaded(key);
    key.values.clear();
    EXPECT_EQ(applySwitch(table, planSwitch(table, 0), key), SwitchResult::Recreated);
    EXPECT_EQ(key.values, (Values{MemoryValue{"~Acme", kRegSz, {'a', 0}}}));

    // ... and when its data filled the whole slot (no zero byte in it), no more
    // is written than the next start reads: 1022 characters and the terminator.
    key = MemoryKey();
    key.values = {MemoryValue{"Acme", 3, std::vector<std::uint8_t>(kDriverValueCapacity, 'z')}};
    table = loaded(key);
    key.values.clear();
    EXPECT_EQ(applySwitch(table, planSwitch(table, 0), key), SwitchResult::Recreated);
    ASSERT_EQ(key.values.size(), 1u);
    EXPECT_EQ(key.values[0].bytes.size(), kDriverValueCapacity);
    EXPECT_EQ(key.values[0].bytes.back(), 0);
    EXPECT_EQ(loaded(key).count, 2);

    // A value whose name or text the code page cannot carry is left alone,
    // off or on, rather than written again corrupted beside the original.
    for (int row : {0, 1}) {
        key = MemoryKey();
        key.values = {textValue("Odrv", "C:\\Omega\\icd.dll")};
        key.notInCodePage = {row == 0 ? "Odrv" : "~Odrv"};
        if (row == 1) key.values[0].name = "~Odrv";
        table = loaded(key);
        const Values before = key.values;
        EXPECT_EQ(applySwitch(table, planSwitch(table, row), key), SwitchResult::Refused);
        EXPECT_EQ(key.values, before);
        EXPECT_EQ(key.writes + key.deletes, 0);
    }

    // Names compare without case, as the registry's do.
    key = MemoryKey();
    key.values = {textValue("Acme", "a")};
    table = loaded(key);
    key.values = {textValue("~ACME", "a")};
    EXPECT_EQ(applySwitch(table, planSwitch(table, 0), key), SwitchResult::Unchanged);
    EXPECT_EQ(applySwitch(table, planSwitch(table, 1), key), SwitchResult::Renamed);
    EXPECT_EQ(key.values, (Values{textValue("Acme", "a")}));
}
