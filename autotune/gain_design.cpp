// Gain computation (see gain_design.h).
#include "gain_design.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>

namespace {

constexpr double kPi = 3.14159265358979323846;

// (e^z - 1) / z and (e^z - 1 - z) / z^2, accurate near z = 0.
double Phi1(double z) {
    if (std::fabs(z) < 1e-4) return 1 + z / 2 + z * z / 6;
    return std::expm1(z) / z;
}
double Phi2(double z) {
    if (std::fabs(z) < 1e-3) return 0.5 + z / 6 + z * z / 24 + z * z * z / 120;
    return (std::expm1(z) - z) / (z * z);
}

struct PlantStep {
    double E, G, H, K;  // v' = E v + G a, x' = x + H v + K a over one period of constant acceleration a
};

PlantStep Discretise(double viscous, double t) {
    double z = -viscous * t;
    return {std::exp(z), t * Phi1(z), t * Phi1(z), t * t * Phi2(z)};
}

// Position per unit of output held over a period, as a transfer function in z
// (without the delay): g (K / (z - 1) + H G / ((z - 1)(z - E))).
std::complex<double> HeldPlant(const PlantStep& ps, double gain, std::complex<double> z) {
    return gain * ps.K / (z - 1.0) + gain * ps.H * ps.G / ((z - 1.0) * (z - ps.E));
}

// Solves n (2 or 3) rows of [a b c | r] for the first n unknowns by Gaussian
// elimination with partial pivoting; the right side is column n.
bool SolveRows(double (*rows)[4], int n, double* x0, double* x1, double* x2) {
    for (int c = 0; c < n; ++c) {
        int pivot = c;
        for (int r = c + 1; r < n; ++r)
            if (std::fabs(rows[r][c]) > std::fabs(rows[pivot][c])) pivot = r;
        if (!(std::fabs(rows[pivot][c]) > 0)) return false;
        if (pivot != c)
            for (int k = 0; k <= n; ++k) std::swap(rows[c][k], rows[pivot][k]);
        for (int r = 0; r < n; ++r) {
            if (r == c) continue;
            double f = rows[r][c] / rows[c][c];
            for (int k = c; k <= n; ++k) rows[r][k] -= f * rows[c][k];
        }
    }
    double* out[3] = {x0, x1, x2};
    for (int c = 0; c < n; ++c) *out[c] = rows[c][n] / rows[c][c];
    return true;
}

}  // namespace

double StyleOvershoot(TuneStyle style) {
    switch (style) {
    case TuneStyle::Stiff: return 10;
    case TuneStyle::Soft: return 1;
    default: return 5;
    }
}

LoopGains PlaceGains(double gain, double viscous, double omega, double zeta, double alpha) {
    LoopGains g;
    if (!(gain > 0)) return g;
    g.kp = (1 + 2 * zeta * alpha) * omega * omega / gain;
    g.kd = std::max(0.0, ((alpha + 2 * zeta) * omega - viscous) / gain);
    g.ki = alpha * omega * omega * omega / gain;
    return g;
}

