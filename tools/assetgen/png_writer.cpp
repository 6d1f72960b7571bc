// PNG encoding with libpng into memory, then one write through AssetOutput. No time stamp or other
// varying chunk is written, so the bytes depend only on the pixels.
#include "png_writer.h"

#include <png.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

uint8_t ToByte(float v) {
    float r = std::round(v);
    return uint8_t(r < 0 ? 0 : (r > 255 ? 255 : r));
}

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

void NoFlush(png_structp) {}

}  // namespace

void WritePng(AssetOutput& out, const std::string& relativePath, const Canvas& canvas, KeyMode mode) {
    const int w = canvas.Width(), h = canvas.Height();
    const size_t channels = mode == KeyMode::Alpha ? 4 : 3;
    std::vector<uint8_t> rgb(size_t(w) * size_t(h) * channels);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Pixel& p = canvas.At(x, y);
            uint8_t r = ToByte(p.r), g = ToByte(p.g), b = ToByte(p.b);
            if (mode == KeyMode::Alpha && p.a > 0) {
                // Painting over a transparent canvas leaves premultiplied colour behind.
                r = ToByte(p.r / p.a);
                g = ToByte(p.g / p.a);
                b = ToByte(p.b / p.a);
            }
            if (mode == KeyMode::BlackIsTransparent) {
                if (p.a < 0.5f) {
                    r = g = b = 0;
                } else if (r < 8 && g < 8 && b < 8) {
                    // Dark but visible: stays non-zero even in a 16-bit display format.
                    r = 8;
                    g = 8;
                    b = 12;
                }
            }
            uint8_t* dst = &rgb[(size_t(y) * size_t(w) + size_t(x)) * channels];
            dst[0] = r;
            dst[1] = g;
            dst[2] = b;
            if (mode == KeyMode::Alpha) {
                dst[3] = ToByte(p.a * 255);
            }
        }
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<uint8_t> bytes;
    if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
        fprintf(stderr, "assetgen: PNG encoding failed for %s\n", relativePath.c_str());
        png_destroy_write_struct(&png, &info);
        out.Fail();
        return;
    }
    png_set_write_fn(png, &bytes, AppendBytes, NoFlush);
    png_set_compression_level(png, 6);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8,
                 mode == KeyMode::Alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) {
        png_write_row(png, &rgb[size_t(y) * (rgb.size() / size_t(h))]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    out.Write(relativePath, bytes);
}
