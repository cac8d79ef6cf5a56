// The running character's loading: message and first draw around the
// loader; its factor on a monitor.
#include "mascot/running_character.h"

#include "mascot/product.h"
#include "mascot/random.h"
#include "mascot/state.h"
#include "modules/scale.h"
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

int32_t CharacterScale(int32_t dpi) {
    int32_t size = UserSettings.SizeFactor < 1 ? 1 : UserSettings.SizeFactor;
    return ScaleForDpi(dpi) * size;
}
