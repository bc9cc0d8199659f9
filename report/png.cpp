#include "report/png.h"

#include <cstddef>

namespace {

std::uint32_t crc32(const std::string& bytes, std::size_t from) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= static_cast<std::uint8_t>(bytes[i]);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void bigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

// A chunk: its length, type and data, and the CRC of type and data.
void chunk(std::string& out, const char* type, const std::string& data) {
    bigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t from = out.size();
    out += type;
    out += data;
    bigEndian(out, crc32(out, from));
}

}  // namespace

std::string pngImage(int width, int height, const std::uint8_t* rgb) {
    std::string out("\x89PNG\r\n\x1A\n", 8);
    std::string header;
    bigEndian(header, static_cast<std::uint32_t>(width));
    bigEndian(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits a channel, RGB, deflate, no filter choice, no interlace
    chunk(out, "IHDR", header);

    // Each row after its filter byte (0: none), in stored blocks of at most 65,535 bytes.
    std::string raw;
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        raw.append(reinterpret_cast<const char*>(rgb) + y * row, row);
    }
    std::string z("\x78\x01", 2);
    std::uint32_t a = 1, b = 0;  // Adler-32
    for (std::size_t at = 0;;) {
        const std::size_t size = raw.size() - at < 65535 ? raw.size() - at : 65535;
        const bool last = at + size == raw.size();
        z += static_cast<char>(last ? 1 : 0);
        z += static_cast<char>(size & 0xFF);
        z += static_cast<char>(size >> 8);
        z += static_cast<char>(~size & 0xFF);
        z += static_cast<char>((~size >> 8) & 0xFF);
        for (std::size_t i = at; i < at + size; ++i) {
            a = (a + static_cast<std::uint8_t>(raw[i])) % 65521;
            b = (b + a) % 65521;
        }
        z.append(raw, at, size);
        at += size;
        if (last) break;
    }
    bigEndian(z, (b << 16) | a);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", std::string());
    return out;
}

std::string base64(const std::string& bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<std::uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<std::uint8_t>(bytes[i + 2]);
        for (int k = 0; k < 4; ++k) out += i + k <= bytes.size() ? kDigits[(group >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}
