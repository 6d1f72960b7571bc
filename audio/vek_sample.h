// One sound effect over MikMod: load from a resource path, play.
#pragma once

// MikMod's own types, declared rather than included: on Windows its header brings in <windows.h>, whose
// names (CreateMenu, min, max...) would reach every file that includes this one.
struct SAMPLE;

class VEKSample {
  public:
    VEKSample() = default;
    VEKSample(const VEKSample&) = delete;
    VEKSample& operator=(const VEKSample&) = delete;
    virtual ~VEKSample();

    // Releases a sample already held, then loads; a failure goes to the fatal error report.
    bool Load(const char* resourcePath);
    int Play();  // the voice number; does nothing (returns -1) without audio or sample
    void SetVolume(int volume);
    void SetPanning(int panning);
    long double GetDuration() const;

    SAMPLE* sample = nullptr;
};
