// Bench set-up shared by the window tests (see bench_step.h).
#include "bench_step.h"

#include "controller/zq_library.h"
#include "history/history_file.h"
#include "resources/panel_ids.h"
#include "temp_files.h"

ScratchHistory::ScratchHistory(const std::string& tag) : folder_(FreshFolder(tag)) { SetHistoryRoot(folder_); }

ScratchHistory::~ScratchHistory() {
    SetHistoryRoot("");
    RemoveTree(folder_);
}

void BenchMotorOn(LoopsmithApp& app) {
    ZqReset(app.State().ControllerHandle, 0);
    SendMessageA(GetDlgItem(app.Panel(), IDC_MOTOR_ON), BM_CLICK, 0, 0);
}

void ReadyBenchStepTest(LoopsmithApp& app) {
    BenchMotorOn(app);
    TestSettings& t = app.State().Test;
    t.RecordTime = 0.1;
    t.Delay = 0.0;
    t.Distance = 100.0;
    t.Sampling = 1;
}
