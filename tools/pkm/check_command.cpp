// pkm check: loads a module as the program does, then every action reachable
// from the start actions and the sleep action, and says what is wrong in an
// author's words.
//
// The loaders themselves say why a load fails (a LoadReport): which entry,
// which script field and on which line. Errors are what the program refuses
// or gets wrong; warnings are what it plays as written but an author hardly
// meant (weights that do not make 100, a sound tick that never comes). Given
// an authoring folder, the check builds it first and names the folder's files.
#include "mascot/behaviour.h"
#include "modules/action.h"
#include "modules/character.h"
#include "modules/container.h"
#include "modules/load_report.h"
#include "modules/wave.h"
#include "platform/memory.h"
#include "tools/pkm/authoring.h"
#include "tools/pkm/commands.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// One run of the check: where its lines go, how entries are named, what it found.
struct CheckRun {
    FILE* out;
    const AuthorFiles* files;  // nullptr: entries are named as entries
    CheckResult result;
};

void Report(CheckRun* run, const char* kind, const std::string& where, const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    std::fprintf(run->out, "%s: %s: %s\n", kind, where.c_str(), text);
}

// Something the program refuses or gets wrong: the check fails.
void Problem(CheckRun* run, const std::string& where, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Report(run, "error", where, format, args);
    va_end(args);
    run->result.errors++;
}

// Something the program plays as written that is likely a slip.
void Warning(CheckRun* run, const std::string& where, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Report(run, "warning", where, format, args);
    va_end(args);
    run->result.warnings++;
}

std::string Quoted(const std::string& text) {
    char quoted[kReportEntry * 4];
    QuoteBytes(quoted, sizeof quoted, reinterpret_cast<const uint8_t*>(text.data()),
               static_cast<uint32_t>(text.size()));
    return "'" + std::string(quoted) + "'";
}

// An entry as the author knows it: its file in the authoring folder (with
// `hint`, as AuthorFileOf gives it), or the entry's name.
std::string Name(const CheckRun& run, const std::string& entry, std::string* hint = nullptr) {
    return run.files ? AuthorFileOf(*run.files, entry, hint) : Quoted(entry);
}

// Where a problem of an action (at a line of its script, when not 0) lies.
std::string ActionWhere(const CheckRun& run, const std::string& action, int32_t line = 0) {
    std::string where = run.files ? AuthorFileOf(*run.files, action) : "action " + Quoted(action);
    return line > 0 ? where + ", line " + std::to_string(line) : where;
}

std::string InfoWhere(const CheckRun& run, int32_t line = 0) {
    std::string where = run.files ? AuthorFileOf(*run.files, "info.txt") : "info.txt";
    return line > 0 ? where + ", line " + std::to_string(line) : where;
}

// Tells what a load found: the script's loose number, then the fault that
// stopped it. `where` is where a fault in another entry is told (the action
// or module that needs it), `scriptWhere` gives the place of a script line.
template <typename ScriptWhere>
void TellReport(CheckRun* run, const LoadReport& report, const std::string& where, ScriptWhere scriptWhere) {
    if (report.looseLine) Problem(run, scriptWhere(report.looseLine), "%s", report.loose);
    if (!report.what[0]) return;
    if (!report.part[0]) {
        Problem(run, scriptWhere(report.line), "%s", report.what);
        return;
    }
    std::string hint;
    std::string name = Name(*run, report.entry, &hint);
    Problem(run, where, "%s %s %s%s", report.part, name.c_str(), report.what, hint.c_str());
}

// Names a sound entry that is missing or that the player could not read
// within its bytes (the program keeps such a sound as a silent slot).
void CheckSound(CheckRun* run, const char* module, const std::string& where, const char* what, const char* entry) {
    uint32_t size = 0;
    ContainerError why = ContainerError::kNone;
    uint8_t* wave = ReadScrambledEntry(module, entry, &size, &why);
    const char* reason = nullptr;
    if (!wave)
        Problem(run, where, "%s %s %s", what, Name(*run, entry).c_str(), EntryProblem(why));
    else if (!WaveImageIsSound(wave, size, &reason))
        Problem(run, where, "%s %s is not played: %s", what, Name(*run, entry).c_str(), reason);
    SysFree(wave);
}

