// Record time against the capture buffer: how many points at which period a
// test of the wanted record time captures on an axis, and the servo period
// the capture runs at.
#include "record_time.h"

#include <climits>
#include <cmath>

#include "../controller/zq_library.h"
#include "connection.h"

namespace {

// Truncation toward zero of a non-negative double that may exceed an int.
double Ceilish(double x) { return std::trunc(x + 0.999999); }

}  // namespace

int EffectiveSampling(int sampling) { return sampling < 1 ? 1 : sampling; }

RecordTimeFit FitRecordTime(double recordTime, double p0, int bufferSize, bool advanced) {
    RecordTimeFit fit;
    if (!(p0 > 0.0) || !std::isfinite(p0)) return fit;
    fit.samplePeriod = p0;
    if (!(recordTime > 0.0)) return fit;  // no time to record: the start sample only
    if (bufferSize <= 0) return fit;  // nothing can be captured
    const double buffer = bufferSize < INT_MAX ? bufferSize : INT_MAX - 1;
    const double n = Ceilish(recordTime / p0);
    if (advanced) {
        double p = p0;
        if (n > buffer) p = p0 * Ceilish(recordTime / buffer / p0);
        fit.samplePeriod = p;
        double count = Ceilish(recordTime / p) + 1.0;
        fit.sampleCount = static_cast<int>(count > buffer + 1.0 ? buffer + 1.0 : count);
        return fit;
    }
    if (n > buffer) {
        fit.sampleCount = static_cast<int>(buffer) + 1;
        fit.result = buffer * p0;
        return fit;
    }
    // The record time fits: n points at the servo period span it.
    fit.sampleCount = static_cast<int>(n) + 1;
    return fit;
}

double CaptureServoPeriod(short handle, unsigned short axis, double highRatePeriod) {
    double p0 = 0.0;
    ServoPeriod(handle, axis, &p0);
    if (p0 > 0.0 && std::isfinite(p0)) return p0;
    if (highRatePeriod > 0.0 && std::isfinite(highRatePeriod)) return highRatePeriod;
    return 0.0;
}

double LimitRecordTime(TestSettings& settings, short handle, unsigned short axis, int advanced) {
    AxisConfig config = {};
    config.Size = kAxisConfigSize;
    ZqGetAxisConfiguration(handle, axis, &config);
    double p0 = CaptureServoPeriod(handle, axis, config.HighRatePeriod);
    RecordTimeFit fit = FitRecordTime(settings.RecordTime, p0, config.CaptureBufferSize, advanced != 0);
    settings.SampleCount = fit.sampleCount;
    settings.SamplePeriod = fit.samplePeriod;
    return fit.result;
}

