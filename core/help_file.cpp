// Help file path.
#include "help_file.h"

#include <cstdio>
#include <cstdlib>

char HelpFile[MAX_PATH];

void HelpPathBeside(const char* modulePath, const char* fileName, char* out, size_t size) {
    char drive[_MAX_DRIVE], dir[_MAX_DIR], name[_MAX_FNAME], ext[_MAX_EXT];
    _splitpath(modulePath, drive, dir, name, ext);
    std::snprintf(out, size, "%s%s%s", drive, dir, fileName);
}

void BuildHelpFilePath() {
    char module[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    HelpPathBeside(module, "loopsmith.hlp", HelpFile, sizeof HelpFile);
}
