#include "soak_run.h"

#include "chat/dialogue_pane.h"
#include "chat/editor_dialog.h"
#include "chat/main_window.h"
#include "chat/spin_edit.h"
#include "soak_stats.h"
#include "x_input.h"

#include <X11/keysym.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QTimer>

#include <malloc.h>
#include <time.h>

#include <fstream>
#include <iostream>
#include <string>

namespace besedka::soak {
namespace {

using std::chrono::milliseconds;
constexpr double kMegabyte = 1024.0 * 1024.0;
constexpr auto kStartDelay = milliseconds(1500); // the start-up load and the first shake
constexpr auto kInputTimeout = std::chrono::seconds(5);

double msBetween(std::chrono::steady_clock::time_point from,
                 std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// CPU time of the calling thread: the GUI thread's work without its waits.
double threadCpuMs() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

double rssMB() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024.0;
        }
    }
    return 0;
}

double heapMB() {
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / kMegabyte;
}

// What a string holds in the heap: nothing while it fits in the object.
double heapBytes(const std::string& text) {
    const std::string empty;
    return text.capacity() > empty.capacity() ? static_cast<double>(text.capacity() + 1) : 0;
}

// The engine's own lists of the pane's lines and of the transcript.
double lineListsMB(const Dialogue& dialogue) {
    double bytes = static_cast<double>(dialogue.pane().capacity() * sizeof(PaneLine) +
                                       dialogue.transcript().capacity() * sizeof(std::string));
    for (const PaneLine& line : dialogue.pane()) {
        bytes += heapBytes(line.text) + heapBytes(line.format.font.face);
    }
    for (const std::string& line : dialogue.transcript()) {
        bytes += heapBytes(line);
    }
    return bytes / kMegabyte;
}

template <typename T> T& partOf(const QObject& owner, const char* name) {
    T* found = owner.findChild<T*>(QLatin1String(name));
    if (found == nullptr) {
        qFatal("selftalk_soak: the window has no part named %s", name);
    }
    return *found;
}

void pause(milliseconds time) {
    std::this_thread::sleep_for(time);
}

} // namespace

void TimedPaneObserver::paneLineAppended(const PaneLine& line) {
    const auto from = std::chrono::steady_clock::now();
    pane_.paneLineAppended(line);
    totalMs_ += msBetween(from, std::chrono::steady_clock::now());
}

void TimedPaneObserver::paneLastLineRemoved() {
    pane_.paneLastLineRemoved();
}

void TimedPaneObserver::paneCleared() {
    pane_.paneCleared();
}

SoakRun::SoakRun(MainWindow& window, SoakOptions options)
    : QObject(&window), window_(window), options_(std::move(options)),
      pane_(&partOf<DialoguePane>(window, "pane")),
      selfTalkTimer_(&partOf<QTimer>(window, "selfTalkTimer")), timedPane_(*pane_) {
    qApp->installEventFilter(this);
    connect(&window, &MainWindow::closed, this, [this] { qApp->removeEventFilter(this); });
    // Connected after the window's own handler: runs when the step is done.
    connect(selfTalkTimer_, &QTimer::timeout, this, [this] { stepEnded(); });
    connect(&partOf<QMenu>(window, "helpMenu"), &QMenu::aboutToShow, this,
            [this] { arrived(Probe::Menu); });
    QTimer::singleShot(kStartDelay, this, [this] { startSelfTalk(); });
}

SoakRun::~SoakRun() = default;

void SoakRun::startSelfTalk() {
    // The self-talk interval, typed into the editor dialog and confirmed.
    partOf<QAction>(window_, "editorItem").trigger();
    auto& editor = partOf<EditorDialog>(window_, "editorDialog");
    partOf<SpinEdit>(editor, "intervalField").setText(QStringLiteral("1"));
    partOf<QPushButton>(editor, "okButton").click();
    if (editor.interval() != 1 || editor.isVisible()) {
        qFatal("selftalk_soak: the editor did not take the interval");
    }
    partOf<QAction>(window_, "cpuCpuItem").trigger();
    window_.engine().dialogue().setObserver(&timedPane_);

    QMenuBar* bar = window_.menuBar();
    const QRect title = bar->actionGeometry(partOf<QMenu>(window_, "helpMenu").menuAction());
    menuPoint_ = bar->mapToGlobal(title.center());
    windowId_ = static_cast<unsigned long>(window_.winId());

    start_ = Clock::now();
    lastMark_ = Mark{start_, 0, 0, 0};
    auto* sampler = new QTimer(this);
    sampler->setInterval(options_.sampleSeconds * 1000);
    connect(sampler, &QTimer::timeout, this, [this] { takeSample(); });
    sampler->start();
    QTimer::singleShot(milliseconds(options_.seconds * 1000), this, [this, sampler] {
        sampler->stop();
        finish();
    });
    sender_ = std::jthread([this](const std::stop_token& stop) { sendInput(stop); });
}

