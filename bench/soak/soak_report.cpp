#include "soak_report.h"

#include "soak_stats.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

namespace besedka::soak {
namespace {

std::string format(const char* pattern, auto... values) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, values...);
    return buffer;
}

void printLatencies(std::ostream& out, const char* what, const std::vector<Latency>& all,
                    bool menu) {
    std::vector<double> ms;
    for (const Latency& latency : all) {
        if (latency.menu == menu) {
            ms.push_back(latency.ms);
        }
    }
    const auto slow = std::count_if(ms.begin(), ms.end(), [](double v) { return v > 100; });
    out << format("  %-12s %5zu sent, median %6.1f ms, 99th percentile %6.1f ms, max %6.1f ms, "
                  "over 100 ms: %ld\n",
                  what, ms.size(), percentile(ms, 0.5), percentile(ms, 0.99), maximum(ms),
                  static_cast<long>(slow));
}

template <typename Field> std::vector<double> column(const std::vector<Sample>& s, Field field) {
    std::vector<double> values;
    values.reserve(s.size());
    for (const Sample& sample : s) {
        values.push_back(static_cast<double>(sample.*field));
    }
    return values;
}

// The heap held for the pane's lines at a sample: the document at the rate
// measured at the end (it grows by the line), and the engine's lists.
struct PaneMemory {
    double documentMBPerLine = 0;
    double base = 0; // the heap of the first sample without its pane lines
    double of(const Sample& s) const {
        return documentMBPerLine * static_cast<double>(s.paneLines) + s.listsMB;
    }
    // The rest of the heap, beyond the start, per MB of tree.
    double restPerTreeMB(const Sample& s) const {
        return s.treeMB > 0 ? (s.heapMB - of(s) - base) / s.treeMB : 0;
    }
};

PaneMemory paneMemory(const std::vector<Sample>& samples, const EndFigures& end) {
    PaneMemory memory;
    const auto lines = static_cast<double>(samples.back().paneLines);
    memory.documentMBPerLine = lines > 0 ? end.rebuiltPaneMB / lines : 0;
    memory.base = samples.front().heapMB - memory.of(samples.front());
    return memory;
}

void printTable(std::ostream& out, const std::vector<Sample>& samples, const PaneMemory& memory) {
    // "of it pane": the heap held for the pane's lines; "rest/tree MB": the
    // rest of the heap beyond the start per MB of tree.
    out << "      s  steps  pane lines  transcript  tree MB  RSS MB  heap MB  of it pane  "
           "rest/tree MB  step ms med / max  CPU ms  CPU ms/tree MB  pane ms/step  gap ms/step  "
           "input max ms\n";
    const std::size_t rows = std::min<std::size_t>(samples.size(), 11);
    for (std::size_t r = 0; r < rows; ++r) {
        const std::size_t i = rows == 1 ? 0 : r * (samples.size() - 1) / (rows - 1);
        const Sample& s = samples[i];
        out << format("  %5.0f  %5ld  %10ld  %10ld  %7.2f  %6.1f  %7.1f  %10.1f  %12.2f  %7.1f / "
                      "%6.1f  %6.1f  %14.2f  %12.2f  %11.2f  %12.1f\n",
                      s.seconds, s.steps, s.paneLines, s.transcriptLines, s.treeMB, s.rssMB,
                      s.heapMB, memory.of(s), memory.restPerTreeMB(s), s.stepMedianMs, s.stepMaxMs,
                      s.stepCpuMedianMs, s.treeMB > 0 ? s.stepCpuMedianMs / s.treeMB : 0.0,
                      s.paneMsPerStep, s.gapMsPerStep, s.inputMaxMs);
    }
}

void printMemory(std::ostream& out, const std::vector<Sample>& samples, const EndFigures& end,
                 const PaneMemory& memory) {
    const Sample& first = samples.front();
    const Sample& last = samples.back();
    const auto lines = static_cast<double>(last.paneLines);
    out << format("  heap in use %.1f -> %.1f MB, RSS %.1f -> %.1f MB (%.0f s to the end)\n",
                  first.heapMB, last.heapMB, first.rssMB, last.rssMB, first.seconds);
    out << format("  for the pane's %ld lines at the end: the document %.1f MB (the lines built "
                  "again in an unshown pane), the engine's lists of pane and transcript lines "
                  "%.1f MB: %.2f MB per 10,000 pane lines\n",
                  last.paneLines, end.rebuiltPaneMB, end.listsMB,
                  lines > 0 ? (end.rebuiltPaneMB + end.listsMB) * 10000 / lines : 0.0);
    out << format("  the rest of the heap beyond the start: %.1f MB, %.2f MB per MB of tree (the "
                  "column rest/tree MB over the run)\n",
                  last.heapMB - memory.of(last) - memory.base, memory.restPerTreeMB(last));
    out << format("  RSS above the heap in use at the end: %.1f MB (freed blocks kept for the next "
                  "step's buffers, the program's libraries)\n",
                  last.rssMB - last.heapMB);
}

