// Controllers through SDL's virtual joystick, headless: plugged in and out while the game runs, their
// d-pad, stick and buttons read as the keys they stand for, one key event per press, held keys held.
#include "platform/gamepad.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/input.h"
#include "platform/presentation.h"

namespace {

class GamepadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // No window has the focus on the dummy driver, where SDL would drop a controller's events.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        ResetInput();
    }
    void TearDown() override {
        for (SDL_Joystick* pad : pads_) {
            SDL_JoystickClose(pad);
        }
        for (int index = SDL_NumJoysticks() - 1; index >= 0; --index) {
            if (SDL_JoystickIsVirtual(index) == SDL_TRUE) {
                SDL_JoystickDetachVirtual(index);
            }
        }
        CloseGamepads();
        ResetInput();
        SDL_Quit();
    }
    // Plugs in a controller of the standard layout; returns it as a joystick to press its buttons.
    SDL_Joystick* Plug() {
        const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                    SDL_CONTROLLER_BUTTON_MAX, 0);
        EXPECT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* pad = SDL_JoystickOpen(index);
        EXPECT_NE(pad, nullptr) << SDL_GetError();
        pads_.push_back(pad);
        return pad;
    }
    static void Unplug(SDL_Joystick* pad) {
        const SDL_JoystickID id = SDL_JoystickInstanceID(pad);
        for (int index = 0; index < SDL_NumJoysticks(); ++index) {
            if (SDL_JoystickGetDeviceInstanceID(index) == id) {
                SDL_JoystickDetachVirtual(index);
            }
        }
    }
    void Button(SDL_Joystick* pad, SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(pad, button, down ? 1 : 0);
    }
    void Axis(SDL_Joystick* pad, SDL_GameControllerAxis axis, Sint16 value) {
        SDL_JoystickSetVirtualAxis(pad, axis, value);
    }
    // The key actions the game reads from here on, as "+key" and "-key" by the keyboard key they stand
    // for; repeats of the held arrow are left out.
    static std::vector<std::string> Keys() {
        static const char* const kNames[] = {"Other",  "Left",      "Right", "Up", "Down", "Space", "Return",
                                             "Escape", "Backspace", "P",     "F1", "F9",   "F12"};
        std::vector<std::string> keys;
        CollectInput(0);
        InputAction action;
        while (NextAction(action)) {
            if ((action.kind == InputKind::KeyPress && !action.repeat) ||
                action.kind == InputKind::KeyRelease) {
                keys.push_back((action.kind == InputKind::KeyPress ? "+" : "-") +
                               std::string(kNames[static_cast<int>(action.key)]));
            }
        }
        return keys;
    }
    static void Drain() { Keys(); }
    std::vector<SDL_Joystick*> pads_;
};

using Strings = std::vector<std::string>;

TEST_F(GamepadTest, AControllerIsOpenedWhenPluggedInAndClosedWhenPulledOut) {
    SDL_Joystick* first = Plug();
    Drain();
    EXPECT_EQ(OpenGamepadCount(), 1);
    SDL_Joystick* second = Plug();
    Drain();
    EXPECT_EQ(OpenGamepadCount(), 2);
    Button(first, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    EXPECT_EQ(Keys(), Strings({"+Left"}));
    Unplug(first);
    EXPECT_EQ(Keys(), Strings({"-Left"})) << "a key held by a controller that goes is let go";
    EXPECT_EQ(OpenGamepadCount(), 1);
    Button(second, SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(Keys(), Strings({"+Return"})) << "the other one still plays";
}

TEST_F(GamepadTest, ButtonsStandForTheGamesKeysOnePressOneEvent) {
    SDL_Joystick* pad = Plug();
    Drain();
    const struct {
        SDL_GameControllerButton button;
        InputKey key;
        const char* name;
    } cases[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, InputKey::Up, "Up"},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, InputKey::Down, "Down"},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, InputKey::Left, "Left"},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, InputKey::Right, "Right"},
        {SDL_CONTROLLER_BUTTON_A, InputKey::Return, "Return"},
        {SDL_CONTROLLER_BUTTON_B, InputKey::Escape, "Escape"},
        {SDL_CONTROLLER_BUTTON_START, InputKey::P, "P"},
    };
    for (const auto& c : cases) {
        Button(pad, c.button, true);
        EXPECT_EQ(Keys(), Strings({std::string("+") + c.name}));
        EXPECT_TRUE(KeyHeld(c.key)) << c.name;
        EXPECT_EQ(Keys(), Strings()) << "held: no second press for " << c.name;
        Button(pad, c.button, false);
        EXPECT_EQ(Keys(), Strings({std::string("-") + c.name}));
        EXPECT_FALSE(KeyHeld(c.key)) << c.name;
    }
    Button(pad, SDL_CONTROLLER_BUTTON_Y, true);
    Button(pad, SDL_CONTROLLER_BUTTON_Y, false);
    EXPECT_EQ(Keys(), Strings()) << "a button of no meaning";
}

