// The running character's loading: message and first draw around the loader.
#include "mascot/running_character.h"

#include "mascot/product.h"
#include "mascot/random.h"
#include "mascot/state.h"
#include "platform/msgbox.h"

int LoadStartingCharacter(Character* target, const char* modulePath, int32_t scale) {
    Character loaded = {};
    CharacterLoad result = LoadCharacter(&loaded, modulePath, scale);
    if (result == CharacterLoad::kVersion) SysMessageBox(nullptr, kMsgModuleVersion, kProductCaption, MessageIcon::kError);
    if (result != CharacterLoad::kLoaded) return 0;
    if (!LoadFirstAction(&loaded, NextRandom() % 100, UserSettings.SndUse)) {
        ReleaseCharacter(&loaded);
        return 0;
    }
    *target = loaded;
    return 1;
}
