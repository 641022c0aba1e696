// Points the simulated controller at a hardware description written by a test
// (ZQSIM_CONFIG, read by the library at the next open) for the object's lifetime.
#pragma once
#include <string>

class SimConfigFile {
public:
    explicit SimConfigFile(const std::string& ini);
    ~SimConfigFile();
    SimConfigFile(const SimConfigFile&) = delete;
    SimConfigFile& operator=(const SimConfigFile&) = delete;

private:
    std::string path_;
};