// Checks a weighted list's weights the way the program draws from it.
void CheckWeights(CheckRun* run, const std::string& where, const char* what, const std::vector<int32_t>& weights,
                  bool idle) {
    int64_t total = 0;
    int32_t k = -1;
    for (size_t i = 0; i < weights.size(); i++) {
        if (weights[i] < 0) Warning(run, where, "%s: weight %d of entry %zu is negative", what, weights[i], i);
        total += weights[i];
        if (k < 0 && total >= 100) k = static_cast<int32_t>(i);
    }
    if (!idle) {
        if (total != 100)
            Warning(run, where, "%s: weights add up to %lld, not 100", what, static_cast<long long>(total));
        return;
    }
    int64_t first = 0;
    for (int32_t i = 0; i <= k; i++) first += weights[i];
    if (k < 0 || first != 100) {
        Warning(run, where, "%s: the weights of the first block add up to %lld, not 100", what,
                static_cast<long long>(k < 0 ? total : first));
        return;
    }
    int64_t second = 0;
    for (size_t i = static_cast<size_t>(k); i < weights.size(); i++) second += weights[i];
    if (second < 900)
        Warning(run, where, "%s: the second block (from entry %d) covers draws 0 to %lld, not 0 to 899", what, k,
                static_cast<long long>(second - 1));
}

std::vector<int32_t> Weights(const WeightedName* entries, int32_t count) {
    std::vector<int32_t> weights;
    for (int32_t i = 0; i < count; i++) weights.push_back(entries[i].weight);
    return weights;
}

// Checks what the loader accepts in a loaded action but an author hardly
// meant, and the sounds it keeps silent.
void CheckAction(CheckRun* run, const char* module, const Character& character, const Action& action,
                 const LoadReport& report) {
    std::string where = ActionWhere(*run, action.name);
    for (int32_t i = 0; i < action.celCount; i++) {
        const DibImage& image = action.cels[i].image;
        if (image.width > character.canvasWidth || image.height > character.canvasHeight)
            Problem(run, where, "cel %d is %dx%d, larger than the %dx%d canvas", i, image.width, image.height,
                    character.canvasWidth, character.canvasHeight);
    }
    for (int32_t i = 0; i < action.stepCount; i++)
        if (action.steps[i].duration < 0) Warning(run, where, "step %d has a negative duration (shown for no time)", i);
    if (action.loopRepeat > 0 && (action.loopEnd < action.loopStart || action.loopEnd >= action.stepCount))
        Warning(run, where, "loop end %d lies outside steps %d to %d: the loop does not run as written",
                action.loopEnd, action.loopStart, action.stepCount - 1);
    if (action.soundCount > 0) {
        std::vector<int32_t> weights;
        for (int32_t i = 0; i < action.soundCount; i++) weights.push_back(action.sounds[i].weight);
        CheckWeights(run, where, "sound list", weights, false);
        if (action.soundTick < 1)
            Warning(run, where, "sound tick %d never comes (ticks count from 1)", action.soundTick);
        for (int32_t i = 0; i < action.soundCount; i++) {
            char entry[kReportEntry];
            char what[32];
            std::snprintf(what, sizeof what, "sound %d", static_cast<int>(i));
            if (!action.sounds[i].data && AssetEntryName(entry, sizeof entry, report.soundBase, i, ".snd"))
                CheckSound(run, module, where, what, entry);
        }
    }
    CheckWeights(run, where, "next-action list", Weights(action.nextActions, action.nextCount),
                 std::strncmp(action.name, "def", 3) == 0);
}

// The boot sounds against the count info.txt gives: one of boot00.snd up to
// the count is drawn at start (the draw is below 32768), a missing one is a
// silent start, one past the count is never played.
void CheckBootSounds(CheckRun* run, const char* module, int32_t count) {
    uint32_t recordCount = 0;
    DirectoryRecord* records = ReadModuleDirectory(module, &recordCount);
    std::string where = InfoWhere(*run);
    int32_t drawn = count < 32768 ? count : 32768;
    int32_t missing = 0;
    std::string firstMissing;
    for (int32_t i = 0; i < drawn; i++) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "boot%02d.snd", static_cast<int>(i));
        uint32_t size = 0;
        ContainerError why = ContainerError::kNone;
        uint8_t* wave = ReadEntry(module, entry, &size, &why);
        SysFree(wave);
        if (wave || why != ContainerError::kNoSuchEntry)
            CheckSound(run, module, where, "boot sound", entry);
        else if (missing++ == 0)
            firstMissing = entry;
    }
    if (missing == 1)
        Warning(run, where, "boot sound count is %d, but %s is missing: that start is silent", count,
                Name(*run, firstMissing).c_str());
    else if (missing > 1)
        Warning(run, where, "boot sound count is %d, but %d of them are missing (%s first): those starts are silent",
                count, missing, Name(*run, firstMissing).c_str());
    for (uint32_t i = 0; i < recordCount; i++) {
        const char* name = records[i].name;
        size_t length = std::strlen(name);
        if (length < 10 || std::strncmp(name, "boot", 4) != 0 || std::strcmp(name + length - 4, ".snd") != 0) continue;
        std::string digits(name + 4, length - 8);
        if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        int number = std::atoi(digits.c_str());
        char canonical[24];
        std::snprintf(canonical, sizeof canonical, "boot%02d.snd", number);
        if (std::strcmp(canonical, name) != 0 || number < drawn) continue;
        Warning(run, where, "boot sound %s is never played: the boot sound count is %d", Name(*run, name).c_str(),
                count);
    }
    SysFree(records);
}

}  // namespace

