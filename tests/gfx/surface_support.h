// Test surfaces for the drawing code: every pixel depth the game draws on, pixel memory with guard bytes
// around it and padding after each row, and byte-level pixel access.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

enum class Depth { Bits8, Bits15, Bits16RedShift10, Bits16, Bits24, Bits32 };

inline constexpr Depth kAllDepths[] = {Depth::Bits8,  Depth::Bits15, Depth::Bits16RedShift10,
                                       Depth::Bits16, Depth::Bits24, Depth::Bits32};
const char* DepthName(Depth depth);

// A Surface over memory owned by the test: kGuardBytes of sentinel before and after the pixels and at
// least rowPadding sentinel bytes at the end of every row, so a write outside the picture shows up.
class GuardedSurface {
  public:
    static constexpr int kGuardBytes = 256;
    static constexpr uint8_t kSentinel = 0xA5;

    GuardedSurface(Depth depth, int width, int height, int rowPadding = 12);
    ~GuardedSurface();
    GuardedSurface(const GuardedSurface&) = delete;
    GuardedSurface& operator=(const GuardedSurface&) = delete;

    SDL_Surface* get() const { return surface_; }
    int bytesPerPixel() const { return surface_->format->BytesPerPixel; }
    // The pixel as an unsigned number of its bytes in memory order, byte 0 lowest.
    uint32_t Pixel(int x, int y) const;
    void SetPixel(int x, int y, uint32_t value);
    void Fill(uint32_t value);
    // Every byte outside the picture still holds the sentinel.
    bool GuardsIntact() const;
    // Each pixel gets its own non-zero value, so moved or missed writes are visible.
    void FillPattern();

  private:
    uint8_t* At(int x, int y) const;
    Depth depth_;
    int rowBytes_;
    int pitch_;
    std::vector<uint8_t> memory_;
    SDL_Surface* surface_ = nullptr;
};

void StartVideoForTests();