LoopGains PlaceSampledGains(const ModelAxis& axis, double omega, double zeta, double alpha) {
    using C = std::complex<double>;
    LoopGains none;
    const double t = axis.period, g = axis.plant.gain;
    if (!(g > 0) || !(t > 0) || !(omega > 0) || !(zeta > 0) || !(alpha > 0)) return none;
    const PlantStep ps = Discretise(axis.plant.viscous, t);
    const int m = std::max(1, axis.derivativeTicks);
    const int d = std::max(0, axis.plant.delay);
    // A pole z of the closed loop makes 1 + C(z) P(z) = 0, which is linear in
    // the gains: kp + kd (1 - z^-m) / (m T) + ki T / (1 - z^-1) = -1 / P(z).
    // A complex pole gives two real equations, a real one gives one.
    double rows[3][4];
    int n = 0;
    auto add = [&](C z, bool complex) {
        C plant = HeldPlant(ps, g, z) * std::pow(z, -d);
        C r = -1.0 / plant;
        C cd = (1.0 - std::pow(z, -m)) / (m * t);
        C ci = t / (1.0 - 1.0 / z);
        rows[n][0] = 1, rows[n][1] = ci.real(), rows[n][2] = cd.real(), rows[n][3] = r.real();
        ++n;
        if (complex) {
            rows[n][0] = 0, rows[n][1] = ci.imag(), rows[n][2] = cd.imag(), rows[n][3] = r.imag();
            ++n;
        }
    };
    if (zeta < 1) {
        add(std::exp(C(-zeta * omega, omega * std::sqrt(1 - zeta * zeta)) * t), true);
        add(std::exp(-alpha * omega * t), false);
    } else {
        // Real poles that coincide give the same equation twice: each is
        // kept at least 1 % beyond the slower one, which the step does not
        // tell apart from a double pole.
        const double root = std::sqrt(zeta * zeta - 1);
        double rates[3] = {omega * (zeta - root), omega * (zeta + root), alpha * omega};
        std::sort(rates, rates + 3);
        for (int i = 1; i < 3; ++i) rates[i] = std::max(rates[i], 1.01 * rates[i - 1]);
        // The two slowest first: without D only those are placed.
        for (double rate : rates) add(std::exp(-rate * t), false);
    }
    double pair[3][4];
    std::copy(&rows[0][0], &rows[0][0] + 12, &pair[0][0]);
    LoopGains lg;
    if (!SolveRows(rows, 3, &lg.kp, &lg.ki, &lg.kd)) return none;
    if (lg.kd < 0) {
        // Viscous damping beyond what the slow poles ask for: without D, as
        // the continuous placement does, the two slowest poles alone are placed.
        for (auto& row : pair) row[2] = row[3];
        lg.kd = 0;
        if (!SolveRows(pair, 2, &lg.kp, &lg.ki, nullptr)) return none;
    }
    if (!(lg.kp > 0) || !(lg.ki >= 0) || !std::isfinite(lg.kp + lg.ki + lg.kd)) return none;
    return lg;
}

ModelResponse SimulateModel(const ModelAxis& axis, const LoopGains& gains, const std::vector<double>& command,
                            size_t ticks) {
    ModelResponse r;
    r.actual.reserve(ticks);
    r.optimal.reserve(ticks);
    r.output.reserve(ticks);
    const double t = axis.period;
    const PlantStep ps = Discretise(axis.plant.viscous, t);
    const double g = axis.plant.gain, fc = axis.plant.coulomb, q = axis.plant.resolution;
    const int m = std::max(1, axis.derivativeTicks);
    const int d = std::max(0, axis.plant.delay);
    std::vector<double> errors(static_cast<size_t>(m + 1), 0.0);
    std::vector<double> pending(static_cast<size_t>(d + 1), 0.0);
    double x = 0, v = 0, integral = 0;
    const double il = axis.integrationLimit > 0 ? axis.integrationLimit : std::numeric_limits<double>::infinity();
    for (size_t k = 0; k < ticks; ++k) {
        double cmd = command.empty() ? 0 : command[std::min(k, command.size() - 1)];
        double y = q > 0 ? std::round(x / q) * q : x;
        double e = cmd - y;
        for (int j = m; j > 0; --j) errors[static_cast<size_t>(j)] = errors[static_cast<size_t>(j - 1)];
        errors[0] = e;
        integral = std::clamp(integral + gains.ki * e * t, -il, il);
        double u = gains.kp * e + gains.kd * (e - errors[static_cast<size_t>(m)]) / (m * t) + integral;
        u = std::clamp(u, -axis.outputLimit, axis.outputLimit);
        r.actual.push_back(y);
        r.optimal.push_back(cmd);
        r.output.push_back(u);
        for (int j = d; j > 0; --j) pending[static_cast<size_t>(j)] = pending[static_cast<size_t>(j - 1)];
        pending[0] = u;
        double a = g * pending[static_cast<size_t>(d)];
        // Plant over one period with friction; static friction holds a load at rest.
        if (fc > 0) {
            double friction;
            if (v == 0) {
                if (std::fabs(a) <= fc) continue;
                friction = a > 0 ? fc : -fc;
            } else {
                friction = v > 0 ? fc : -fc;
            }
            double f = a - friction;
            double v1 = ps.E * v + ps.G * f;
            if (v != 0 && (v1 > 0) != (v > 0)) {
                double s = v / (v - v1);
                x += 0.5 * v * s * t;
                v = 0;
                continue;
            }
            x += ps.H * v + ps.K * f;
            v = v1;
        } else {
            x += ps.H * v + ps.K * a;
            v = ps.E * v + ps.G * a;
        }
    }
    return r;
}