bool SoakRun::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Timer:
        if (watched == selfTalkTimer_) {
            stepStart_ = Clock::now();
            stepCpuStartMs_ = threadCpuMs();
            inStep_ = true;
        }
        break;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == expectedKey_.load()) {
            arrived(Probe::Key);
        }
        break;
    case QEvent::Show:
        if (qobject_cast<QMessageBox*>(watched) != nullptr) {
            ++errorBoxes_;
        }
        break;
    default:
        break;
    }
    return false;
}

void SoakRun::stepEnded() {
    if (!inStep_) {
        return;
    }
    inStep_ = false;
    const double ms = msBetween(stepStart_, Clock::now());
    ++steps_;
    stepMsTotal_ += ms;
    intervalSteps_.push_back(ms);
    intervalStepsCpu_.push_back(threadCpuMs() - stepCpuStartMs_);
    stepMs_.push_back(ms);
}

double SoakRun::secondsSinceStart() const {
    return msBetween(start_, Clock::now()) / 1000.0;
}

void SoakRun::takeSample() {
    const Mark now{Clock::now(), steps_, stepMsTotal_, timedPane_.totalMs()};
    const double wallMs = msBetween(lastMark_.at, now.at);
    const auto steps = static_cast<double>(now.steps - lastMark_.steps);
    const double stepMs = now.stepMs - lastMark_.stepMs;
    const double paneMs = now.paneMs - lastMark_.paneMs;

    Sample sample;
    sample.seconds = secondsSinceStart();
    sample.steps = steps_;
    sample.paneLines = pane_->lineCount();
    sample.transcriptLines = static_cast<long>(window_.engine().dialogue().transcript().size());
    sample.paneKiloChars = pane_->document()->characterCount() / 1000.0;
    std::error_code error;
    const auto treeBytes = std::filesystem::file_size(options_.treeFile, error);
    sample.treeMB = error ? 0 : static_cast<double>(treeBytes) / kMegabyte;
    sample.rssMB = rssMB();
    sample.heapMB = heapMB();
    sample.listsMB = lineListsMB(window_.engine().dialogue());
    sample.stepMedianMs = percentile(intervalSteps_, 0.5);
    sample.stepMaxMs = maximum(intervalSteps_);
    sample.stepCpuMedianMs = percentile(intervalStepsCpu_, 0.5);
    if (steps > 0) {
        sample.paneMsPerStep = paneMs / steps;
        sample.gapMsPerStep = (wallMs - stepMs) / steps;
    }
    sample.inputMaxMs = intervalInputMax_;
    samples_.push_back(sample);

    intervalSteps_.clear();
    intervalStepsCpu_.clear();
    intervalInputMax_ = 0;
    lastMark_ = now;
    if (static_cast<int>(sample.seconds) % 60 < options_.sampleSeconds) {
        std::cerr << "selftalk_soak: " << static_cast<int>(sample.seconds) << " s, " << sample.steps
                  << " steps, " << sample.paneLines << " pane lines, tree " << sample.treeMB
                  << " MB, step " << sample.stepMedianMs << " ms\n";
    }
}

void SoakRun::finish() {
    takeSample();
    sender_.request_stop();
    finishWhenSenderDone();
}

// The sender ends its round of input first, which the event loop must handle.
void SoakRun::finishWhenSenderDone() {
    if (!senderDone_) {
        QTimer::singleShot(milliseconds(10), this, [this] { finishWhenSenderDone(); });
        return;
    }
    sender_.join();
    partOf<QAction>(window_, "cpuUserItem").trigger();
    QTimer::singleShot(milliseconds(1000), this, [this] {
        report();
        sayFarewell();
    });
}

