// Test support: a running mascot on the portable simulated screen — a
// character loaded from a module made to order, the mascot window, a
// supporting window in the foreground and the two drawing contexts.
#pragma once

#include "mascot/state.h"
#include "tests/support/module_writer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

class MascotTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Writes the character's module and makes it the running character with
    // `first` as its current action. Fails the test when it does not load.
    void Start(const TestCharacter& character, const char* first = nullptr);

    // The supporting window made by Start (0,300,1024,768 unless moved).
    SysWindow* support_ = nullptr;
    ScopedTempDir dir_;
    int64_t blocks_ = 0;
    int64_t objects_ = 0;
    SysBitmap* defaultBitmap_ = nullptr;
};

// The test character (MakeTestCharacter) with more actions given as name and
// script; the module also holds 8 cels "ms00" to "ms07" (4 x 2, pixels = cel
// number) for them to use.
TestCharacter CharacterWithActions(const std::vector<std::pair<std::string, std::string>>& actions);