double PhaseMargin(const ModelAxis& axis, const LoopGains& gains) {
    const double t = axis.period;
    const PlantStep ps = Discretise(axis.plant.viscous, t);
    const double g = axis.plant.gain;
    const int m = std::max(1, axis.derivativeTicks);
    const int d = std::max(0, axis.plant.delay);
    using C = std::complex<double>;
    auto loop = [&](double w) {
        C z = std::polar(1.0, w * t);
        C zi = 1.0 / z;
        C ctrl = gains.kp + gains.kd * (1.0 - std::polar(1.0, -m * w * t)) / (m * t) + gains.ki * t / (1.0 - zi);
        C plant = HeldPlant(ps, g, z);
        return ctrl * plant * std::polar(1.0, -d * w * t);
    };
    double margin = 180;
    const double wMax = kPi / t;
    double w = 0.1;
    double prev = std::abs(loop(w));
    while (w < wMax) {
        double w1 = std::min(wMax * 0.9999, w * 1.04);
        double mag = std::abs(loop(w1));
        if ((prev - 1) * (mag - 1) <= 0 && prev != mag) {
            // Refine the crossover by bisection on |L| = 1.
            double lo = w, hi = w1;
            for (int i = 0; i < 30; ++i) {
                double mid = 0.5 * (lo + hi);
                double mm = std::abs(loop(mid));
                if ((mm - 1) * (prev - 1) > 0) lo = mid;
                else hi = mid;
            }
            double phase = std::arg(loop(0.5 * (lo + hi))) * 180 / kPi;  // (-180, 180]
            margin = std::min(margin, 180 - std::fabs(phase));
        }
        prev = mag;
        if (w1 >= wMax * 0.9999) break;
        w = w1;
    }
    return margin;
}

double DerivativeNoise(const ModelAxis& axis, const LoopGains& gains) {
    const int m = std::max(1, axis.derivativeTicks);
    return gains.kd * axis.plant.resolution / (m * axis.period);
}

std::vector<double> StepCommand(double distance, size_t ticks) {
    std::vector<double> c(ticks, distance);
    if (!c.empty()) c[0] = 0;  // one period at rest, so the move's start is seen
    return c;
}

std::vector<double> TrapezoidCommand(double distance, double velocity, double acceleration, double deceleration,
                                     double period, size_t ticks) {
    std::vector<double> c(ticks, distance);
    double dd = std::fabs(distance), sign = distance < 0 ? -1 : 1;
    if (dd == 0 || !(velocity > 0) || !(acceleration > 0) || !(deceleration > 0)) return c;
    double v = velocity;
    if (v * v * (0.5 / acceleration + 0.5 / deceleration) > dd) v = std::sqrt(dd / (0.5 / acceleration + 0.5 / deceleration));
    double ta = v / acceleration, td = v / deceleration;
    double tc = std::max(0.0, (dd - 0.5 * v * (ta + td)) / v);
    for (size_t k = 0; k < ticks; ++k) {
        double tt = static_cast<double>(k + 1) * period;
        double p;
        if (tt < ta) p = 0.5 * acceleration * tt * tt;
        else if (tt < ta + tc) p = 0.5 * v * ta + v * (tt - ta);
        else if (tt < ta + tc + td) {
            double r = ta + tc + td - tt;
            p = dd - 0.5 * deceleration * r * r;
        } else p = dd;
        c[k] = sign * std::min(p, dd);
    }
    return c;
}