void printStepFit(std::ostream& out, const std::vector<Sample>& samples) {
    std::vector<Sample> busy;
    std::copy_if(samples.begin(), samples.end(), std::back_inserter(busy),
                 [](const Sample& s) { return s.stepMedianMs > 0; });
    const auto tree = column(busy, &Sample::treeMB);
    for (const auto& [what, field] :
         {std::pair{"wall", &Sample::stepMedianMs}, std::pair{"CPU ", &Sample::stepCpuMedianMs}}) {
        const Fit fit = fitOne(tree, column(busy, field));
        out << format("  step %s = %5.2f ms + %5.2f ms per MB of tree (rms residual %5.2f ms)\n",
                      what, fit.intercept, fit.slope, fit.rmsResidual);
    }
}

} // namespace

void printReport(std::ostream& out, const std::vector<Sample>& samples,
                 const std::vector<double>& stepMs, const std::vector<Latency>& latencies,
                 const EndFigures& end) {
    out << format("Long self-talk run: %.0f s in Cpu\\Cpu, self-talk interval 1 ms\n", end.seconds);
    if (samples.empty()) {
        out << "  no samples\n";
        return;
    }
    const Sample& last = samples.back();
    out << format("  %ld steps (%.1f a second), %ld pane lines, %ld transcript lines, tree %.2f "
                  "MB at %.0f s\n",
                  last.steps, static_cast<double>(last.steps) / std::max(last.seconds, 1.0),
                  last.paneLines, last.transcriptLines, last.treeMB, last.seconds);
    out << format("  steps: median %.1f ms, max %.1f ms\n\n", percentile(stepMs, 0.5),
                  maximum(stepMs));

    out << "Input while it talks (real X input, timed from sending to the handler):\n";
    printLatencies(out, "key presses", latencies, false);
    printLatencies(out, "menu clicks", latencies, true);
    const auto slow = std::find_if(latencies.begin(), latencies.end(),
                                   [](const Latency& latency) { return latency.ms > 100; });
    if (slow != latencies.end()) {
        out << format(
            "  the first input over 100 ms: %.0f ms at %.0f s, with the tree at %.1f MB\n",
            slow->ms, slow->seconds, slow->treeMB);
    }
    out << format("  inputs never handled: %d; error boxes shown: %d\n\n", end.lostInputs,
                  end.errorBoxes);

    const PaneMemory memory = paneMemory(samples, end);
    out << "Over the run (samples; pane ms/step: adding the step's lines to the pane; gap: "
           "between two steps):\n";
    printTable(out, samples, memory);
    out << "\nMemory:\n";
    printMemory(out, samples, end, memory);
    out << "\nStep time against the tree (medians of the samples):\n";
    printStepFit(out, samples);
}

void writeCsv(const std::filesystem::path& file, const std::vector<Sample>& samples) {
    std::ofstream out(file);
    out << "seconds,steps,pane_lines,transcript_lines,pane_kchars,tree_mb,rss_mb,heap_mb,lists_mb,"
           "step_median_ms,step_max_ms,step_cpu_median_ms,pane_ms_per_step,gap_ms_per_step,"
           "input_max_ms\n";
    for (const Sample& s : samples) {
        out << format("%.1f,%ld,%ld,%ld,%.1f,%.4f,%.2f,%.2f,%.3f,%.3f,%.3f,%.3f,%.4f,%.4f,%.2f\n",
                      s.seconds, s.steps, s.paneLines, s.transcriptLines, s.paneKiloChars, s.treeMB,
                      s.rssMB, s.heapMB, s.listsMB, s.stepMedianMs, s.stepMaxMs, s.stepCpuMedianMs,
                      s.paneMsPerStep, s.gapMsPerStep, s.inputMaxMs);
    }
}

} // namespace besedka::soak
