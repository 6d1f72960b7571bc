// One music module over MikMod: load from a resource path, start, stop, fade.
#pragma once

// MikMod's own types, declared rather than included: on Windows its header brings in <windows.h>, whose
// names (CreateMenu, min, max...) would reach every file that includes this one.
struct MODULE;

class VEKModule {
  public:
    VEKModule() = default;
    VEKModule(const VEKModule&) = delete;
    VEKModule& operator=(const VEKModule&) = delete;
    virtual ~VEKModule();

    // Releases a module already held, then loads; a failure goes to the fatal error report.
    bool Load(const char* resourcePath);
    void Start();                // plays from where the module stands, at volume 60, unless already playing
    void Stop();                 // stops and rewinds
    void Mute();                 // stops without rewinding
    void SetVolume(int volume);  // kept within 0..128
    void Release();
    int GetSongPosition() const;
    void SetSongPosition(int position);
    unsigned GetRow() const;
    unsigned GetSongLength() const;

    MODULE* module = nullptr;
    bool playing = false;
    int volume = 0;
};
