// A registry of benchmark stages: each stage_*.cpp registers one and prints its figures as "name: value".
#pragma once

#include <functional>
#include <vector>

#include <QString>

namespace bench {

struct Options {
    int files = 100000;
    int runs = 20;
};

struct Stage {
    QString name;
    int order = 0; // stages run in ascending order
    bool needsGui = false; // stage needs a QApplication (widgets)
    std::function<void(const Options&)> run;
};

std::vector<Stage>& stages();

struct Register {
    explicit Register(Stage stage);
};

// Median of the samples, in the samples' unit.
double median(std::vector<double> samples);

// Peak resident set size of this process, in MiB (from /proc/self/status VmHWM).
double peakRssMb();

// Resident set size of this process now, in MiB (VmRSS).
double rssMb();

// Starts counting the peak resident set size afresh (Linux clears VmHWM on "5" in /proc/self/clear_refs), so a
// stage reports its own peak rather than an earlier stage's.
void resetPeakRss();

// Prints one figure line "name: value".
void print(const char* name, double value);

} // namespace bench