namespace {

// A longer derivative sample period is worth its change only when the
// design it allows is clearly better, not by a rounding of the search.
bool ClearlyBetter(TuneStyle style, const Design& a, const Design& b) {
    if (!a.ok) return false;
    if (!b.ok) return true;
    if (style == TuneStyle::Stiff) return a.gains.kp > b.gains.kp * 1.05;
    return a.predicted.settling < 0.95 * b.predicted.settling;
}

Design DesignAtDerivativePeriod(const ModelAxis& axis, TuneStyle style, const std::vector<double>& command,
                                size_t ticks, const DesignLimits& limits);

}  // namespace

Design DesignGains(const ModelAxis& axis, TuneStyle style, const std::vector<double>& command, size_t ticks,
                   const DesignLimits& limits) {
    Design best = DesignAtDerivativePeriod(axis, style, command, ticks, limits);
    ModelAxis longer = axis;
    longer.derivativeTicks = std::max(1, axis.derivativeTicks);
    int simulations = best.simulations;
    // Each doubling of the period divides the noise of D and costs phase;
    // which of them gives the best step depends on the whole loop (friction
    // and the integrator as much as the noise bound), so each is designed
    // and simulated, and the best kept.
    while (longer.derivativeTicks * 2 <= limits.maxDerivativeTicks) {
        longer.derivativeTicks *= 2;
        Design d = DesignAtDerivativePeriod(longer, style, command, ticks, limits);
        simulations += d.simulations;
        if (ClearlyBetter(style, d, best)) best = d;
    }
    best.simulations = simulations;
    return best;
}

