#include "frames.h"

#include <ctype.h>
#include <stdio.h>

#include "process.h"

uint16_t Image::at(int x, int y) const
{
    const uint8_t *p = &rgb[((size_t)y * w + x) * 3];
    return (uint16_t)(((p[0] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[2] >> 3));
}

Image Image::crop(int x, int y, int cw, int ch) const
{
    Image out;
    out.w = cw;
    out.h = ch;
    out.rgb.resize((size_t)cw * ch * 3);
    for (int j = 0; j < ch; j++)
        for (int i = 0; i < cw; i++)
            for (int c = 0; c < 3; c++)
                out.rgb[((size_t)j * cw + i) * 3 + c] = rgb[((size_t)(y + j) * w + x + i) * 3 + c];
    return out;
}

// The next decimal of a PPM header, after blanks and comments.
static int read_number(const std::string &data, size_t *pos)
{
    while (*pos < data.size() && (isspace((unsigned char)data[*pos]) || data[*pos] == '#')) {
        if (data[*pos] == '#')
            *pos = data.find('\n', *pos);
        if (*pos == std::string::npos)
            return 0;
        ++*pos;
    }
    int n = 0;
    while (*pos < data.size() && isdigit((unsigned char)data[*pos]))
        n = n * 10 + (data[(*pos)++] - '0');
    return n;
}

// A binary PPM (P6, 8 bits a channel), as the SDL shim and pngtopnm write it.
Image parse_ppm(const std::string &data)
{
    Image img;
    if (data.compare(0, 2, "P6") != 0)
        return img;
    size_t pos = 2;
    int w = read_number(data, &pos), h = read_number(data, &pos), max = read_number(data, &pos);
    pos++; // the one blank after the header
    size_t size = (size_t)w * h * 3;
    if (w <= 0 || h <= 0 || max != 255 || data.size() < pos + size)
        return img;
    img.rgb.assign(data.begin() + (long)pos, data.begin() + (long)(pos + size));
    img.w = w;
    img.h = h;
    return img;
}

Image read_ppm(const std::string &path)
{
    return parse_ppm(read_file(path));
}

static uint32_t big_endian32(const uint8_t *p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

static int mask_shift(uint32_t mask)
{
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        shift++;
    }
    return shift;
}

// An X window dump of a 24- or 32-bit TrueColor visual, as xwd writes it.
Image read_xwd(const std::string &path)
{
    Image img;
    std::string bytes = read_file(path);
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    if (data.size() < 100)
        return img;
    auto field = [&](int i) { return big_endian32(&data[(size_t)i * 4]); };
    uint32_t header_size = field(0), width = field(4), height = field(5), byte_order = field(7);
    uint32_t bits_per_pixel = field(11), bytes_per_line = field(12);
    uint32_t masks[3] = {field(14), field(15), field(16)};
    // The pixels are the file's last bytes_per_line * height bytes, after the header,
    // the window name and the colour map.
    size_t pixel_bytes = (size_t)bytes_per_line * height;
    if (bits_per_pixel != 32 || data.size() < header_size + pixel_bytes)
        return img;
    size_t offset = data.size() - pixel_bytes;
    img.w = (int)width;
    img.h = (int)height;
    img.rgb.resize((size_t)width * height * 3);
    for (uint32_t y = 0; y < height; y++)
        for (uint32_t x = 0; x < width; x++) {
            const uint8_t *p = &data[offset + (size_t)y * bytes_per_line + x * 4];
            uint32_t v = byte_order == 1 ? big_endian32(p)
                                         : (uint32_t)p[3] << 24 | (uint32_t)p[2] << 16 |
                                               (uint32_t)p[1] << 8 | p[0];
            for (int c = 0; c < 3; c++)
                img.rgb[((size_t)y * width + x) * 3 + c] =
                    (uint8_t)((v & masks[c]) >> mask_shift(masks[c]));
        }
    return img;
}

bool write_ppm(const Image &img, const std::string &path)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    fprintf(f, "P6\n%d %d\n255\n", img.w, img.h);
    bool ok = fwrite(img.rgb.data(), 1, img.rgb.size(), f) == img.rgb.size();
    return fclose(f) == 0 && ok;
}
