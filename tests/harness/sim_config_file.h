// The simulated controller's environment for a test: a hardware description
// written by the test (ZQSIM_CONFIG) and injected faults (ZQSIM_FAULTS).

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

// Sets ZQSIM_FAULTS (read by the library at the next open while no handle is
// open) for the object's lifetime.
class SimFaults {
public:
    explicit SimFaults(const std::string& faults);
    ~SimFaults();
    SimFaults(const SimFaults&) = delete;
    SimFaults& operator=(const SimFaults&) = delete;
};
