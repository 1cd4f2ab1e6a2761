#include "image.h"

#include <stdio.h>

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

static int read_number(FILE *f)
{
    int c = fgetc(f);
    while (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '#') {
        if (c == '#')
            while (c != '\n' && c != EOF)
                c = fgetc(f);
        c = fgetc(f);
    }
    int n = 0;
    while (c >= '0' && c <= '9') {
        n = n * 10 + (c - '0');
        c = fgetc(f);
    }
    return n;
}

Image read_ppm(const std::string &path)
{
    Image img;
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr)
        return img;
    char magic[2];
    if (fread(magic, 1, 2, f) == 2 && magic[0] == 'P' && magic[1] == '6') {
        int w = read_number(f), h = read_number(f), max = read_number(f);
        if (w > 0 && h > 0 && max == 255) {
            img.rgb.resize((size_t)w * h * 3);
            if (fread(img.rgb.data(), 1, img.rgb.size(), f) == img.rgb.size()) {
                img.w = w;
                img.h = h;
            }
        }
    }
    fclose(f);
    return img;
}
