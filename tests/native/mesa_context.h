#pragma once
// A real Mesa context in memory (OSMesa) for checking GL state and pixels.
#include <GL/osmesa.h>

#include <cstdint>
#include <vector>

#include "render/gl_api.h"

class MesaContext {
public:
    MesaContext(int width, int height) : width_(width), height_(height), pixels_(width * height * 4) {
        context_ = OSMesaCreateContextExt(OSMESA_RGBA, 32, 8, 16, nullptr);
        current_ = context_ != nullptr &&
                   OSMesaMakeCurrent(context_, pixels_.data(), GL_UNSIGNED_BYTE, width, height) != 0;
    }
    ~MesaContext() {
        if (context_ != nullptr) OSMesaDestroyContext(context_);
    }
    MesaContext(const MesaContext&) = delete;
    MesaContext& operator=(const MesaContext&) = delete;

    bool current() const { return current_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // The frame as drawn, read back through glReadPixels; row 0 is the top.
    std::vector<std::uint8_t> frame() const {
        std::vector<std::uint8_t> rgb(static_cast<size_t>(width_) * height_ * 3);
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        std::vector<std::uint8_t> topDown(rgb.size());
        const size_t row = static_cast<size_t>(width_) * 3;
        for (int y = 0; y < height_; ++y) {
            std::copy(rgb.begin() + static_cast<std::ptrdiff_t>(y * row),
                      rgb.begin() + static_cast<std::ptrdiff_t>((y + 1) * row),
                      topDown.begin() + static_cast<std::ptrdiff_t>((height_ - 1 - y) * row));
        }
        return topDown;
    }

private:
    int width_;
    int height_;
    std::vector<std::uint8_t> pixels_;
    OSMesaContext context_ = nullptr;
    bool current_ = false;
};
