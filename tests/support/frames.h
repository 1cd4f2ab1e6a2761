// Reading captured frames and screenshots (binary PPM) back as 16-bit pixels.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct Image {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb; // w * h * 3
    bool ok() const { return w > 0 && h > 0; }
    // The pixel as an RGB 5-6-5 value, the screen's own format.
    uint16_t at(int x, int y) const;
    // A copy of the rectangle (x, y, w, h).
    Image crop(int x, int y, int cw, int ch) const;
};

Image parse_ppm(const std::string &data);
Image read_ppm(const std::string &path);
Image read_xwd(const std::string &path);
bool write_ppm(const Image &img, const std::string &path);

constexpr uint16_t PIX_BACKGROUND = 0x0008; // 0, 0, 64
constexpr uint16_t PIX_WHITE = 0xFFFF;
constexpr uint16_t PIX_RED = 0xF800;
constexpr uint16_t PIX_BLUE = 0x001F;
constexpr uint16_t PIX_MAGENTA = 0xF81F;

inline int red5(uint16_t p) { return p >> 11; }
inline int green6(uint16_t p) { return (p >> 5) & 0x3F; }
inline int blue5(uint16_t p) { return p & 0x1F; }
