// What the install-options dialog shows and decides, apart from its window:
// the caption, heading and instruction texts, the Question flags of a check
// box, the space check and the completion message.
#pragma once

#include "setup/description.h"

#include <cstdint>

// "<product> 的安装" into `out` (kMessageSize bytes).
void MakeDialogCaption(const SetupDescription* setup, char* out);

// The heading: product, version when there is one, and the needed space in
// whole megabytes (10^6 bytes, truncated toward zero). `out` holds kMessageSize bytes.
void MakeHeading(const SetupDescription* setup, char* out);

// The instruction below the heading. `out` holds kMessageSize bytes.
void MakeInstruction(const SetupDescription* setup, char* out);

// "<product> 安装完成了。" into `out` (kMessageSize bytes).
void MakeCompletionMessage(const SetupDescription* setup, char* out);

// The effect of a string of Question flags on one control, applied from left
// to right: C checks, N unchecks, G disables; other characters (lowercase
// letters included) do nothing. Nothing enables a control.
struct QuestionEffect {
    int setsCheck;  // 1 when C or N occurred; then `checked` is the last one's state
    int checked;
    int disables;   // 1 when G occurred
};
QuestionEffect ReadQuestionFlags(const char* flags);

// Free bytes of a drive from the three counts the system reports, without
// wrap-around (stops at the largest 64-bit count).
uint64_t FreeBytes(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters);

// 1 when `freeBytes` is at least the needed size taken as an unsigned 32-bit
// number (so a negative DiskSpase asks for more than 2 GiB).
int EnoughSpace(uint64_t freeBytes, int32_t neededSize);

// The drive root of an install folder: its first three bytes ("D:\" of
// "D:\Apps\X"), fewer when it is shorter. `out` holds at least 4 bytes.
void DriveRoot(const char* installFolder, char* out);

// Free space of the install folder's drive; 0 when the system cannot tell.
uint64_t InstallDriveFreeSpace(const char* installFolder);
