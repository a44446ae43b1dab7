#pragma once

#include "FaultInjector.h"
#include "Lamps.h"
#include "LaserProfile.h"
#include "MainWindow.h"
#include "SimLaser.h"
#include "SimLink.h"
#include "SimPortProvider.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace tarvex::panel::test {

// The panel's dialogs as a test sees them: every box is recorded instead of shown, questions
// take the queued answers (No when none is queued), and the exit is caught.
class RecordingDialogs final : public PanelDialogs {
public:
    enum class Kind { Information, Warning, Critical, Question };
    struct Message {
        Kind kind;
        QString text;
        QString title = kPanelTitle;
    };
    // A file or directory dialog as it was asked.
    struct FileRequest {
        QString caption;
        QString start; // the start directory or the proposed name
        QString filter;
    };

    std::vector<Message> messages;
    std::deque<bool> answers;
    std::deque<std::optional<int>> numbers;
    // The answers of the file and directory dialogs, in order; cancelled when none is queued.
    std::deque<QString> files;
    std::vector<FileRequest> fileRequests;
    std::vector<int> exits;
    // Documents handed to the desktop, and whether it opens them.
    std::vector<QString> documents;
    bool documentsOpen = true;
    int progressShown = 0;
    int progressOpen = 0;
    // Every label the progress dialogs showed, and the last value and maximum.
    std::vector<QString> progressLabels;
    int progressValue = 0;
    int progressMaximum = 0;
    // Runs inside every message box, as the box's own event loop would run the queued events.
    std::function<void()> whileShown;
    // Runs at every progress report, where the window processes its events.
    std::function<void()> whileInProgress;

    std::vector<QString> Texts(Kind kind) const;
    void Clear() { messages.clear(); }

    void Information(QWidget*, const QString& text) override { Show(Kind::Information, text); }
    void Warning(QWidget*, const QString& text) override { Show(Kind::Warning, text); }
    void Critical(QWidget*, const QString& text) override { Show(Kind::Critical, text); }
    bool Question(QWidget*, const QString& text) override;
    void TitledMessage(QWidget*, MessageKind kind, const QString& title,
                       const QString& text) override;
    // The answers of the text input dialogs, in order (a null string, or none queued, cancels),
    // and the labels they were asked with.
    std::deque<QString> textAnswers;
    std::vector<QString> textLabels;
    std::optional<QString> GetText(QWidget*, const QString&, const QString& label,
                                   const QString&) override;
    std::optional<int> GetInt(QWidget*, const QString&, const QString&, int, int, int) override;
    QString GetExistingDirectory(QWidget*, const QString& caption,
                                 const QString& directory) override {
        return File({caption, directory, {}});
    }
    QString GetOpenFileName(QWidget*, const QString& caption, const QString& directory,
                            const QString& filter) override {
        return File({caption, directory, filter});
    }
    QString GetSaveFileName(QWidget*, const QString& caption, const QString& proposed,
                            const QString& filter) override {
        return File({caption, proposed, filter});
    }
    std::unique_ptr<ProgressDialog> ShowProgress(QWidget*, const QString& label,
                                                 int maximum) override;
    bool OpenDocument(const QString& path) override {
        documents.push_back(path);
        return documentsOpen;
    }
    void Exit(int code) override { exits.push_back(code); }

private:
    void Show(Kind kind, const QString& text, const QString& title = kPanelTitle);
    QString File(const FileRequest& request);
};

class FakeScreens final : public ScreenInfo {
public:
    QList<QRect> geometries{QRect(0, 0, 1920, 1080)};
    int dpi = 96;
    QList<QRect> ScreenGeometries() const override { return geometries; }
    int LogicalDpiX(const QWidget&) const override { return dpi; }
};

// The real main window on a simulated laser in the same process, on simulated time: the
// heartbeat runs one cycle per Tick, which then runs the status timer's slot.
struct PanelRig {
    explicit PanelRig(sim::LaserProfile profile = sim::LaserProfile::Default());
    ~PanelRig();

    ManualClock clock;
    sim::SimLaser laser;
    sim::FaultInjector faults;
    sim::SimLink link{laser, faults};
    RecordingDialogs dialogs;
    FakeScreens screens;
    sim::SimPortProvider* ports = nullptr; // owned by the window once started
    std::unique_ptr<MainWindow> window;

    // Builds the window with these arguments; the laser answers on the port "/dev/ttySIM0"
    // unless `withLaser` is false. The status timer is stopped: Tick runs it.
    void Start(const QStringList& arguments = {}, bool withLaser = true);
    // Builds the window with "-demo" and nothing else: it finds its own built-in laser (on this
    // rig's clock; the rig's laser stays unused).
    void StartDemo();
    // One heartbeat cycle 500 ms on, then the status timer's slot and the queued events.
    void Tick(int count = 1);
    // Ticks until `done` holds, at most `limit` times; whether it came to hold.
    bool TickUntil(const std::function<bool()>& done, int limit = 200);

    KTarvexController& Controller() { return window->Controller(); }
    void Click(const char* button);
    template <typename Widget> Widget* Find(const char* name) const {
        auto* widget = window->findChild<Widget*>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    QString Text(const char* label) const;
    // Which lamp a label or button shows.
    bool Shows(const char* widget, Lamp lamp) const;

    // The laser armed, with its TECs settled.
    void Arm();
    // The laser armed, TECs settled and tuned to `wavenumber` on QCL `qcl`.
    void ArmAndTune(float wavenumber = 1650.0f, std::uint8_t qcl = 2);

private:
    void Build(const QStringList& arguments, std::unique_ptr<PortProvider> machinePorts);

    std::unique_ptr<sim::SimPortProvider> ownedPorts_;
};

// The process set up for the panel's tests: the offscreen platform (unless another is chosen),
// settings, runtime files and a current directory of its own, the application object and its
// names.
class PanelTestApplication {
public:
    PanelTestApplication(int& argc, char** argv);
    ~PanelTestApplication();

private:
    QTemporaryDir files_;
    std::unique_ptr<QApplication> application_;
};

} // namespace tarvex::panel::test

#define TARVEX_PANEL_TEST_MAIN(TestClass)                                                          \
    int main(int argc, char** argv) {                                                              \
        tarvex::panel::test::PanelTestApplication application(argc, argv);                         \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