CheckResult CheckModule(const char* module, const char* shownName, const AuthorFiles* files, FILE* out) {
    CheckRun run{out, files, CheckResult{}};
    Character character;
    std::memset(&character, 0, sizeof character);
    LoadReport report;
    CharacterLoad loaded = LoadCharacter(&character, module, 1, &report);
    TellReport(&run, report, shownName, [&](int32_t line) { return InfoWhere(run, line); });
    if (loaded != CharacterLoad::kLoaded) return run.result;

    CheckBootSounds(&run, module, character.bootSoundCount);
    CheckWeights(&run, InfoWhere(run), "start list",
                 Weights(character.startActions.entries, character.startActions.count), false);

    // Every action reachable from the start list, and from the sleep action
    // the program plays while the user is away, each checked once, with the
    // first action that names it (none for a start or sleep action).
    std::vector<std::pair<std::string, std::string>> queue;
    for (int32_t i = 0; i < character.startActions.count; i++)
        queue.emplace_back(character.startActions.entries[i].name, "");
    char sleep[kMaxActionName + 1];
    if (FindSleepAction(module, sleep)) queue.emplace_back(sleep, "");
    std::set<std::string> seen;
    for (size_t at = 0; at < queue.size(); at++) {
        const std::string name = queue[at].first;
        if (!seen.insert(name).second) continue;
        Action* action = LoadAction(module, name.c_str(), 1, &report);
        std::string where = ActionWhere(run, name);
        if (!action && report.part[0] && name == report.entry) {
            // The script itself is missing: say where the name comes from.
            where = "action " + Quoted(name) + " (in " +
                    (queue[at].second.empty() ? "the start list of " + InfoWhere(run)
                                              : "the next-action list of " + ActionWhere(run, queue[at].second)) +
                    ")";
        }
        TellReport(&run, report, where, [&](int32_t line) { return ActionWhere(run, name, line); });
        if (!action) continue;
        CheckAction(&run, module, character, *action, report);
        for (int32_t i = 0; i < action->nextCount; i++) queue.emplace_back(action->nextActions[i].name, name);
        ReleaseAction(action);
    }
    ReleaseCharacter(&character);
    run.result.actions = static_cast<int>(seen.size());
    return run.result;
}

int PkmCheck(int argc, char** argv) {
    if (argc != 1) {
        std::fputs("usage: pkm check MODULE.Pkm | FOLDER\n", stderr);
        return 2;
    }
    const char* given = argv[0];
    CheckResult result{};
    if (IsDirectory(given)) {
        // An authoring folder: built as pkm build would, then checked from a
        // temporary module, naming the folder's files.
        AuthorFiles files;
        ByteVector module;
        std::string error;
        std::vector<std::string> warnings;
        int built = BuildModuleFromFolder(given, &module, &error, &warnings, &files);
        for (const std::string& warning : warnings) std::printf("warning: %s\n", warning.c_str());
        result.warnings = static_cast<int>(warnings.size());
        if (!built) {
            std::printf("error: %s\n", error.c_str());
            return 1;
        }
        std::string path;
        if (!WriteTemporaryFile(module, &path, &error)) {
            std::fprintf(stderr, "pkm: %s\n", error.c_str());
            return 1;
        }
        CheckResult found = CheckModule(path.c_str(), given, &files, stdout);
        RemoveFile(path);
        result.errors = found.errors;
        result.warnings += found.warnings;
        result.actions = found.actions;
    } else {
        uint32_t count = 0;
        ContainerError why = ContainerError::kNone;
        DirectoryRecord* records = ReadModuleDirectory(given, &count, &why);
        if (!records) {
            std::fprintf(stderr, "pkm: %s: %s\n", given,
                         why == ContainerError::kNoModuleFile ? "no such module file or folder"
                                                              : "not a readable module file");
            return 1;
        }
        SysFree(records);
        result = CheckModule(given, given, nullptr, stdout);
    }
    if (result.errors == 0 && result.warnings == 0)
        std::printf("%s: no problems (%d actions checked)\n", given, result.actions);
    else if (result.errors == 0)
        std::printf("%s: no errors, %d warning%s (%d actions checked)\n", given, result.warnings,
                    result.warnings == 1 ? "" : "s", result.actions);
    return result.errors == 0 ? 0 : 1;
}