TEST_F(GamepadTest, TheStickPressesPastItsLineAndLetsGoOnlyNearTheMiddle) {
    SDL_Joystick* pad = Plug();
    Drain();
    Axis(pad, SDL_CONTROLLER_AXIS_LEFTY, -(kStickPress - 100));
    EXPECT_EQ(Keys(), Strings());
    Axis(pad, SDL_CONTROLLER_AXIS_LEFTY, -kStickPress);
    EXPECT_EQ(Keys(), Strings({"+Up"}));
    Axis(pad, SDL_CONTROLLER_AXIS_LEFTY, -(kStickRelease + 100));
    EXPECT_EQ(Keys(), Strings()) << "between the lines the stick keeps its direction";
    EXPECT_TRUE(KeyHeld(InputKey::Up));
    Axis(pad, SDL_CONTROLLER_AXIS_LEFTY, 0);
    EXPECT_EQ(Keys(), Strings({"-Up"}));

    Axis(pad, SDL_CONTROLLER_AXIS_LEFTX, -30000);
    EXPECT_EQ(Keys(), Strings({"+Left"}));
    Axis(pad, SDL_CONTROLLER_AXIS_LEFTX, 30000);
    EXPECT_EQ(Keys(), Strings({"-Left", "+Right"}));

    // The d-pad and the stick both hold Right: it is let go when both have.
    Button(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    EXPECT_EQ(Keys(), Strings());
    Axis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_EQ(Keys(), Strings());
    Button(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
    EXPECT_EQ(Keys(), Strings({"-Right"}));

    Axis(pad, SDL_CONTROLLER_AXIS_RIGHTX, 30000);
    Axis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 30000);
    EXPECT_EQ(Keys(), Strings()) << "the other axes mean nothing";
}

// A held d-pad direction repeats by the game's own rule, as a held arrow key does.
TEST_F(GamepadTest, AHeldDirectionRepeatsAsAHeldArrow) {
    SDL_Joystick* pad = Plug();
    Drain();
    Button(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    CollectInput(10);
    int presses = 0;
    InputAction action;
    while (NextAction(action)) {
        presses += action.kind == InputKind::KeyPress && action.key == InputKey::Down ? 1 : 0;
    }
    EXPECT_EQ(presses, 1);
    CollectInput(kArrowFirstRepeatMs + kArrowRepeatMs - 10);
    int repeats = 0;
    while (NextAction(action)) {
        repeats += action.kind == InputKind::KeyPress && action.repeat ? 1 : 0;
    }
    EXPECT_EQ(repeats, 2) << "at 250 ms, then 70 ms later";
    Button(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
    EXPECT_EQ(Keys(), Strings({"-Down"}));
    CollectInput(1000);
    EXPECT_FALSE(NextAction(action));
}

// The system's own key repeats are dropped, typed text arrives as characters, and a wheel step is a
// press and a release of button 4 or 5 where the pointer is.
TEST_F(GamepadTest, TheSystemsKeyRepeatTextAndWheelAsTheGameReadsThem) {
    ASSERT_NE(OpenPresentation("test", false), nullptr) << SDL_GetError();
    SDL_Event repeat{};
    repeat.type = SDL_KEYDOWN;
    repeat.key.keysym.sym = SDLK_LEFT;
    repeat.key.repeat = 1;
    SDL_PushEvent(&repeat);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    SDL_strlcpy(text.text.text, "\xC3\xA9t\xC3\xA9", sizeof text.text.text);
    SDL_PushEvent(&text);
    InjectPointer(100, 50);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = SDL_GetWindowID(PresentationWindow());
    wheel.wheel.y = -2;
    SDL_PushEvent(&wheel);
    CollectInput(0);
    std::vector<InputAction> actions;
    InputAction action;
    while (NextAction(action)) {
        actions.push_back(action);
    }
    ClosePresentation();
    ASSERT_EQ(actions.size(), 5u);
    EXPECT_EQ(actions[0].kind, InputKind::Text);
    EXPECT_EQ(actions[0].character, 0xE9u);
    EXPECT_EQ(actions[1].character, static_cast<uint32_t>('t'));
    EXPECT_EQ(actions[2].character, 0xE9u);
    EXPECT_EQ(actions[3].kind, InputKind::ButtonPress);
    EXPECT_EQ(actions[3].button, 5);
    EXPECT_EQ(actions[3].x, 100);
    EXPECT_EQ(actions[3].y, 50);
    EXPECT_EQ(actions[4].kind, InputKind::ButtonRelease);
    EXPECT_EQ(actions[4].button, 5);
}

}  // namespace