void SoakRun::report() {
    if (!options_.screenshot.empty()) {
        const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
        if (!screen.save(QString::fromStdString(options_.screenshot.string()))) {
            std::cerr << "selftalk_soak: cannot save " << options_.screenshot << '\n';
        }
    }
    EndFigures end;
    end.lostInputs = lost_.load();
    end.errorBoxes = errorBoxes_;
    end.seconds = samples_.empty() ? 0 : samples_.back().seconds;
    // The pane's document built once more, unshown, from the same lines: what
    // the lines cost in the heap, apart from everything else of the run.
    const double before = heapMB();
    {
        DialoguePane copy;
        copy.resize(pane_->size());
        for (const PaneLine& line : window_.engine().dialogue().pane()) {
            copy.paneLineAppended(line);
        }
        copy.document()->size(); // lays the whole document out
        end.rebuiltPaneMB = heapMB() - before;
    }
    end.listsMB = lineListsMB(window_.engine().dialogue());
    printReport(std::cout, samples_, stepMs_, latencies_, end);
    std::cout.flush();
    if (!options_.csv.empty()) {
        writeCsv(options_.csv, samples_);
    }
}

void SoakRun::sayFarewell() {
    // Typed and sent with Insert as a user would; the window's closing drift
    // writes the dialogue log and ends the program.
    XInput x;
    if (!x.ok()) {
        qFatal("selftalk_soak: cannot open the X display for the farewell");
    }
    x.focus(windowId_);
    x.tap(XK_End);
    for (int i = 0; i < 3; ++i) {
        x.tap(XK_BackSpace);
    }
    x.tap(XK_b, true);
    x.tap(XK_y, true);
    x.tap(XK_Insert);
    QTimer::singleShot(std::chrono::seconds(30), this, [] {
        std::cerr << "selftalk_soak: the farewell did not end the program\n";
        QCoreApplication::exit(3);
    });
}

// Sender thread: every period a key press and a backspace into the input
// field, then a click on the menu bar's help menu and Escape to close it.
void SoakRun::sendInput(const std::stop_token& stop) {
    XInput x;
    if (!x.ok()) {
        lost_ = -1;
        senderDone_ = true;
        return;
    }
    x.focus(windowId_);
    const milliseconds half(options_.inputPeriodMs / 2);
    for (;;) {
        for (auto waited = milliseconds(0); waited < half; waited += milliseconds(10)) {
            if (stop.stop_requested()) {
                senderDone_ = true;
                return;
            }
            pause(milliseconds(10));
        }
        measure(Probe::Key, Qt::Key_A, [&] { x.key(XK_a, true); });
        x.key(XK_a, false);
        pause(milliseconds(100));
        measure(Probe::Key, Qt::Key_Backspace, [&] { x.key(XK_BackSpace, true); });
        x.key(XK_BackSpace, false);
        pause(half);
        x.moveTo(menuPoint_.x(), menuPoint_.y());
        pause(milliseconds(50));
        measure(Probe::Menu, 0, [&] { x.button(1, true); });
        x.button(1, false);
        pause(milliseconds(300));
        measure(Probe::Key, Qt::Key_Escape, [&] { x.key(XK_Escape, true); });
        x.key(XK_Escape, false);
    }
}

void SoakRun::measure(Probe kind, int qtKey, const std::function<void()>& send) {
    expectedKey_ = qtKey;
    handled_ = false;
    sentAt_ = Clock::now().time_since_epoch().count();
    pending_ = kind;
    send();
    const auto deadline = Clock::now() + kInputTimeout;
    while (!handled_ && Clock::now() < deadline) {
        pause(milliseconds(1));
    }
    if (!handled_) {
        pending_ = Probe::None;
        ++lost_;
        std::cerr << "selftalk_soak: " << (kind == Probe::Menu ? "a menu click" : "a key press")
                  << " sent at " << secondsSinceStart() << " s was never handled\n";
    }
}

void SoakRun::arrived(Probe kind) {
    if (pending_.load() != kind) {
        return;
    }
    const Clock::time_point sent{Clock::duration(sentAt_.load())};
    const double ms = msBetween(sent, Clock::now());
    pending_ = Probe::None;
    latencies_.push_back({kind == Probe::Menu, ms, secondsSinceStart(),
                          samples_.empty() ? 0 : samples_.back().treeMB});
    intervalInputMax_ = std::max(intervalInputMax_, ms);
    handled_ = true;
}

} // namespace besedka::soak
