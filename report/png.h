#pragma once
// A picture as a PNG file, written by the program itself: 8-bit RGB, its
// image data in stored (uncompressed) deflate blocks, which need no
// compression library; and base64, to put it in a page as a data: address.
#include <cstdint>
#include <string>

// `rgb` holds width x height pixels, three bytes each, the top row first.
std::string pngImage(int width, int height, const std::uint8_t* rgb);

std::string base64(const std::string& bytes);
