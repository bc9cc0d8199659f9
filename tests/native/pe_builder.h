#pragma once
// Programs made byte by byte, as a linker lays them out, for the PE reader's
// tests and the fuzzer's first inputs: one section holding the exports, the
// imports and the manifest asked for.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct PeRecipe {
    std::uint16_t machine = 0x8664;
    bool plus = true;  // PE32+ (64-bit) or PE32
    std::uint16_t characteristics = 0x0022;  // executable, large-address aware; 0x2000 makes a DLL
    std::uint16_t subsystem = 2;             // Windows GUI
    std::vector<std::pair<std::string, std::uint32_t>> exports;
    std::vector<std::string> imports;
    std::vector<std::string> delayImports;  // the delay-load descriptors' DLLs, in the form that holds addresses
    bool oldDelayForm = false;  // Visual C++ 6's form instead: virtual addresses from imageBase
    bool noLookupTables = false;  // import descriptors with OriginalFirstThunk 0, as some linkers leave it
    std::uint32_t imageBase = 0x400000;
    std::string manifest;  // empty: none
    std::uint32_t manifestId = 1;
    bool clr = false;  // a CLR header (.NET) with these flags
    std::uint32_t clrFlags = 0;
};

inline std::vector<std::uint8_t> buildPe(const PeRecipe& r) {
    std::vector<std::uint8_t> sec;
    const auto put32 = [](std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
        if (b.size() < at + 4) b.resize(at + 4);
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    const auto put16 = [](std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
        if (b.size() < at + 2) b.resize(at + 2);
        b[at] = static_cast<std::uint8_t>(v);
        b[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    const auto text = [&sec](const std::string& s) {
        const std::size_t at = sec.size();
        sec.insert(sec.end(), s.begin(), s.end());
        sec.push_back(0);
        while (sec.size() % 4 != 0) sec.push_back(0);
        return at;
    };
    const std::uint32_t base = 0x1000;
    std::uint32_t dirs[16][2] = {};
    if (!r.exports.empty()) {
        const std::size_t dir = sec.size();
        sec.resize(dir + 40);
        const std::size_t n = r.exports.size();
        const std::size_t functions = sec.size(), names = functions + 4 * n, ordinals = names + 4 * n;
        sec.resize(ordinals + 2 * n + 2);
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t value = sec.size();
            put32(sec, value, r.exports[i].second);
            const std::size_t name = text(r.exports[i].first);
            put32(sec, functions + 4 * i, static_cast<std::uint32_t>(base + value));
            put32(sec, names + 4 * i, static_cast<std::uint32_t>(base + name));
            put16(sec, ordinals + 2 * i, static_cast<std::uint32_t>(i));
        }
        put32(sec, dir + 20, static_cast<std::uint32_t>(n));
        put32(sec, dir + 24, static_cast<std::uint32_t>(n));
        put32(sec, dir + 28, static_cast<std::uint32_t>(base + functions));
        put32(sec, dir + 32, static_cast<std::uint32_t>(base + names));
        put32(sec, dir + 36, static_cast<std::uint32_t>(base + ordinals));
        dirs[0][0] = static_cast<std::uint32_t>(base + dir);
        dirs[0][1] = 40;
    }
    if (!r.imports.empty()) {
        const std::size_t dir = sec.size();
        sec.resize(dir + 20 * (r.imports.size() + 1));
        for (std::size_t i = 0; i < r.imports.size(); ++i) {
            const std::size_t name = text(r.imports[i]);
            put32(sec, dir + 20 * i, r.noLookupTables ? 0u : static_cast<std::uint32_t>(base + name));  // stands for the thunks
            put32(sec, dir + 20 * i + 12, static_cast<std::uint32_t>(base + name));
        }
        dirs[1][0] = static_cast<std::uint32_t>(base + dir);
        dirs[1][1] = static_cast<std::uint32_t>(20 * (r.imports.size() + 1));
    }
    if (!r.delayImports.empty()) {
        const std::size_t dir = sec.size();
        sec.resize(dir + 32 * (r.delayImports.size() + 1));
        for (std::size_t i = 0; i < r.delayImports.size(); ++i) {
            const std::size_t name = text(r.delayImports[i]);
            put32(sec, dir + 32 * i, r.oldDelayForm ? 0 : 1);
            put32(sec, dir + 32 * i + 4, static_cast<std::uint32_t>(base + name + (r.oldDelayForm ? r.imageBase : 0)));
        }
        dirs[13][0] = static_cast<std::uint32_t>(base + dir);
        dirs[13][1] = static_cast<std::uint32_t>(32 * (r.delayImports.size() + 1));
    }
    if (r.clr) {
        const std::size_t header = sec.size();
        sec.resize(header + 72);
        put32(sec, header, 72);
        put16(sec, header + 4, 2);
        put16(sec, header + 6, 5);
        put32(sec, header + 16, r.clrFlags);
        dirs[14][0] = static_cast<std::uint32_t>(base + header);
        dirs[14][1] = 72;
    }
    if (!r.manifest.empty()) {
        const std::size_t root = sec.size();
        sec.resize(root + 3 * 24 + 16);
        // Three levels of one entry each (type 24, the name asked for, language 0x409), then the data entry.
        const std::uint32_t ids[3] = {24, r.manifestId, 0x409};
        for (int level = 0; level < 3; ++level) {
            const std::size_t dir = root + 24 * level;
            put16(sec, dir + 14, 1);
            put32(sec, dir + 16, ids[level]);
            put32(sec, dir + 20, static_cast<std::uint32_t>(level < 2 ? (24 * (level + 1)) | 0x80000000u : 72));
        }
        const std::size_t data = sec.size();
        sec.insert(sec.end(), r.manifest.begin(), r.manifest.end());
        put32(sec, root + 72, static_cast<std::uint32_t>(base + data));
        put32(sec, root + 76, static_cast<std::uint32_t>(r.manifest.size()));
        dirs[2][0] = static_cast<std::uint32_t>(base + root);
        dirs[2][1] = static_cast<std::uint32_t>(sec.size() - root);
    }
    while (sec.size() % 0x200 != 0) sec.push_back(0);

    std::vector<std::uint8_t> file(0x200, 0);
    file[0] = 'M';
    file[1] = 'Z';
    put32(file, 0x3C, 0x40);
    file[0x40] = 'P';
    file[0x41] = 'E';
    put16(file, 0x44, r.machine);
    put16(file, 0x46, 1);
    const std::uint32_t optionalSize = r.plus ? 240 : 224;
    put16(file, 0x54, optionalSize);
    put16(file, 0x56, r.characteristics);
    const std::size_t opt = 0x58;
    put16(file, opt, r.plus ? 0x20B : 0x10B);
    put32(file, opt + 60, 0x200);  // SizeOfHeaders
    if (!r.plus) put32(file, opt + 28, r.imageBase);
    put16(file, opt + 68, r.subsystem);
    const std::size_t count = opt + (r.plus ? 108 : 92);
    put32(file, count, 16);
    for (int d = 0; d < 16; ++d) {
        put32(file, count + 4 + 8 * d, dirs[d][0]);
        put32(file, count + 8 + 8 * d, dirs[d][1]);
    }
    const std::size_t table = opt + optionalSize;
    const char name[8] = {'.', 'd', 'a', 't', 'a', 0, 0, 0};
    for (int i = 0; i < 8; ++i) file[table + i] = static_cast<std::uint8_t>(name[i]);
    put32(file, table + 8, static_cast<std::uint32_t>(sec.size()));
    put32(file, table + 12, base);
    put32(file, table + 16, static_cast<std::uint32_t>(sec.size()));
    put32(file, table + 20, 0x200);
    file.resize(0x200);
    file.insert(file.end(), sec.begin(), sec.end());
    return file;
}
