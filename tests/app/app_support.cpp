// Helpers shared by the app tests (see app_support.h).
#include "app_support.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include "game/shared_state.h"
#include "platform/presentation.h"
#include "support/sending_off.h"

ScratchDirectory::ScratchDirectory() {
    char here[PATH_MAX];
    previous_ = getcwd(here, sizeof here) != nullptr ? here : ".";
    char pattern[] = "/tmp/quz_app_test_XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made != nullptr ? made : "/tmp";
    if (chdir(path_.c_str()) != 0) {
        path_.clear();
    }
}

ScratchDirectory::~ScratchDirectory() {
    if (chdir(previous_.c_str()) == 0 && !path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

void ScratchDirectory::WriteImage(const std::string& path, int w, int h) {
    std::filesystem::path file(path);
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path());
    }
    SDL_Surface* image = SDL_CreateRGBSurface(0, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_FillRect(image, nullptr, SDL_MapRGB(image->format, 200, 40, 40));
    SDL_SaveBMP(image, path.c_str());
    SDL_FreeSurface(image);
}

bool OpenTestScreen() {
    // One window serves every test that finds it still open.
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && PresentationScreen() != nullptr) {
        Shared.screen = PresentationScreen();
        return true;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    Shared.screen = OpenPresentation("test", false);
    return Shared.screen != nullptr;
}

namespace {

const bool sendingOff = SendingOffByDefault::Install();

}  // namespace
