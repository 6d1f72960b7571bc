// The input layer through its seam: a press is one action however long it lasts and however short, a
// held arrow repeats by the game's own rule, and what a key types is told apart from what it does.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/input.h"
#include "platform/presentation.h"

namespace {

class InputLayer : public testing::Test {
  protected:
    void SetUp() override {
        if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
            ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        }
        if (PresentationScreen() == nullptr) {
            ASSERT_NE(OpenPresentation("test", false), nullptr) << SDL_GetError();
        }
        ResetInput();
    }
    void TearDown() override { ResetInput(); }

    // One frame of ms milliseconds: everything it brought.
    static std::vector<InputAction> Frame(int ms = 16) {
        CollectInput(ms);
        std::vector<InputAction> all;
        InputAction action;
        while (NextAction(action)) {
            all.push_back(action);
        }
        return all;
    }
    static int Presses(const std::vector<InputAction>& actions, InputKey key) {
        int count = 0;
        for (const InputAction& action : actions) {
            count += action.kind == InputKind::KeyPress && action.key == key ? 1 : 0;
        }
        return count;
    }
};

TEST_F(InputLayer, APressIsOneActionWhateverItsLength) {
    // Held over many frames: one press, and the key reads as held until it is let go.
    InjectKey(InputKey::F9, true);
    EXPECT_EQ(Presses(Frame(), InputKey::F9), 1);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(Presses(Frame(), InputKey::F9), 0) << "frame " << i;
        EXPECT_TRUE(KeyHeld(InputKey::F9));
    }
    InjectKey(InputKey::F9, false);
    EXPECT_EQ(Presses(Frame(), InputKey::F9), 0);
    EXPECT_FALSE(KeyHeld(InputKey::F9));

    // Down and up within one frame: still one press, never lost. Two taps in a frame are two presses.
    InjectKey(InputKey::F12, true);
    InjectKey(InputKey::F12, false);
    EXPECT_EQ(Presses(Frame(), InputKey::F12), 1);
    for (int i = 0; i < 2; ++i) {
        InjectKey(InputKey::Escape, true);
        InjectKey(InputKey::Escape, false);
    }
    EXPECT_EQ(Presses(Frame(), InputKey::Escape), 2);

    // A frame's actions are gone in the next frame, read or not.
    InjectKey(InputKey::P, true);
    CollectInput(16);
    EXPECT_EQ(Presses(Frame(), InputKey::P), 0);
}

TEST_F(InputLayer, TakingAKeysPressesLeavesEveryOtherActionInOrder) {
    InjectKey(InputKey::Up, true);
    InjectKey(InputKey::F9, true);
    InjectButton(1, true, 100, 200);
    InjectKey(InputKey::F9, false);
    InjectKey(InputKey::F9, true);
    CollectInput(0);
    EXPECT_EQ(TakeKeyPresses(InputKey::F9), 2);
    EXPECT_EQ(TakeKeyPresses(InputKey::F9), 0);
    InputAction action;
    ASSERT_TRUE(NextAction(action));
    EXPECT_EQ(action.kind, InputKind::KeyPress);
    EXPECT_EQ(action.key, InputKey::Up);
    ASSERT_TRUE(NextAction(action));
    EXPECT_EQ(action.kind, InputKind::ButtonPress);
    EXPECT_EQ(action.button, 1);
    EXPECT_EQ(action.x, 100);
    EXPECT_EQ(action.y, 200);
    ASSERT_TRUE(NextAction(action));
    EXPECT_EQ(action.kind, InputKind::KeyRelease);
    EXPECT_FALSE(NextAction(action));
    int x = 0;
    int y = 0;
    PointerPosition(x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 200);
}

