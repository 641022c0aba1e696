// Prints a report through the real print dialog to the default printer.
#include <gtest/gtest.h>

#include <winspool.h>

#include <cmath>

#include "app_fixture.h"
#include "plot/plot_display.h"
#include "print/print_job.h"
#include "responder.h"

namespace {

int PrinterCount() {
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &count);
    return needed > 0 ? 1 : 0;
}

TEST(PrintReport, PrintsAPageToTheDefaultPrinter) {
    if (!PrinterCount()) GTEST_SKIP() << "no printer installed";
    // The print dialog finds the printers in the user's own registry, so this
    // test runs against it (one at a time with the whole-program tests).
    LoopsmithApp app;
    ASSERT_NE(app.Start(), nullptr);
    AppState& s = app.State();
    // A settled step response with overshoot, as a test of the bench would leave it.
    s.LastTest.SampleCount = 1001;
    s.LastTest.SamplePeriod = 0.0005;
    s.LastTest.Sampling = 1;
    for (int i = 0; i < 1001; ++i) {
        double t = i * 0.0005;
        double y = 100.0 * (1 - std::exp(-t / 0.03) * std::cos(t / 0.02));
        ChannelFor(s, Channel::Actual, 0)->Append(y);
        ChannelFor(s, Channel::Optimal, 0)->Append(i ? 100.0 : 0.0);  // the step command
        ChannelFor(s, Channel::Error, 0)->Append(y - 100.0);
    }
    s.TestDone = 1;
    UpdatePlots(app.Main());  // the panes print the curves and markers as on screen
    Responder r;
    r.Press(IDOK);  // the print dialog: the default printer
    r.Handle([](HWND) {});  // the "Printing" dialog is left alone: no cancel
    EXPECT_EQ(PrintTestReport(app.Main()), 0u);
    EXPECT_TRUE(IsWindowEnabled(app.Main()));
    ASSERT_GE(r.Records().size(), 1u);
}

}  // namespace
