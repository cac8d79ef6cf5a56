// Texts and decisions of the install-options dialog.
#include "setup/dialog_logic.h"

#include "setup/setup_system.h"

#include <cstring>

void MakeDialogCaption(const SetupDescription* setup, char* out) {
    FormatText(out, kMessageSize, "%s 的安装", setup->productName);
}

void MakeHeading(const SetupDescription* setup, char* out) {
    int megabytes = setup->neededSize / 1000000;
    if (setup->productVersion[0])
        FormatText(out, kMessageSize, "%s Version %s 安装。\n安装需要约 %d MB的磁盘空间容量。", setup->productName,
                   setup->productVersion, megabytes);
    else
        FormatText(out, kMessageSize, "%s 安装。                \n安装需要约 %d MB的磁盘空间容量。",
                   setup->productName, megabytes);
}

void MakeInstruction(const SetupDescription* setup, char* out) {
    FormatText(out, kMessageSize, "%s 选择一个文件夹来安装，              \n请按确定按钮。            \n开始安装。",
               setup->productName);
}

void MakeCompletionMessage(const SetupDescription* setup, char* out) {
    FormatText(out, kMessageSize, "%s 安装完成了。", setup->productName);
}

QuestionEffect ReadQuestionFlags(const char* flags) {
    QuestionEffect effect = {0, 0, 0};
    for (; *flags; flags++) {
        if (*flags == 'C' || *flags == 'N') {
            effect.setsCheck = 1;
            effect.checked = *flags == 'C';
        } else if (*flags == 'G') {
            effect.disables = 1;
        }
    }
    return effect;
}

uint64_t FreeBytes(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters) {
    uint64_t clusterBytes = static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector;
    if (freeClusters != 0 && clusterBytes > UINT64_MAX / freeClusters) return UINT64_MAX;
    return clusterBytes * freeClusters;
}

int EnoughSpace(uint64_t freeBytes, int32_t neededSize) {
    return freeBytes >= static_cast<uint32_t>(neededSize);
}

void DriveRoot(const char* installFolder, char* out) {
    size_t length = strnlen(installFolder, 3);
    std::memcpy(out, installFolder, length);
    out[length] = 0;
}

uint64_t InstallDriveFreeSpace(const char* installFolder) {
    char root[4];
    DriveRoot(installFolder, root);
    uint32_t sectors = 0, bytes = 0, clusters = 0;
    if (!SysDriveSpace(root, &sectors, &bytes, &clusters)) return 0;
    return FreeBytes(sectors, bytes, clusters);
}