namespace {

Design DesignAtDerivativePeriod(const ModelAxis& axis, TuneStyle style, const std::vector<double>& command,
                                size_t ticks, const DesignLimits& limits) {
    Design best;
    best.derivativeTicks = std::max(1, axis.derivativeTicks);
    const double g = axis.plant.gain, b = axis.plant.viscous;
    if (!(g > 0) || !(axis.period > 0) || !(axis.outputLimit > 0) || ticks < 10) {
        best.reason = "the identified model is not usable";
        return best;
    }
    const double limit = StyleOvershoot(style);
    const double target = limits.overshootTarget >= 0 ? std::min(limits.overshootTarget, limit) : limit;
    double cap = limits.omegaCap > 0 ? limits.omegaCap : std::numeric_limits<double>::infinity();
    if (style == TuneStyle::Soft) {
        // Half the bandwidth the medium style would use.
        DesignLimits medium = limits;
        medium.overshootTarget = -1;
        Design m = DesignGains(axis, TuneStyle::Medium, command, ticks, medium);
        best.simulations += m.simulations;
        if (m.ok) cap = std::min(cap, 0.5 * m.omega);
    }
    // For each closed-loop shape, the highest bandwidth that the noise bound
    // and the phase margin allow, then downwards through the simulated steps.
    const double zetas[] = {0.8, 1.0, 1.3, 1.8};
    const double alphas[] = {0.05, 0.15, 0.4, 1.0};
    const double wTop = std::min(cap, 0.6 / axis.period);
    const double wLow = 2.0;
    const double stepFactor = 1.1;
    bool anyMargin = false, anyNoise = false;
    // Each shape is placed twice: in continuous time, and exactly in the
    // sampled loop. At a slow servo rate the hold, the delay and a derivative
    // taken over several periods move the continuous placement's poles
    // towards less damping, so its fastest clean step lies at a lower
    // bandwidth; the sampled placement keeps its poles where they are put.
    Design placedSampled;
    for (int sampled = 0; sampled < 2; ++sampled)
    for (double zeta : zetas)
        for (double alpha : alphas) {
            Design& into = sampled ? placedSampled : best;
            auto place = [&](double w) {
                return sampled ? PlaceSampledGains(axis, w, zeta, alpha) : PlaceGains(g, b, w, zeta, alpha);
            };
            auto allowed = [&](double w, double* pm) {
                LoopGains lg = place(w);
                if (!(lg.kp > 0)) return 0;
                if (DerivativeNoise(axis, lg) > limits.maxNoiseShare * axis.outputLimit) return 0;
                *pm = PhaseMargin(axis, lg);
                return *pm >= limits.minPhaseMargin ? 2 : 1;
            };
            // Bisect (on a log scale) for the top of the allowed band.
            double pm = 0;
            double lo = wLow, hi = wTop;
            int atLow = allowed(lo, &pm);
            if (atLow >= 1) anyNoise = true;
            if (atLow == 2) anyMargin = true;
            if (atLow < 2) continue;
            if (allowed(hi, &pm) < 2) {
                for (int i = 0; i < 20 && hi / lo > 1.02; ++i) {
                    double mid = std::sqrt(lo * hi);
                    if (allowed(mid, &pm) == 2) lo = mid;
                    else hi = mid;
                }
            } else {
                lo = hi;
            }
            int worse = 0;
            double shapeBest = -1;
            for (double w = lo; w >= wLow; w /= stepFactor) {
                LoopGains lg = place(w);
                if (!(lg.kp > 0)) continue;
                double margin = PhaseMargin(axis, lg);
                if (margin < limits.minPhaseMargin) continue;
                ModelResponse r = SimulateModel(axis, lg, command, ticks);
                ++best.simulations;
                StepFigures f = MeasureStep(r.actual.data(), r.optimal.data(), r.actual.size(), axis.period);
                bool fits = f.Settled() && f.overshoot <= target;
                if (fits) {
                    bool better;
                    if (!into.ok) better = true;
                    else if (style == TuneStyle::Stiff)
                        better = lg.kp > into.gains.kp * 1.0001 ||
                                 (lg.kp > into.gains.kp * 0.9999 && f.settling < into.predicted.settling);
                    else
                        better = f.settling < into.predicted.settling - 1e-9;
                    if (better) {
                        into.ok = true;
                        into.gains = lg;
                        into.omega = w;
                        into.zeta = zeta;
                        into.alpha = alpha;
                        into.phaseMargin = margin;
                        into.predicted = f;
                    }
                    // Stiffness only falls from here; settling rarely improves for long.
                    if (style == TuneStyle::Stiff) break;
                    if (shapeBest < 0 || f.settling < shapeBest) {
                        shapeBest = f.settling;
                        worse = 0;
                    } else if (++worse >= 3) {
                        break;
                    }
                } else if (shapeBest >= 0 && ++worse >= 3) {
                    break;
                }
            }
        }
    // The sampled placement's fastest steps can sit on an edge the continuous
    // one keeps away from: a little more friction than identified and the
    // step leaves the band once more and settles far later. Friction is what
    // the identification knows least well, so the sampled design is taken
    // where it settles sooner and, with the friction a fifth off either way,
    // no later than the continuous one.
    if (placedSampled.ok) {
        bool take = !best.ok;
        if (!take && style == TuneStyle::Stiff) {
            take = placedSampled.gains.kp > best.gains.kp * 1.0001;
        } else if (!take) {
            auto latest = [&](const Design& d) {
                double worst = d.predicted.settling;
                for (double f : {0.8, 1.2}) {
                    ModelAxis off = axis;
                    off.plant.coulomb *= f;
                    ModelResponse r = SimulateModel(off, d.gains, command, ticks);
                    StepFigures sf = MeasureStep(r.actual.data(), r.optimal.data(), r.actual.size(), axis.period);
                    worst = std::max(worst, sf.Settled() ? sf.settling : static_cast<double>(ticks) * axis.period);
                }
                return worst;
            };
            take = placedSampled.predicted.settling < best.predicted.settling - 1e-9 &&
                   latest(placedSampled) <= latest(best) + 1e-9;
            best.simulations += 4;
        }
        if (take) {
            placedSampled.simulations = best.simulations;
            placedSampled.derivativeTicks = best.derivativeTicks;
            best = placedSampled;
        }
    }
    if (!best.ok) {
        if (!anyNoise) best.reason = "even slow gains would make the encoder noise through D too large";
        else if (!anyMargin) best.reason = "no gains keep a phase margin of 45 degrees";
        else best.reason = "no gains meet the response style within the record time";
    }
    return best;
}

}  // namespace
