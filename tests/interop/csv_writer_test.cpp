// Saves a test through the main window's Save As command into bin/interop/,
// beside the values it was made from (17 significant digits), for the Python
// check that runs after this program.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "app_fixture.h"
#include "file_dialog_recorder.h"
#include "process.h"
#include "resources/app_ids.h"
#include "responder.h"
#include "temp_files.h"

TEST(InteropCsv, SaveATestForPython) {
    IsolatedRegistry registry;
    LoopsmithApp app;
    ASSERT_NE(app.Start(), nullptr);
    AppState& s = app.State();
    s.PlotActual = s.PlotOptimal = s.PlotError = s.PlotTorque = s.PlotAuxiliary = s.AuxCapture = 1;
    s.LastTest.Delay = 0.0125;
    s.LastTest.SamplePeriod = 0.0005;
    s.LastTest.Sampling = 2;
    s.LastTest.SampleCount = 401;  // 201 lines
    SampleSequence* channels[] = {&s.Capture.Actual[0], &s.Capture.Optimal[0], &s.Capture.Error[0],
                                  &s.Capture.Torque[0], &s.Capture.Auxiliary[0]};
    for (int k = 0; k < 5; ++k) {
        channels[k]->Clear();
        for (int j = 0; j < 201; ++j) {
            double x = std::sin(j * 0.37 + k) * std::pow(10.0, (j % 13) - 6);
            channels[k]->Append(j % 17 == 0 ? 0.0 : x);
        }
    }
    std::string folder = BinFolder() + "\\interop";
    RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);

    FileDialogRecorder dialogs;
    Responder responder;
    dialogs.Answer(folder + "\\test_data.csv");
    app.Command(IDM_SAVE_AS);
    EXPECT_TRUE(responder.Records().empty());

    std::string expected = "delay=0.0125 period=0.0005 sampling=2\n";
    for (int j = 0; j < 201; ++j) {
        char line[200];
        std::snprintf(line, sizeof line, "%.17g %.17g %.17g %.17g %.17g\n", channels[0]->At(j), channels[1]->At(j),
                      channels[2]->At(j), channels[3]->At(j), channels[4]->At(j));
        expected += line;
    }
    WriteAll(folder + "\\expected.txt", expected);
}
