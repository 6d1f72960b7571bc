// What a player can do to a play session, stamped with the tick it takes effect at. The presenter turns
// pointer, keys and gamepad into these; a replay is a list of them; the session judges them on the state
// at the start of their tick, so the same list gives the same game wherever it runs.
#pragma once

#include <cstdint>

namespace quz::core {

// A tick is 1/60 s of play. Paused time is not ticked.
using Tick = uint32_t;

// The board's cells are numbered row * 15 + column, 0..224; kNoCell stands for "off the board".
inline constexpr uint16_t kNoCell = 0xFFFF;

enum class CommandKind : uint8_t {
    Aim,        // arg: the cell under the pointer or the keyboard cursor (or kNoCell)
    Remove,     // arg: the cell whose group goes (or kNoCell: a click off the board); the aim moves there too
    Pause,      // arg: 0
    Resume,     // arg: 0
    GiveUp,     // Escape on the pause screen; arg: 0
    Close,      // the window's close; arg: 0
    NameChar,   // arg: the typed character's Unicode code; the session folds it (é to e) or refuses it
    Backspace,  // arg: 0
    Confirm,    // arg: 0
};
inline constexpr uint8_t kCommandKindCount = 9;

struct Command {
    Tick tick = 0;
    CommandKind kind = CommandKind::Aim;
    uint16_t arg = 0;

    friend bool operator==(const Command&, const Command&) = default;
};

}  // namespace quz::core