// 250 ms after the press, then every 70 ms, counted in the frames' own time; the system's key repeat
// plays no part.
TEST_F(InputLayer, AHeldArrowRepeatsAt250ThenEvery70Ms) {
    InjectKey(InputKey::Right, true);
    std::vector<InputAction> first = Frame(10);
    ASSERT_EQ(Presses(first, InputKey::Right), 1);
    EXPECT_FALSE(first[0].repeat);
    int repeats = 0;
    int elapsed = 10;
    std::vector<int> at;
    while (elapsed < 250 + 3 * 70) {
        for (const InputAction& action : Frame(10)) {
            if (action.kind == InputKind::KeyPress && action.repeat) {
                ++repeats;
                at.push_back(elapsed + 10);
            }
        }
        elapsed += 10;
    }
    EXPECT_EQ(at, (std::vector<int>{250, 320, 390, 460}));
    // A long frame brings every repeat that fell due in it.
    EXPECT_EQ(Presses(Frame(140), InputKey::Right), 2);
    InjectKey(InputKey::Right, false);
    EXPECT_EQ(Presses(Frame(1000), InputKey::Right), 0);
    EXPECT_EQ(repeats, 4);
}

TEST_F(InputLayer, OnlyTheLastArrowRepeatsAndALostFocusForgetsHeldKeys) {
    InjectKey(InputKey::Left, true);
    Frame(10);
    InjectKey(InputKey::Up, true);
    const std::vector<InputAction> later = Frame(300);
    EXPECT_EQ(Presses(later, InputKey::Left), 0);
    EXPECT_EQ(Presses(later, InputKey::Up), 2) << "its press and one repeat at 250 ms";

    // Its release may never come while another window has the focus: nothing repeats after a loss.
    InjectFocus(false);
    const std::vector<InputAction> lost = Frame(16);
    ASSERT_FALSE(lost.empty());
    EXPECT_EQ(lost.back().kind, InputKind::FocusLost);
    EXPECT_FALSE(KeyHeld(InputKey::Up));
    EXPECT_EQ(Presses(Frame(1000), InputKey::Up), 0);
    InjectFocus(true);
    const std::vector<InputAction> back = Frame(16);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].kind, InputKind::FocusGained);
}

TEST_F(InputLayer, WhatAKeyTypesIsTextAndControlKeysAreKeysOnly) {
    InjectKey(InputKey::P, true, 'p');
    InjectKey(InputKey::Backspace, true, 8);
    InjectKey(InputKey::Return, true, 13);
    InjectText(0xE9);  // an accented letter from a key of no meaning to the game
    InjectKey(InputKey::Other, true, 27);
    const std::vector<InputAction> actions = Frame();
    std::vector<uint32_t> typed;
    for (const InputAction& action : actions) {
        if (action.kind == InputKind::Text) {
            typed.push_back(action.character);
        }
    }
    EXPECT_EQ(typed, (std::vector<uint32_t>{'p', 0xE9}));
    EXPECT_EQ(Presses(actions, InputKey::P), 1);
    EXPECT_EQ(Presses(actions, InputKey::Backspace), 1);
    EXPECT_EQ(Presses(actions, InputKey::Return), 1);
}

TEST_F(InputLayer, TheWindowsCloseAndTheMouseButtonsComeThrough) {
    InjectClose();
    InjectButton(4, true, 10, 20);  // a wheel step
    InjectButton(3, false, 30, 40);
    const std::vector<InputAction> actions = Frame();
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_EQ(actions[0].kind, InputKind::Close);
    EXPECT_EQ(actions[1].kind, InputKind::ButtonPress);
    EXPECT_EQ(actions[1].button, 4);
    EXPECT_EQ(actions[2].kind, InputKind::ButtonRelease);
    EXPECT_EQ(actions[2].button, 3);
    OverridePointerInWindow(0);
    EXPECT_FALSE(PointerInWindow());
    OverridePointerInWindow(1);
    EXPECT_TRUE(PointerInWindow());
}

TEST(InputPreparation, AClickThatFocusesTheWindowIsKeptUnlessTheUserSaidOtherwise) {
    unsetenv("SDL_MOUSE_FOCUS_CLICKTHROUGH");
    PrepareInput();
    EXPECT_STREQ(getenv("SDL_MOUSE_FOCUS_CLICKTHROUGH"), "1");
    setenv("SDL_MOUSE_FOCUS_CLICKTHROUGH", "0", 1);
    PrepareInput();
    EXPECT_STREQ(getenv("SDL_MOUSE_FOCUS_CLICKTHROUGH"), "0");
    unsetenv("SDL_MOUSE_FOCUS_CLICKTHROUGH");
}

}  // namespace
