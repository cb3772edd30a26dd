#pragma once

#include "soak_report.h"
#include "talk/dialogue.h"

#include <QObject>
#include <QPoint>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

class QAction;
class QTimer;

namespace besedka {
class DialoguePane;
class MainWindow;
} // namespace besedka

namespace besedka::soak {

struct SoakOptions {
    int seconds = 600;
    int sampleSeconds = 5;
    int inputPeriodMs = 2000;
    std::filesystem::path treeFile; // Base\Words.Dat in the working directory
    std::filesystem::path screenshot;
    std::filesystem::path csv;
};

// Forwards the engine's pane changes to the pane and adds up their time.
class TimedPaneObserver final : public PaneObserver {
  public:
    explicit TimedPaneObserver(PaneObserver& pane) : pane_(pane) {}
    void paneLineAppended(const PaneLine& line) override;
    void paneLastLineRemoved() override;
    void paneCleared() override;
    double totalMs() const { return totalMs_; }

  private:
    PaneObserver& pane_;
    double totalMs_ = 0;
};

// The long self-talk run of a shown main window: switches it to Cpu\Cpu with
// the editor's interval at 1 ms, sends it real key presses and menu clicks
// from a second thread while it talks, samples what grows, and at the end
// prints the figures, takes a screenshot and says a farewell, which ends the
// program as a user's would.
class SoakRun final : public QObject {
    Q_OBJECT

  public:
    SoakRun(MainWindow& window, SoakOptions options);
    ~SoakRun() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    using Clock = std::chrono::steady_clock;
    enum class Probe { None, Key, Menu };

    void startSelfTalk();
    void stepEnded();
    void takeSample();
    void finish();
    void finishWhenSenderDone();
    void report();
    void sayFarewell();

    // Sender thread.
    void sendInput(const std::stop_token& stop);
    void measure(Probe kind, int qtKey, const std::function<void()>& send);
    // GUI thread: the probed event arrived at its handler.
    void arrived(Probe kind);
    double secondsSinceStart() const;

    MainWindow& window_;
    const SoakOptions options_;
    DialoguePane* pane_;
    QTimer* selfTalkTimer_;
    TimedPaneObserver timedPane_;
    QPoint menuPoint_;
    unsigned long windowId_ = 0;

    Clock::time_point start_;
    Clock::time_point stepStart_;
    bool inStep_ = false;
    long steps_ = 0;
    double stepMsTotal_ = 0;
    std::vector<double> intervalSteps_;
    std::vector<double> stepMs_; // every step of the run
    double stepCpuStartMs_ = 0;
    std::vector<double> intervalStepsCpu_;
    int errorBoxes_ = 0;

    struct Mark {
        Clock::time_point at;
        long steps = 0;
        double stepMs = 0;
        double paneMs = 0;
    } lastMark_;
    std::vector<Sample> samples_;
    std::vector<Latency> latencies_;
    double intervalInputMax_ = 0;

    // Shared with the sender thread.
    std::atomic<Probe> pending_{Probe::None};
    std::atomic<int> expectedKey_{0};
    std::atomic<Clock::rep> sentAt_{0};
    std::atomic<bool> handled_{false};
    std::atomic<int> lost_{0};
    std::atomic<bool> senderDone_{false};
    std::jthread sender_;
};

} // namespace besedka::soak
