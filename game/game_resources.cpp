// Loading a game's images, wipe map, music and sound effects (see game_resources.h).
#include "game/game_resources.h"

#include <SDL_image.h>

#include <cstdio>

#include "game/shared_state.h"
#include "gfx/surface_copy.h"
#include "gfx/wipe_map_file.h"
#include "platform/presentation.h"
#include "platform/regular_file.h"
#include "platform/text.h"
#include "res/error_report.h"

namespace {

// Which colour keys an image gets: none; on the loaded image before conversion (its own pixel value 0,
// which may be a palette colour); or also on the converted copy (black then becomes transparent).
enum class ColourKey { None, Loaded, Both };

enum class PathKind { Fixed, Theme, Language };

using R = GameResources;

// A picture the data folder may leave out: the game draws a plain stand-in, with one line on stderr.
enum class Need { Required, Optional };

struct Row {
    const char* pattern;
    PathKind kind;
    SDL_Surface* R::*single;
    SDL_Surface* (R::*array)[3];
    int index;
    ColourKey key;
};

constexpr Row kImageRows[] = {
    {"data/mouse.png", PathKind::Fixed, &R::pointerImage, nullptr, 0, ColourKey::Both},
    {"data/theme%d/back.png", PathKind::Theme, &R::backImage, nullptr, 0, ColourKey::None},
    {"data/%s/right.png", PathKind::Language, &R::panelImage, nullptr, 0, ColourKey::None},
    {"data/theme%d/r.png", PathKind::Theme, nullptr, &R::blockImages, 0, ColourKey::Both},
    {"data/theme%d/g.png", PathKind::Theme, nullptr, &R::blockImages, 1, ColourKey::Both},
    {"data/theme%d/b.png", PathKind::Theme, nullptr, &R::blockImages, 2, ColourKey::Both},
    {"data/theme%d/sr.png", PathKind::Theme, nullptr, &R::blockLitImages, 0, ColourKey::Loaded},
    {"data/theme%d/sg.png", PathKind::Theme, nullptr, &R::blockLitImages, 1, ColourKey::Loaded},
    {"data/theme%d/sb.png", PathKind::Theme, nullptr, &R::blockLitImages, 2, ColourKey::Loaded},
    {"data/bonus/r.png", PathKind::Fixed, nullptr, &R::bonusImages, 0, ColourKey::Loaded},
    {"data/bonus/g.png", PathKind::Fixed, nullptr, &R::bonusImages, 1, ColourKey::Loaded},
    {"data/bonus/b.png", PathKind::Fixed, nullptr, &R::bonusImages, 2, ColourKey::Loaded},
    {"data/bonus/sr.png", PathKind::Fixed, nullptr, &R::bonusLitImages, 0, ColourKey::Loaded},
    {"data/bonus/sg.png", PathKind::Fixed, nullptr, &R::bonusLitImages, 1, ColourKey::Loaded},
    {"data/bonus/sb.png", PathKind::Fixed, nullptr, &R::bonusLitImages, 2, ColourKey::Loaded},
    {"data/numbers.png", PathKind::Fixed, &R::digitsImage, nullptr, 0, ColourKey::Loaded},
    {"data/smallnums.png", PathKind::Fixed, &R::smallDigitsImage, nullptr, 0, ColourKey::Both},
    {"data/font.png", PathKind::Fixed, &R::fontImage, nullptr, 0, ColourKey::Loaded},
    {"data/%s/gameover.png", PathKind::Language, &R::gameOverImage, nullptr, 0, ColourKey::Loaded},
    {"data/%s/hiscore.png", PathKind::Language, &R::hiscoreImage, nullptr, 0, ColourKey::Loaded},
    {"data/%s/entry.png", PathKind::Language, &R::entryImage, nullptr, 0, ColourKey::Loaded},
    {"data/%s/perfect.png", PathKind::Language, &R::perfectImage, nullptr, 0, ColourKey::Loaded},
    {"data/%s/loselevel.png", PathKind::Language, &R::loseLevelImage, nullptr, 0, ColourKey::Loaded},
    {"data/%s/wonlevel.png", PathKind::Language, &R::wonLevelImage, nullptr, 0, ColourKey::Loaded},
    {"data/%s/wongame.png", PathKind::Language, &R::wonGameImage, nullptr, 0, ColourKey::Loaded},
    {"data/%s/bonus1000.png", PathKind::Language, &R::bonus1000Image, nullptr, 0, ColourKey::Loaded},
    {"data/%s/bonus500.png", PathKind::Language, &R::bonus500Image, nullptr, 0, ColourKey::Loaded},
    {"data/%s/bonus2x.png", PathKind::Language, &R::bonus2xImage, nullptr, 0, ColourKey::Loaded},
    {"data/%s/bonusAddLine.png", PathKind::Language, &R::bonusAddLineImage, nullptr, 0, ColourKey::Loaded},
    {"data/%s/bonuslife.png", PathKind::Language, &R::bonusLifeImage, nullptr, 0, ColourKey::Loaded},
    {"data/%s/5000.png", PathKind::Language, &R::points5000Image, nullptr, 0, ColourKey::Loaded},
    {"data/%s/pause.png", PathKind::Language, &R::pauseImage, nullptr, 0, ColourKey::None},
};
static_assert(sizeof kImageRows / sizeof kImageRows[0] == 32);

struct SoundRow {
    VEKSample R::*member;
    const char* path;
};

constexpr SoundRow kSoundRows[] = {
    {&R::bipSound, "data/sound/bip.wav"},         {&R::doubleSound, "data/sound/2x.wav"},
    {&R::addLineSound, "data/sound/addline.wav"}, {&R::gameOverSound, "data/sound/gameover.wav"},
    {&R::lostSound, "data/sound/lost.wav"},       {&R::perfectSound, "data/sound/perfect.wav"},
    {&R::pointsSound, "data/sound/points.wav"},   {&R::timeSound, "data/sound/time.wav"},
    {&R::lifeSound, "data/sound/life.wav"},
};

constexpr char kMusicPath[] = "data/sound/1.zik";

// Only the pause picture may be missing: the pause then covers the board plainly.
Need NeedOf(const Row& row) {
    return row.single == &R::pauseImage ? Need::Optional : Need::Required;
}

SDL_Surface*& MemberOf(GameResources& resources, const Row& row) {
    if (row.single != nullptr) {
        return resources.*row.single;
    }
    return (resources.*row.array)[row.index];
}

// Loads one image in the display format with its colour key; null after reporting when it cannot (a
// missing optional picture is not reported here: the caller says what stands in for it).
SDL_Surface* LoadImage(const char* path, ColourKey key, Need need) {
    SDL_Surface* loaded = LoadRegularImage(path);
    if (loaded == nullptr) {
        if (need == Need::Required) {
            ReportError("Cannot Load %s", path);
        }
        return nullptr;
    }
    if (key != ColourKey::None) {
        SDL_SetColorKey(loaded, SDL_TRUE, 0);
    }
    SDL_Surface* converted = ConvertToScreenFormat(loaded);
    SDL_FreeSurface(loaded);
    if (converted == nullptr) {
        ReportError("Cannot Load %s", path);
        return nullptr;
    }
    if (key == ColourKey::Both) {
        SDL_SetColorKey(converted, SDL_TRUE, 0);
    }
    return converted;
}

}  // namespace

