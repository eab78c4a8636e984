#pragma once

// One row of the benchmark table that scripts/bench.sh prints. Every benchmark program prints its rows as
// "ROW\t" followed by the seven fields; the script collects the rows of every program. Figures are measured
// side by side: the program and its reference interleaved, several repetitions, the ratio of each pair.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace qxbench {

struct TBenchRow {
    std::string sFigure;    // what is measured, with its unit: "parser MB/s", "report load 86,400 rows (s)"
    std::string sProgram;   // this program's median value, as text
    std::string sReference; // the reference's median value; empty when the figure has none
    double fRatioMin = 0;   // program / reference per pair; without reference: the program's own values
    double fRatioMedian = 0;
    double fRatioMax = 0;
    std::string sTarget; // operator and number: "<=1.5", ">=100000"
};

inline void PrintRow(const TBenchRow& r) {
    std::printf("ROW\t%s\t%s\t%s\t%.3f\t%.3f\t%.3f\t%s\n", r.sFigure.c_str(), r.sProgram.c_str(),
                r.sReference.c_str(), r.fRatioMin, r.fRatioMedian, r.fRatioMax, r.sTarget.c_str());
    std::fflush(stdout);
}

inline double Median(std::vector<double> a) {
    if (a.empty())
        return 0;
    std::sort(a.begin(), a.end());
    const size_t n = a.size();
    return n % 2 ? a[n / 2] : (a[n / 2 - 1] + a[n / 2]) / 2;
}

// Seconds one call of f takes on the wall clock.
inline double TimeSeconds(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

struct TPairedTimes {
    std::vector<double> aProgram;
    std::vector<double> aReference;
    std::vector<double> aRatio; // program / reference, per repetition
};

// Runs program and reference alternately iReps times (the order swapped every repetition, so neither
// always runs on a warmer cache) and keeps each pair's ratio.
inline TPairedTimes MeasurePaired(const std::function<void()>& fnProgram,
                                  const std::function<void()>& fnReference, int iReps = 5) {
    TPairedTimes r;
    for (int i = 0; i < iReps; ++i) {
        double p = 0, q = 0;
        if (i % 2 == 0) {
            p = TimeSeconds(fnProgram);
            q = TimeSeconds(fnReference);
        } else {
            q = TimeSeconds(fnReference);
            p = TimeSeconds(fnProgram);
        }
        r.aProgram.push_back(p);
        r.aReference.push_back(q);
        r.aRatio.push_back(q > 0 ? p / q : 0);
    }
    return r;
}

// A time-ratio row: program and reference medians in seconds, the ratios' min, median and max.
inline TBenchRow RatioRow(const std::string& sFigure, const TPairedTimes& t, const std::string& sTarget) {
    char sp[32], sr[32];
    std::snprintf(sp, sizeof sp, "%.4f", Median(t.aProgram));
    std::snprintf(sr, sizeof sr, "%.4f", Median(t.aReference));
    const auto [mn, mx] = std::minmax_element(t.aRatio.begin(), t.aRatio.end());
    return {sFigure, sp, sr, t.aRatio.empty() ? 0 : *mn, Median(t.aRatio), t.aRatio.empty() ? 0 : *mx,
            sTarget};
}

// A row without reference: the figure's own values (in the unit its name states) in the value columns.
inline TBenchRow ValueRow(const std::string& sFigure, const std::vector<double>& aValues,
                          const std::string& sTarget) {
    char sp[32];
    std::snprintf(sp, sizeof sp, "%.3f", Median(aValues));
    const auto [mn, mx] = std::minmax_element(aValues.begin(), aValues.end());
    return {sFigure, sp, "", aValues.empty() ? 0 : *mn, Median(aValues), aValues.empty() ? 0 : *mx, sTarget};
}

} // namespace qxbench
