// Writes the program's icon: one 32 x 32 image in 256 colours showing a small
// cube with a red, a green and a blue face on a transparent background.
// Built and run by the build, so the icon is reproducible from source.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSize = 32;

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void put32(std::vector<std::uint8_t>& out, unsigned v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// Palette index of the pixel at (x, y), y counted from the top; 0 is transparent.
int pixelAt(int x, int y) {
    // An isometric cube: the top face is a diamond, the two side faces hang below it.
    const int cx = 16, top = 3, half = 13, edge = 7, depth = 14;
    const int dx = x - cx;
    const int adx = dx < 0 ? -dx : dx;
    const int topCentre = top + edge;
    const int dy = y - topCentre;
    if (adx * edge + (dy < 0 ? -dy : dy) * half <= half * edge) return 2;  // green top
    const int rim = topCentre + edge - adx * edge / half;                  // lower edge of the top face
    if (adx <= half && y > rim - 1 && y <= rim + depth) return dx < 0 ? 1 : 3;  // red left, blue right
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n");
        return 2;
    }
    const unsigned paletteBytes = 256 * 4;
    const unsigned xorBytes = kSize * kSize;
    const unsigned andBytes = kSize * 4;  // 32 one-bit pixels a row, already 4-byte aligned
    const unsigned imageBytes = 40 + paletteBytes + xorBytes + andBytes;

    std::vector<std::uint8_t> out;
    put16(out, 0);  // reserved
    put16(out, 1);  // icon
    put16(out, 1);  // one image
    out.push_back(kSize);
    out.push_back(kSize);
    out.push_back(0);  // 0 stands for 256 colours
    out.push_back(0);
    put16(out, 1);  // planes
    put16(out, 8);  // bits per pixel
    put32(out, imageBytes);
    put32(out, 6 + 16);

    put32(out, 40);
    put32(out, kSize);
    put32(out, kSize * 2);  // colour and mask images together
    put16(out, 1);
    put16(out, 8);
    for (int i = 0; i < 6; ++i) put32(out, 0);  // no compression, sizes and colour counts implied

    // Palette entries are blue, green, red, reserved.
    const std::uint8_t colours[4][3] = {{0, 0, 0}, {0x20, 0x20, 0xD0}, {0x20, 0xC0, 0x20}, {0xD0, 0x40, 0x20}};
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t* c = colours[i < 4 ? i : 0];
        out.push_back(c[0]);
        out.push_back(c[1]);
        out.push_back(c[2]);
        out.push_back(0);
    }
    for (int row = kSize - 1; row >= 0; --row) {  // bottom-up
        for (int x = 0; x < kSize; ++x) out.push_back(static_cast<std::uint8_t>(pixelAt(x, row)));
    }
    for (int row = kSize - 1; row >= 0; --row) {
        for (int byte = 0; byte < 4; ++byte) {
            std::uint8_t bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if (pixelAt(byte * 8 + bit, row) == 0) bits |= static_cast<std::uint8_t>(0x80 >> bit);
            }
            out.push_back(bits);
        }
    }

    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) return 1;
    const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && ok ? 0 : 1;
}
