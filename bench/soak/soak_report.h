#pragma once

#include <filesystem>
#include <ostream>
#include <vector>

namespace besedka::soak {

// What the run looked like at one moment, and over the interval before it.
struct Sample {
    double seconds = 0;
    long steps = 0;
    long paneLines = 0;
    long transcriptLines = 0;
    double paneKiloChars = 0;
    double treeMB = 0;
    double rssMB = 0;
    double heapMB = 0;  // bytes the C library's heap has handed out and not got back
    double listsMB = 0; // of those, the engine's lists of pane and transcript lines
    double stepMedianMs = 0;
    double stepMaxMs = 0;
    double stepCpuMedianMs = 0; // the GUI thread's CPU time in a step
    double paneMsPerStep = 0;   // adding the step's lines to the pane, in the step
    // Between two steps: the 1 ms wait and everything else the window does
    // (painting, input, status bar).
    double gapMsPerStep = 0;
    double inputMaxMs = 0; // slowest probed input of the interval
};

struct Latency {
    bool menu = false;
    double ms = 0;
    double seconds = 0; // when it was handled
    double treeMB = 0;  // the tree's size at the last sample before
};

struct EndFigures {
    int lostInputs = 0;
    int errorBoxes = 0;
    double seconds = 0;
    // The pane's lines built into a second, unshown pane at the end: heap MB.
    double rebuiltPaneMB = 0;
    double listsMB = 0;
};

void printReport(std::ostream& out, const std::vector<Sample>& samples,
                 const std::vector<double>& stepMs, const std::vector<Latency>& latencies,
                 const EndFigures& end);
void writeCsv(const std::filesystem::path& file, const std::vector<Sample>& samples);

} // namespace besedka::soak
