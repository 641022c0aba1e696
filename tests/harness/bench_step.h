// What the window tests that run tests on the simulated bench set up alike: a
// scratch folder for the history file and the axis readied for a short step
// test.
#pragma once
#include <string>

#include "app_fixture.h"

// Points the history file at a fresh folder of its own for the object's
// lifetime, so that the runs of a test are read back alone; removes it after.
class ScratchHistory {
public:
    explicit ScratchHistory(const std::string& tag);
    ~ScratchHistory();
    ScratchHistory(const ScratchHistory&) = delete;
    ScratchHistory& operator=(const ScratchHistory&) = delete;

    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
};

// Resets the bench controller and switches the current axis's motor on with
// the panel's own On button (its id is also the main window's Auto Tune
// command, so it is clicked, not sent as a command).
void BenchMotorOn(LoopsmithApp& app);
// BenchMotorOn, and a step test of 100 units recorded for 0.1 s at every
// sample, without delay.
void ReadyBenchStepTest(LoopsmithApp& app);