void GameResources::ReportMissingPicture(const char* path) {
    // Once per game, not at every level.
    if (!missingPictureReported) {
        fprintf(stderr, "%s not found: the pause screen is drawn without it\n", path);
        missingPictureReported = true;
    }
}

void GameResources::LoadResources(bool imagesOnly) {
    theme = 1;
    for (const Row& row : kImageRows) {
        char path[1024];
        switch (row.kind) {
            case PathKind::Fixed:
                CopyText(path, row.pattern);
                break;
            case PathKind::Theme:
                FormatText(path, sizeof path, row.pattern, theme);
                break;
            case PathKind::Language:
                FormatText(path, sizeof path, row.pattern, Shared.languageCode);
                break;
        }
        const Need need = NeedOf(row);
        SDL_Surface* image = LoadImage(path, row.key, need);
        if (image == nullptr && need == Need::Optional) {
            ReportMissingPicture(path);
            continue;
        }
        if (image == nullptr) {
            continue;  // only when errors are not fatal: keep whatever the member held
        }
        SDL_Surface*& member = MemberOf(*this, row);
        if (member != nullptr) {
            SDL_FreeSurface(member);
        }
        member = image;
    }
    if (pointerImage != nullptr) {
        // Translucent over its colour key; set here so that drawing a frame changes no image.
        SetTranslucent(pointerImage, 150);
    }
    if (imagesOnly) {
        return;
    }
    // A missing map is no reason to stop a game: its fades become instant, as the menu's do.
    LoadWipeMap(kWipeMapFileName, wipeMap);
    music.Load(kMusicPath);
    music.Start();
    for (const SoundRow& row : kSoundRows) {
        (this->*row.member).Load(row.path);
    }
}

void GameResources::FreeImages() {
    for (const Row& row : kImageRows) {
        SDL_Surface*& member = MemberOf(*this, row);
        if (member != nullptr) {
            SDL_FreeSurface(member);
            member = nullptr;
        }
    }
}
