// The one input layer of the game. Once a frame the main loop collects what the system queued and turns
// it into actions: a key press is one action however long the key stays down, and a held arrow repeats by
// the game's own rule (250 ms, then every 70 ms), never by the system's key repeat. The main loop takes the
// keys that act anywhere (F12, F9), then the menu or the game reads the rest. Nothing above platform/
// sees a system event: the layer's back end (input_sdl.cpp) is the only place that knows them.
#pragma once

#include <cstdint>

// The keys the game gives a meaning to. Any other key is Other: it still types its character.
enum class InputKey : uint8_t {
    Other,
    Left,
    Right,
    Up,
    Down,
    Space,
    Return,
    Escape,
    Backspace,
    P,
    F1,
    F9,
    F12
};

enum class InputKind : uint8_t {
    KeyPress,       // key; repeat is set on the held arrow's repeats
    KeyRelease,     // key
    Text,           // character: one typed character (Unicode), never a control code
    ButtonPress,    // button (1 left, 2 middle, 3 right, 4 and 5 a wheel step or a side button), x, y
    ButtonRelease,  // button, x, y
    Close,          // the window's close button
    FocusLost,      // the window lost the keyboard focus or was minimised
    FocusGained,
};

struct InputAction {
    InputKind kind = InputKind::KeyPress;
    InputKey key = InputKey::Other;
    bool repeat = false;
    uint32_t character = 0;
    int button = 0;
    int x = 0;
    int y = 0;
};

inline constexpr int kArrowFirstRepeatMs = 250;
inline constexpr int kArrowRepeatMs = 70;

// Before the system's video starts. A click that brings the window back to the front is a click: a paused
// game must resume on it, not on a second one. A setting the user made in the environment is kept.
void PrepareInput();

// Drops the actions of the previous frame, reads everything the system queued since, and adds the repeats
// of the held arrow that fall due in elapsedMs (the length of the frame that ends now).
void CollectInput(int32_t elapsedMs);
// Takes the next action of this frame, oldest first; false when none is left.
bool NextAction(InputAction& action);
// Takes every press of key out of this frame's actions and returns how many there were.
int TakeKeyPresses(InputKey key);
// Whether the key is down now, as far as the presses and releases seen so far tell.
bool KeyHeld(InputKey key);

// Where the pointer is, in Screen pixels.
void PointerPosition(int& x, int& y);
// Whether the pointer is over the window (always, in full screen).
bool PointerInWindow();

// The layer's back end hands it each translated action (input_sdl.cpp); tests do not call it.
void AddInputAction(const InputAction& action);
// The back end: moves everything the system queued into the layer (input_sdl.cpp).
void ReadSystemInput();

// Test seam: what a player would do, fed to the system as its own events, so that a test goes through the
// same translation as the game. character is what the key types (0: nothing).
void InjectKey(InputKey key, bool down, uint32_t character = 0);
void InjectText(uint32_t character);  // a key of no meaning to the game that types this character
void InjectButton(int button, bool down, int x, int y);
void InjectPointer(int x, int y);
void InjectClose();
void InjectFocus(bool gained);
// -1 returns to the system's own answer; 0 or 1 says whether the pointer is over the window.
void OverridePointerInWindow(int inside);
// Forgets every queued event, action, held key and repeat (a test's clean start).
void ResetInput();
