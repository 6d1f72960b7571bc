// Test surfaces for the drawing code (see surface_support.h).
#include "gfx/surface_support.h"

#include <cstdlib>

void StartVideoForTests() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        SDL_setenv("SDL_VIDEODRIVER", "dummy", 0);
        SDL_Init(SDL_INIT_VIDEO);
    }
}

const char* DepthName(Depth depth) {
    switch (depth) {
        case Depth::Bits8:
            return "8";
        case Depth::Bits15:
            return "15";
        case Depth::Bits16RedShift10:
            return "16/555";
        case Depth::Bits16:
            return "16/565";
        case Depth::Bits24:
            return "24";
        case Depth::Bits32:
            return "32";
    }
    return "?";
}

GuardedSurface::GuardedSurface(Depth depth, int width, int height, int rowPadding) : depth_(depth) {
    int bits = 32;
    Uint32 red = 0xFF0000, green = 0xFF00, blue = 0xFF;
    switch (depth) {
        case Depth::Bits8:
            bits = 8;
            red = green = blue = 0;
            break;
        case Depth::Bits15:
        case Depth::Bits16RedShift10:
            bits = 15;
            red = 0x7C00, green = 0x3E0, blue = 0x1F;
            break;
        case Depth::Bits16:
            bits = 16;
            red = 0xF800, green = 0x7E0, blue = 0x1F;
            break;
        case Depth::Bits24:
            bits = 24;
            break;
        case Depth::Bits32:
            break;
    }
    const int bytes = (bits + 7) / 8;
    rowBytes_ = width * bytes;
    // SDL keeps every pitch a multiple of 4 and its fills rely on it.
    pitch_ = (rowBytes_ + rowPadding + 3) & ~3;
    memory_.assign(
        static_cast<size_t>(2 * kGuardBytes) + static_cast<size_t>(pitch_) * static_cast<size_t>(height),
        kSentinel);
    surface_ = SDL_CreateRGBSurfaceFrom(memory_.data() + kGuardBytes, width, height, bits, pitch_, red, green,
                                        blue, 0);
    if (surface_ != nullptr && depth == Depth::Bits16RedShift10) {
        // SDL names a 5-5-5 layout 15 bits; some drivers hand it out as 16, which must mean the same.
        surface_->format->BitsPerPixel = 16;
    }
    Fill(0);
}

GuardedSurface::~GuardedSurface() {
    if (surface_ != nullptr) {
        if (depth_ == Depth::Bits16RedShift10) {
            surface_->format->BitsPerPixel = 15;
        }
        SDL_FreeSurface(surface_);
    }
}

uint8_t* GuardedSurface::At(int x, int y) const {
    return static_cast<uint8_t*>(surface_->pixels) + y * pitch_ + x * bytesPerPixel();
}

uint32_t GuardedSurface::Pixel(int x, int y) const {
    const uint8_t* bytes = At(x, y);
    uint32_t value = 0;
    for (int k = 0; k < bytesPerPixel(); ++k) {
        value |= static_cast<uint32_t>(bytes[k]) << (8 * k);
    }
    return value;
}

void GuardedSurface::SetPixel(int x, int y, uint32_t value) {
    uint8_t* bytes = At(x, y);
    for (int k = 0; k < bytesPerPixel(); ++k) {
        bytes[k] = static_cast<uint8_t>(value >> (8 * k));
    }
}

void GuardedSurface::Fill(uint32_t value) {
    if (surface_ == nullptr) {
        return;  // creation failed; the test that asked for it reports that
    }
    for (int y = 0; y < surface_->h; ++y) {
        for (int x = 0; x < surface_->w; ++x) {
            SetPixel(x, y, value);
        }
    }
}

void GuardedSurface::FillPattern() {
    for (int y = 0; y < surface_->h; ++y) {
        for (int x = 0; x < surface_->w; ++x) {
            const uint32_t value = static_cast<uint32_t>(x * 7919 + y * 104729) * 2654435761u;
            // No byte may be 0, so a blackened byte is never mistaken for an untouched one.
            SetPixel(x, y, value | 0x01010101u);
        }
    }
}

bool GuardedSurface::GuardsIntact() const {
    const size_t pixelsStart = kGuardBytes;
    for (size_t i = 0; i < memory_.size(); ++i) {
        const bool beforeOrAfter =
            i < pixelsStart || i >= pixelsStart + static_cast<size_t>(pitch_ * surface_->h);
        const bool padding = !beforeOrAfter && static_cast<int>((i - pixelsStart) % pitch_) >= rowBytes_;
        if ((beforeOrAfter || padding) && memory_[i] != kSentinel) {
            return false;
        }
    }
    return true;
}
