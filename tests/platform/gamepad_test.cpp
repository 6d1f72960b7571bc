// Controllers through SDL's virtual joystick, headless: plugged in and out while the game runs, their
// d-pad, stick and buttons read as the keys they stand for, one key event per press, held keys held.
#include "platform/gamepad.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/input.h"

namespace {

class GamepadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // No window has the focus on the dummy driver, where SDL would drop a controller's events.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        Drain();
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
        Drain();
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
    // The key events the game reads from here on, as "+key" and "-key" by key name.
    static std::vector<std::string> Keys() {
        std::vector<std::string> keys;
        SDL_Event event;
        while (PollInputEvent(&event)) {
            if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
                keys.push_back((event.type == SDL_KEYDOWN ? "+" : "-") +
                               std::string(SDL_GetKeyName(event.key.keysym.sym)));
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
        const char* key;
    } cases[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, "Up"},     {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "Down"},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, "Left"}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "Right"},
        {SDL_CONTROLLER_BUTTON_A, "Return"},       {SDL_CONTROLLER_BUTTON_B, "Escape"},
        {SDL_CONTROLLER_BUTTON_START, "P"},
    };
    for (const auto& c : cases) {
        Button(pad, c.button, true);
        EXPECT_EQ(Keys(), Strings({std::string("+") + c.key})) << c.key;
        EXPECT_TRUE(KeyHeld(SDL_GetKeyFromName(c.key))) << c.key;
        EXPECT_EQ(Keys(), Strings()) << "held: no second press for " << c.key;
        Button(pad, c.button, false);
        EXPECT_EQ(Keys(), Strings({std::string("-") + c.key})) << c.key;
        EXPECT_FALSE(KeyHeld(SDL_GetKeyFromName(c.key))) << c.key;
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
    EXPECT_TRUE(KeyHeld(SDLK_UP));
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

TEST_F(GamepadTest, KeyRepeatsAndWheelTurnsAsTheGameReadsThem) {
    SDL_Event repeat{};
    repeat.type = SDL_KEYDOWN;
    repeat.key.keysym.sym = SDLK_LEFT;
    repeat.key.repeat = 1;
    SDL_PushEvent(&repeat);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -2;
    SDL_PushEvent(&wheel);
    SDL_Event event;
    ASSERT_TRUE(PollInputEvent(&event));
    EXPECT_EQ(event.type, static_cast<Uint32>(SDL_MOUSEBUTTONDOWN)) << "the system's repeat is dropped";
    EXPECT_EQ(event.button.button, kWheelDownButton);
    ASSERT_TRUE(PollInputEvent(&event));
    EXPECT_EQ(event.type, static_cast<Uint32>(SDL_MOUSEBUTTONUP));
    EXPECT_EQ(event.button.button, kWheelDownButton);
    EXPECT_FALSE(PollInputEvent(&event));
}

}  // namespace
