// Fuzz target: the text of Setup.ini, bytes as they come. It lies in the
// setup folder C:\Setup of the in-memory machine, beside a few product files,
// and Setup does with it what its entry and its dialog do, minus the windows:
// read the description, make the dialog's texts, read the Question flags and
// the needed size, ask for space, make the paths, install the files, make the
// shortcuts and write the registry. Every text must end inside its buffer,
// nothing may be written past what a buffer's contract allows, and everything
// the machine got must lie where the description's values can put it.
#include "setup/description.h"
#include "setup/dialog_logic.h"
#include "setup/install.h"
#include "setup/installed_list.h"
#include "setup/portable/fake_system.h"
#include "setup/profile.h"
#include "setup/setup_system.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/fuzz_paths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kSetupFolder[] = "C:\\Setup";
constexpr char kDescriptionPath[] = "C:\\Setup\\Setup.ini";
constexpr char kPrograms[] = "C:\\Menu\\Programs";
constexpr char kStartup[] = "C:\\Menu\\Startup";
constexpr unsigned char kCanary = 0xA5;
constexpr size_t kSlack = 64;

// A machine with a setup folder (and a source subfolder DISK1), the product's
// files, the Start menu's folders, and drive C with 4 GB free.
void PrepareMachine(const uint8_t* data, size_t size) {
    ResetFake();
    FakeMachine& machine = Fake();
    machine.commandLine = "\"C:\\Setup\\Setup.exe\"";
    machine.currentFolder = "C:\\";
    machine.windowsDrive = 'C';
    machine.folders = {kSetupFolder, "C:\\Setup\\DISK1", "C:\\Menu", kPrograms, kStartup};
    for (const char* name : {"Setup.exe", "UnInst.dat", "Zippit.exe", "Zippy.Pkm", "Pebble.Pkm", "Zippit.html", "DISK1\\a.exe"}) {
        std::string path = std::string(kSetupFolder) + "\\" + name;
        machine.files[path] = FakeFile{path, 100, 0, 0};
    }
    machine.drives["C:\\"] = FakeDrive{8, 512, 1000000};
    machine.drives["D:\\"] = FakeDrive{1, 512, 3};
    machine.profiles[kDescriptionPath] = std::string(reinterpret_cast<const char*>(data), size);
}

std::string Value(const char* section, const char* key, const char* fallback) {
    char value[kValueSize];
    ReadProfile(kDescriptionPath, section, key, fallback, value, sizeof value);
    return value;
}

// A value as the path it names (UTF-8), or empty.
std::string PathValue(const SetupDescription* setup, const char* section, const char* key) {
    char path[kPathSize];
    ReadSetupPath(setup, section, key, path);
    return path;
}

bool Terminated(const char* text, size_t size) { return std::memchr(text, 0, size) != nullptr; }

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

// A buffer of `size` bytes as a contract gives it, with canary bytes behind it.
struct Guarded {
    std::vector<char> bytes;
    size_t size;
    explicit Guarded(size_t capacity) : bytes(capacity + kSlack, static_cast<char>(kCanary)), size(capacity) {}
    char* data() { return bytes.data(); }
    // The text ends inside the buffer and nothing behind it was touched.
    void Check(const char* what) const {
        FuzzCheck(Terminated(bytes.data(), size), what);
        for (size_t at = size; at < bytes.size(); at++)
            FuzzCheck(static_cast<unsigned char>(bytes[at]) == kCanary, what);
    }
};

