// The input layer's frame: this frame's actions, the keys held, and the held arrow's repeat (see input.h).
#include "platform/input.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr size_t kKeyCount = static_cast<size_t>(InputKey::F12) + 1;

std::vector<InputAction> actions;
size_t nextAction = 0;
std::array<bool, kKeyCount> held = {};
InputKey repeatKey = InputKey::Other;  // the arrow pressed last, while it stays down
int32_t repeatDueMs = 0;

bool IsArrow(InputKey key) {
    return key == InputKey::Left || key == InputKey::Right || key == InputKey::Up || key == InputKey::Down;
}

}  // namespace

void AddInputAction(const InputAction& action) {
    const auto index = static_cast<size_t>(action.key);
    switch (action.kind) {
        case InputKind::KeyPress:
            held[index] = true;
            if (IsArrow(action.key)) {
                repeatKey = action.key;
                repeatDueMs = kArrowFirstRepeatMs;
            }
            break;
        case InputKind::KeyRelease:
            held[index] = false;
            if (action.key == repeatKey) {
                repeatKey = InputKey::Other;
            }
            break;
        case InputKind::FocusLost:
            // Keys let go while another window has the focus are never reported: forget them all, or an
            // arrow would repeat on its own once the player comes back.
            held.fill(false);
            repeatKey = InputKey::Other;
            break;
        default:
            break;
    }
    actions.push_back(action);
}

void CollectInput(int32_t elapsedMs) {
    actions.clear();
    nextAction = 0;
    ReadSystemInput();
    if (repeatKey == InputKey::Other) {
        return;
    }
    repeatDueMs -= elapsedMs;
    while (repeatDueMs <= 0) {
        InputAction again;
        again.kind = InputKind::KeyPress;
        again.key = repeatKey;
        again.repeat = true;
        actions.push_back(again);
        repeatDueMs += kArrowRepeatMs;
    }
}

bool NextAction(InputAction& action) {
    if (nextAction >= actions.size()) {
        return false;
    }
    action = actions[nextAction++];
    return true;
}

int TakeKeyPresses(InputKey key) {
    const auto first = actions.begin() + static_cast<std::ptrdiff_t>(nextAction);
    const auto taken = std::remove_if(first, actions.end(), [key](const InputAction& action) {
        return action.kind == InputKind::KeyPress && action.key == key;
    });
    const auto count = static_cast<int>(actions.end() - taken);
    actions.erase(taken, actions.end());
    return count;
}

bool KeyHeld(InputKey key) {
    return held[static_cast<size_t>(key)];
}

void ResetInput() {
    // Whatever the system still holds goes through the translation and is then forgotten.
    ReadSystemInput();
    actions.clear();
    nextAction = 0;
    held.fill(false);
    repeatKey = InputKey::Other;
    repeatDueMs = 0;
    OverridePointerInWindow(-1);
}
