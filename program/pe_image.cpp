#include "program/pe_image.h"

#include <algorithm>

#include "platform/ascii.h"

namespace {

constexpr std::uint32_t kExportDirectory = 0;
constexpr std::uint32_t kImportDirectory = 1;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kDelayImportDirectory = 13;
constexpr std::uint32_t kClrDirectory = 14;
constexpr std::uint32_t kRtManifest = 24;
// CREATEPROCESS_MANIFEST_RESOURCE_ID: the one manifest Windows reads for a
// process; the others are a DLL's or isolation's.
constexpr std::uint32_t kProcessManifestId = 1;
constexpr std::uint32_t kFileDll = 0x2000;
constexpr std::size_t kMostNames = 65536;     // export names or import descriptors looked at
constexpr std::size_t kMostNameLength = 512;

// Reads little-endian values at offsets that may be anything: a read past the
// end answers false and leaves the value 0.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t size() const { return size_; }
    bool has(std::uint64_t offset, std::uint64_t length) const { return offset <= size_ && length <= size_ - offset; }
    bool u16(std::uint64_t offset, std::uint32_t* value) const {
        *value = 0;
        if (!has(offset, 2)) return false;
        *value = data_[offset] | data_[offset + 1] << 8;
        return true;
    }
    bool u32(std::uint64_t offset, std::uint32_t* value) const {
        *value = 0;
        if (!has(offset, 4)) return false;
        *value = static_cast<std::uint32_t>(data_[offset]) | static_cast<std::uint32_t>(data_[offset + 1]) << 8 |
                 static_cast<std::uint32_t>(data_[offset + 2]) << 16 | static_cast<std::uint32_t>(data_[offset + 3]) << 24;
        return true;
    }
    // A zero-terminated name, ending inside the bytes and not too long.
    bool name(std::uint64_t offset, std::string* text) const {
        text->clear();
        for (std::uint64_t i = offset; i < size_ && i - offset < kMostNameLength; ++i) {
            if (data_[i] == 0) return true;
            text->push_back(static_cast<char>(data_[i]));
        }
        return false;
    }
    std::string slice(std::uint64_t offset, std::uint64_t length) const {
        return has(offset, length) ? std::string(reinterpret_cast<const char*>(data_ + offset), length) : std::string();
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

struct Section {
    std::uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

class Image {
public:
    explicit Image(const Bytes& bytes) : bytes_(bytes) {}

    // The file offset of an address, with `length` bytes of it in the file.
    bool offsetOf(std::uint32_t rva, std::uint32_t length, std::uint64_t* offset) const {
        for (const Section& s : sections_) {
            const std::uint32_t extent = std::max(s.virtualSize, s.rawSize);
            if (rva < s.virtualAddress || rva - s.virtualAddress >= extent) continue;
            const std::uint64_t within = rva - s.virtualAddress;
            if (within + length > s.rawSize) return false;  // in memory only, or past the section's bytes
            *offset = static_cast<std::uint64_t>(s.rawOffset) + within;
            return bytes_.has(*offset, length);
        }
        // Before the first section: the headers, mapped as they are.
        if (rva < headersSize_ && bytes_.has(rva, length)) {
            *offset = rva;
            return true;
        }
        return false;
    }
    bool u32(std::uint32_t rva, std::uint32_t* value) const {
        std::uint64_t at = 0;
        *value = 0;
        return offsetOf(rva, 4, &at) && bytes_.u32(at, value);
    }
    bool u16(std::uint32_t rva, std::uint32_t* value) const {
        std::uint64_t at = 0;
        *value = 0;
        return offsetOf(rva, 2, &at) && bytes_.u16(at, value);
    }
    bool name(std::uint32_t rva, std::string* text) const {
        std::uint64_t at = 0;
        text->clear();
        return offsetOf(rva, 1, &at) && bytes_.name(at, text);
    }
    // A value that may lie past a section's initialised bytes, where it is 0.
    bool dataValue(std::uint32_t rva, std::uint32_t* value) const {
        *value = 0;
        for (const Section& s : sections_) {
            if (rva < s.virtualAddress || rva - s.virtualAddress >= std::max(s.virtualSize, s.rawSize)) continue;
            std::uint64_t at = 0;
            return offsetOf(rva, 4, &at) ? bytes_.u32(at, value) : true;
        }
        return false;
    }

    std::vector<Section> sections_;
    std::uint32_t headersSize_ = 0;
    std::uint32_t directories_[16][2] = {};  // address and size
    std::uint32_t directoryCount_ = 0;
    std::uint32_t imageBase_ = 0;  // PE32's alone: the old delay-load form holds addresses made from it

private:
    const Bytes& bytes_;
};

void readExports(const Image& image, ProgramImage* program) {
    const std::uint32_t directory = image.directories_[kExportDirectory][0];
    std::uint32_t names = 0, functions = 0, addressOfNames = 0, ordinals = 0;
    image.u32(directory + 24, &names);
    image.u32(directory + 28, &functions);
    image.u32(directory + 32, &addressOfNames);
    image.u32(directory + 36, &ordinals);
    for (std::uint32_t i = 0; i < names && i < kMostNames; ++i) {
        std::uint32_t nameAddress = 0, ordinal = 0, function = 0;
        std::string name;
        if (!image.u32(addressOfNames + 4 * i, &nameAddress) || !image.name(nameAddress, &name)) break;
        ExportedValue* value = name == "NvOptimusEnablement"                    ? &program->nvOptimusEnablement
                               : name == "AmdPowerXpressRequestHighPerformance" ? &program->amdPowerXpress
                                                                                : nullptr;
        if (value == nullptr) continue;
        if (!image.u16(ordinals + 2 * i, &ordinal) || !image.u32(functions + 4 * ordinal, &function)) continue;
        value->exported = true;
        image.dataValue(function, &value->value);
    }
}

bool isOpenGl32(const std::string& dll) { return asciiLower(dll) == "opengl32.dll" || asciiLower(dll) == "opengl32"; }

void noteImport(const std::string& dll, ProgramImage* program) {
    if (isOpenGl32(dll)) program->importsOpenGl32 = true;
    if (isQtLibrary(dll)) program->importsQt = true;
}

void readImports(const Image& image, ProgramImage* program) {
    const std::uint32_t directory = image.directories_[kImportDirectory][0];
    for (std::uint32_t i = 0; directory != 0 && i < kMostNames; ++i) {
        std::uint32_t name = 0, thunks = 0;
        if (!image.u32(directory + 20 * i + 12, &name) || !image.u32(directory + 20 * i, &thunks)) break;
        if (name == 0 && thunks == 0) break;  // the closing descriptor
        std::string dll;
        if (image.name(name, &dll)) noteImport(dll, program);
    }
    const std::uint32_t delayed = image.directories_[kDelayImportDirectory][0];
    for (std::uint32_t i = 0; delayed != 0 && image.directoryCount_ > kDelayImportDirectory && i < kMostNames; ++i) {
        std::uint32_t attributes = 0, name = 0;
        if (!image.u32(delayed + 32 * i, &attributes) || !image.u32(delayed + 32 * i + 4, &name)) break;
        if (name == 0) break;
        // The old form (Visual C++ 6, 32-bit only) holds virtual addresses instead of relative ones.
        if ((attributes & 1) == 0) {
            if (program->plus || name < image.imageBase_) continue;
            name -= image.imageBase_;
        }
        std::string dll;
        if (image.name(name, &dll)) noteImport(dll, program);
    }
}

// One step down the resource tree: the entry of this id, or the first one.
bool resourceEntry(const Image& image, std::uint32_t root, std::uint32_t directory, bool byId, std::uint32_t id,
                   std::uint32_t* offset, bool* isDirectory) {
    std::uint32_t named = 0, ids = 0;
    if (!image.u16(root + directory + 12, &named) || !image.u16(root + directory + 14, &ids)) return false;
    for (std::uint32_t i = 0; i < named + ids && i < kMostNames; ++i) {
        std::uint32_t name = 0, target = 0;
        const std::uint32_t entry = root + directory + 16 + 8 * i;
        if (!image.u32(entry, &name) || !image.u32(entry + 4, &target)) return false;
        if (byId && ((name & 0x80000000u) != 0 || name != id)) continue;
        *isDirectory = (target & 0x80000000u) != 0;
        *offset = target & 0x7FFFFFFFu;
        return true;
    }
    return false;
}

bool readManifest(const Image& image, const Bytes& bytes, ProgramImage* program, std::string* problem) {
    const std::uint32_t root = image.directories_[kResourceDirectory][0];
    std::uint32_t offset = 0;
    bool isDirectory = false;
    // Type RT_MANIFEST, then the process's ID, then its first language.
    if (!resourceEntry(image, root, 0, true, kRtManifest, &offset, &isDirectory) || !isDirectory) return true;
    if (!resourceEntry(image, root, offset, true, kProcessManifestId, &offset, &isDirectory) || !isDirectory) return true;
    if (!resourceEntry(image, root, offset, false, 0, &offset, &isDirectory) || isDirectory) return true;
    std::uint32_t address = 0, size = 0;
    if (!image.u32(root + offset, &address) || !image.u32(root + offset + 4, &size)) return true;
    if (size > kMostManifestBytes) {
        *problem = "its manifest is over 64 KiB";
        return false;
    }
    std::uint64_t at = 0;
    if (!image.offsetOf(address, size, &at)) {
        *problem = "its directories point outside the file";
        return false;
    }
    program->hasManifest = true;
    program->manifest = bytes.slice(at, size);
    return true;
}

ImageReading refused(const char* problem) {
    ImageReading reading;
    reading.problem = problem;
    return reading;
}

}  // namespace

ImageReading readPeImage(const std::uint8_t* data, std::size_t size) {
    const Bytes bytes(data, size);
    std::uint32_t mz = 0;
    bytes.u16(0, &mz);
    std::uint32_t lnk = 0;
    if (bytes.u32(0, &lnk) && lnk == 0x4C) return refused("it is a shortcut, not a program; name the program it leads to");
    if (mz != 0x5A4D) return refused(size < 2 ? "it is empty, not a program" : "it is not a program (no MZ header)");
    std::uint32_t peOffset = 0;
    if (!bytes.u32(0x3C, &peOffset)) return refused("its header is cut short");
    std::uint32_t signature = 0;
    // A DOS program's header ends before 0x40; a 16-bit Windows one says NE.
    if (peOffset < 0x40 || (bytes.u16(peOffset, &signature) && (signature == 0x454E || signature == 0x454C || signature == 0x584C))) {
        return refused("it is a 16-bit program (DOS or Windows 3.x), not a Windows one this reads");
    }
    if (!bytes.u32(peOffset, &signature)) return refused("its header is cut short");
    if (signature != 0x00004550) return refused("it is a 16-bit program (DOS or Windows 3.x), not a Windows one this reads");

    ImageReading reading;
    ProgramImage& program = reading.image;
    const std::uint64_t fileHeader = static_cast<std::uint64_t>(peOffset) + 4;
    std::uint32_t sections = 0, optionalSize = 0, magic = 0, characteristics = 0;
    if (!bytes.u16(fileHeader, &program.machine) || !bytes.u16(fileHeader + 2, &sections) ||
        !bytes.u16(fileHeader + 16, &optionalSize) || !bytes.u16(fileHeader + 18, &characteristics)) {
        return refused("its header is cut short");
    }
    program.isDll = (characteristics & kFileDll) != 0;
    const std::uint64_t optional = fileHeader + 20;
    if (!bytes.u16(optional, &magic) || !bytes.has(optional, optionalSize)) return refused("its header is cut short");
    const bool plus = magic == 0x20B;
    if (magic != 0x10B && !plus) return refused("its header is not a program's (an unknown optional header)");
    program.plus = plus;
    if (optionalSize < 70 || !bytes.u16(optional + 68, &program.subsystem)) return refused("its header is cut short");
    Image image(bytes);
    const std::uint64_t countAt = optional + (plus ? 108 : 92);
    if (countAt + 4 > optional + optionalSize || !bytes.u32(countAt, &image.directoryCount_)) {
        return refused("its header is cut short");
    }
    bytes.u32(optional + 60, &image.headersSize_);  // SizeOfHeaders, at the same place in both forms
    if (!plus) bytes.u32(optional + 28, &image.imageBase_);
    for (std::uint32_t d = 0; d < image.directoryCount_ && d < 16; ++d) {
        const std::uint64_t at = countAt + 4 + 8 * d;
        if (at + 8 > optional + optionalSize) break;
        bytes.u32(at, &image.directories_[d][0]);
        bytes.u32(at + 4, &image.directories_[d][1]);
    }
    const std::uint64_t table = optional + optionalSize;
    if (sections > 96 || !bytes.has(table, 40ull * sections)) return refused("its header is cut short");
    for (std::uint32_t i = 0; i < sections; ++i) {
        Section s = {};
        bytes.u32(table + 40 * i + 8, &s.virtualSize);
        bytes.u32(table + 40 * i + 12, &s.virtualAddress);
        bytes.u32(table + 40 * i + 16, &s.rawSize);
        bytes.u32(table + 40 * i + 20, &s.rawOffset);
        image.sections_.push_back(s);
    }
    // A directory the program names must be in its file to be read.
    for (std::uint32_t d : {kExportDirectory, kImportDirectory, kResourceDirectory, kClrDirectory}) {
        std::uint64_t at = 0;
        const std::uint32_t address = image.directories_[d][0];
        if (address != 0 && !image.offsetOf(address, 1, &at)) return refused("its directories point outside the file");
    }
    // A .NET program: its CLR header's flags, 16 bytes in, say which bitness it runs with.
    if (image.directories_[kClrDirectory][0] != 0) {
        if (!image.u32(image.directories_[kClrDirectory][0] + 16, &program.clrFlags)) {
            return refused("its directories point outside the file");
        }
        program.hasClrHeader = true;
    }
    if (image.directories_[kExportDirectory][0] != 0) readExports(image, &program);
    readImports(image, &program);
    if (image.directories_[kResourceDirectory][0] != 0 && !readManifest(image, bytes, &program, &reading.problem)) {
        return refused(reading.problem.c_str());
    }
    reading.read = true;
    return reading;
}

ImageReading readProgramImage(const std::uint8_t* data, std::size_t size) {
    ImageReading reading = readPeImage(data, size);
    if (!reading.read) return reading;
    const ProgramImage& image = reading.image;
    const unsigned sub = image.subsystem;
    // What Windows starts as a process; the rest is loaded by something else.
    if (image.isDll) return refused("it is a DLL, not a program: check the program that loads it");
    if (sub == 1 || sub == 8) return refused("it is a driver or another native-subsystem image, not a program");
    if (sub >= 10 && sub <= 13) return refused("it is an EFI image, not a Windows program");
    if (sub == 16) return refused("it is a Windows boot application, not a program");
    if (sub != kSubsystemWindowsGui && sub != kSubsystemWindowsCui) return refused("it is no Windows program (an unknown subsystem)");
    return reading;
}

bool isQtLibrary(const std::string& file) {
    const std::string name = asciiLower(file);
    if (name.size() < 8 || name.compare(0, 2, "qt") != 0 || name.compare(name.size() - 4, 4, ".dll") != 0) return false;
    return name.find("core") != std::string::npos || name.find("gui") != std::string::npos;
}

bool isVersionLie(const std::string& layer) {
    static const char* const kLies[] = {"win95", "win98", "nt4sp5", "win2000", "winxpsp2", "winxpsp3", "vistartm",
                                        "vistasp1", "vistasp2", "win7rtm", "win8rtm", "win81rtm", "winsrv03sp1",
                                        "winsrv08sp1"};
    const std::string name = asciiLower(layer);
    return std::any_of(std::begin(kLies), std::end(kLies), [&name](const char* lie) { return name == lie; });
}
