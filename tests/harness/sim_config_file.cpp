// Hardware description files for the simulated controller (see sim_config_file.h).
#include "sim_config_file.h"

#include <windows.h>

#include <fstream>

SimConfigFile::SimConfigFile(const std::string& ini) {
    static int count = 0;
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    path_ = std::string(dir) + "loopsmith-sim-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++count) + ".ini";
    std::ofstream(path_, std::ios::binary) << ini;
    SetEnvironmentVariableA("ZQSIM_CONFIG", path_.c_str());
}

SimConfigFile::~SimConfigFile() {
    SetEnvironmentVariableA("ZQSIM_CONFIG", nullptr);
    DeleteFileA(path_.c_str());
}

SimFaults::SimFaults(const std::string& faults) { SetEnvironmentVariableA("ZQSIM_FAULTS", faults.c_str()); }

SimFaults::~SimFaults() { SetEnvironmentVariableA("ZQSIM_FAULTS", nullptr); }