// What C's own reader makes of a needed size, held to the 32-bit range.
int32_t ReferenceNeededSize(const std::string& text) {
    errno = 0;
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

void CheckQuestionFlags(const std::string& flags) {
    QuestionEffect effect = ReadQuestionFlags(flags.c_str());
    size_t lastCheck = flags.find_last_of("CN");
    FuzzCheck(effect.setsCheck == (lastCheck != std::string::npos), "Question flags: check set without C or N");
    if (effect.setsCheck) FuzzCheck(effect.checked == (flags[lastCheck] == 'C'), "Question flags: not the last C or N");
    FuzzCheck(effect.disables == (flags.find('G') != std::string::npos), "Question flags: G misread");
}

void CheckDialogTexts(const SetupDescription* setup) {
    void (*makers[])(const SetupDescription*, char*) = {MakeDialogCaption, MakeHeading, MakeInstruction,
                                                         MakeCompletionMessage};
    for (auto make : makers) {
        Guarded text(kMessageSize);
        make(setup, text.data());
        text.Check("a dialog text past its buffer");
        // Values only fill %s slots: a '%' in the name is printed as it stands.
        FuzzCheck(StartsWith(text.data(), setup->productName), "a dialog text without the product name in front");
    }
}

// The source and target paths of the listed files, and the folders of the install folder.
void CheckPaths(const SetupDescription* setup) {
    std::string install = std::string(setup->installFolder) + "\\";
    for (int index = 1;; index++) {
        if (Value("SetupFiles", std::to_string(index).c_str(), "").empty()) break;
        std::string name = PathValue(setup, "SetupFiles", std::to_string(index).c_str());
        Guarded source(kPathSize), target(kPathSize);
        int sourceMade = MakeSourcePath(setup, name.c_str(), source.data(), source.size);
        int targetMade = MakeTargetPath(setup, name.c_str(), target.data(), target.size);
        source.Check("a source path past its buffer");
        target.Check("a target path past its buffer");
        FuzzCheck(sourceMade ? StartsWith(source.data(), "C:\\Setup\\") : !source.data()[0],
                  "a source path outside the setup folder, or a failed one not empty");
        FuzzCheck(targetMade ? std::string(target.data()) == install + name : !target.data()[0],
                  "a target path other than the install folder and the name, or a failed one not empty");
    }

    size_t lengths[kPathSize];
    size_t count = ListFoldersToCreate(setup->installFolder, lengths, kPathSize);
    size_t length = std::strlen(setup->installFolder);
    FuzzCheck(count >= 1 && lengths[count - 1] == length, "the install folder is not the last folder made");
    for (size_t i = 0; i + 1 < count; i++)
        FuzzCheck(lengths[i] < lengths[i + 1] && setup->installFolder[lengths[i]] == '\\',
                  "a parent folder not cut at a backslash, or out of order");
}

void CheckProgress(void*, const char* name) {
    FuzzCheck(!name || (Terminated(name, kPathSize) && name[0]), "a file name of the progress past a path, or empty");
}

bool InFolder(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && StartsWith(path, folder) && path[folder.size()] == '\\';
}

// The files of the prepared machine.
bool Prepared(const std::string& path) {
    static const char* const kNames[] = {"Setup.ini", "Setup.exe", "UnInst.dat", "Zippit.exe", "Zippy.Pkm",
                                         "Pebble.Pkm", "Zippit.html", "DISK1\\a.exe"};
    for (const char* name : kNames)
        if (path == std::string(kSetupFolder) + "\\" + name) return true;
    return false;
}

// Everything the machine got lies where the values can put it, as the system
// resolves the paths, and fits a path.
void CheckMachine(const SetupDescription* setup) {
    const FakeMachine& machine = Fake();
    std::string install = setup->installFolder;
    std::string group = std::string(kPrograms) + "\\" + PathValue(setup, "StartMenu", "StartMenu");
    for (const std::string& folder : machine.createdFolders) {
        FuzzCheck(folder.size() < kPathSize, "a folder path too long");
        FuzzCheck(FuzzResolvesInside(install, folder, false, false) || folder == group,
                  "a folder made outside the install folder, its parents and the group");
    }
    for (const auto& file : machine.files) {
        FuzzCheck(file.first.size() < kPathSize, "a file path too long");
        FuzzCheck(Prepared(file.first) || FuzzResolvesInside(file.first, install, true),
                  "a file written outside the install folder");
    }
    for (const auto& profile : machine.profiles)
        FuzzCheck(profile.first == kDescriptionPath || profile.first == install + "\\" + kInstalledListName,
                  "a profile written other than the installed list");
    for (const FakeLink& link : machine.links) {
        FuzzCheck(link.link.size() < kPathSize && link.target.size() < kPathSize, "a link path too long");
        FuzzCheck((InFolder(link.link, group) || InFolder(link.link, kPrograms) || InFolder(link.link, kStartup)) &&
                      link.link.size() >= 4 && link.link.compare(link.link.size() - 4, 4, ".lnk") == 0,
                  "a link file outside the Start menu");
        FuzzCheck(FuzzResolvesInside(link.target, install, false), "a link to a file outside the install folder");
        FuzzCheck(InFolder(link.target, link.folder), "a link whose working folder does not hold its target");
    }
    for (const auto& value : machine.registry) {
        const std::string& name = value.first;
        if (name == std::string(kUninstallKey) + "|UninstallString")
            FuzzCheck(value.second == install + "\\" + kUninstallerTarget, "another uninstaller recorded");
        else if (name == std::string(kSetupProductKey) + "|" + kSetupModuleValue)
            FuzzCheck(value.second == PathValue(setup, "LoadModule", "Module"), "another module recorded");
        else
            FuzzCheck(name == std::string(kUninstallKey) + "|DisplayName", "an unknown registry value written");
    }
}

// The installed list names only what was made.
void CheckInstalledList(const SetupDescription* setup) {
    std::string list = std::string(setup->installFolder) + "\\" + kInstalledListName;
    for (const std::string& item : ReadListSection(list.c_str(), kListLinks)) {
        bool made = false;
        for (const FakeLink& link : Fake().links) made = made || link.link == item;
        FuzzCheck(made, "a link listed that was not made");
    }
    for (const std::string& item : ReadListSection(list.c_str(), kListParents)) {
        // The profile reader trims blanks from a value's ends.
        bool made = false;
        for (const std::string& folder : Fake().createdFolders) {
            std::string read = folder;
            while (!read.empty() && std::strchr(" \t\r", read.back())) read.pop_back();
            made = made || (read == item && FuzzResolvesInside(setup->installFolder, folder, false, false));
        }
        FuzzCheck(made, "a parent listed that was not made, or does not hold the install folder");
    }
    for (const std::string& item : ReadListSection(list.c_str(), kListFiles))
        FuzzCheck(Fake().files.count(std::string(setup->installFolder) + "\\" + item) != 0,
                  "a file listed that is not installed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PrepareMachine(data, size);
    static SetupDescription setup;
    std::memset(&setup, kCanary, sizeof setup);
    SetupReadResult read = ReadSetupDescription(&setup);
    FuzzCheck(read != kNoSetupFolder, "the quoted command line gave no setup folder");
    if (read != kSetupReady) {
        // A path whose UTF-8 form does not fit (bytes that are no GBK become
        // three bytes each) fails as a missing one does.
        static SetupDescription described;
        std::strcpy(described.descriptionPath, kDescriptionPath);
        FuzzCheck(Value("Setup", "ProductName", "").empty() || PathValue(&described, "Setup", "DefaultPath").empty(),
                  "a description with a product name and a path failed");
        ResetFake();
        return 0;
    }
    for (const char* field : {setup.setupFolder, setup.descriptionPath, setup.installFolder, setup.sourceFolder})
        FuzzCheck(Terminated(field, kPathSize), "a description path not terminated");
    for (const char* field : {setup.productName, setup.productVersion, setup.moduleName})
        FuzzCheck(Terminated(field, kValueSize), "a description text not terminated");
    FuzzCheck(Terminated(setup.title, sizeof setup.title), "the title not terminated");
    FuzzCheck(std::strcmp(setup.setupFolder, kSetupFolder) == 0 &&
                  std::strcmp(setup.descriptionPath, kDescriptionPath) == 0,
              "another setup folder");
    FuzzCheck(setup.installFolder[0] && setup.installFolder[0] != '?', "the install drive not filled in");
    FuzzCheck(StartsWith(setup.title, setup.productName), "a title without the product name");
    FuzzCheck(setup.neededSize == ReferenceNeededSize(Value("Setup", "DiskSpase", "0")), "the needed size misread");
    FuzzCheck(ParseNeededSize(Value("Setup", "DiskSpase", "0").c_str()) == setup.neededSize,
              "the needed size differs on a second reading");

    CheckDialogTexts(&setup);
    CheckQuestionFlags(Value("StartMenu", "Question", "G"));
    CheckQuestionFlags(Value("Desktop", "Question", "G"));
    uint64_t free = InstallDriveFreeSpace(setup.installFolder);
    FuzzCheck(EnoughSpace(free, setup.neededSize) == (free >= static_cast<uint32_t>(setup.neededSize)),
              "the space check compares otherwise");

    // The dialog's OK puts the confirmed folder into the system's full form,
    // or refuses it.
    if (!SettleInstallFolder(&setup)) {
        char full[kValueSize];
        FuzzCheck(!IsRootedPath(setup.installFolder) || !ResolveFullPath(setup.installFolder, "C:\\", full, sizeof full),
                  "a rooted install folder refused");
        ResetFake();
        return 0;
    }
    CheckPaths(&setup);
    int stopIndex = InstallFiles(&setup, CheckProgress, &setup);
    FuzzCheck(stopIndex >= 1 && Value("SetupFiles", std::to_string(stopIndex).c_str(), "").empty(),
              "the stop index is not an empty key");
    MakeStartMenuShortcuts(&setup, kPrograms, stopIndex);
    WriteRegistryEntries(&setup);
    MakeShortcuts(&setup, "Startup", kStartup, stopIndex);
    CheckMachine(&setup);
    CheckInstalledList(&setup);
    ResetFake();
    return 0;
}
