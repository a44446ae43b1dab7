#include "PanelRig.h"

#include "Lamps.h"
#include "PanelSettings.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QTimer>

namespace tarvex::panel::test {

namespace {

class RecordedProgress final : public ProgressDialog {
public:
    explicit RecordedProgress(RecordingDialogs& dialogs) : dialogs_(dialogs) {
        ++dialogs_.progressOpen;
    }
    ~RecordedProgress() override { --dialogs_.progressOpen; }
    void SetValue(int value) override {
        dialogs_.progressValue = value;
        if (dialogs_.whileInProgress)
            dialogs_.whileInProgress();
    }
    void SetLabel(const QString& label) override { dialogs_.progressLabels.push_back(label); }
    void SetMaximum(int maximum) override { dialogs_.progressMaximum = maximum; }

private:
    RecordingDialogs& dialogs_;
};

// The next queued answer, or `none` when none is queued.
template <typename Answer> Answer Next(std::deque<Answer>& queue, Answer none = {}) {
    if (queue.empty())
        return none;
    Answer answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

QImage ImageOf(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

std::vector<QString> RecordingDialogs::Texts(Kind kind) const {
    std::vector<QString> texts;
    for (const Message& message : messages)
        if (message.kind == kind)
            texts.push_back(message.text);
    return texts;
}

void RecordingDialogs::Show(Kind kind, const QString& text, const QString& title) {
    messages.push_back({kind, text, title});
    if (whileShown)
        whileShown();
}

void RecordingDialogs::TitledMessage(QWidget*, MessageKind kind, const QString& title,
                                     const QString& text) {
    const Kind kinds[] = {Kind::Information, Kind::Warning, Kind::Critical};
    Show(kinds[static_cast<int>(kind)], text, title);
}

QString RecordingDialogs::File(const FileRequest& request) {
    fileRequests.push_back(request);
    return Next(files);
}

bool RecordingDialogs::Question(QWidget*, const QString& text) {
    Show(Kind::Question, text);
    return Next(answers, false);
}

std::optional<QString> RecordingDialogs::GetText(QWidget*, const QString&, const QString& label,
                                                 const QString&) {
    textLabels.push_back(label);
    const QString answer = Next(textAnswers);
    return answer.isNull() ? std::nullopt : std::optional<QString>(answer);
}

std::optional<int> RecordingDialogs::GetInt(QWidget*, const QString&, const QString&, int, int,
                                            int) {
    return Next(numbers);
}

std::unique_ptr<ProgressDialog> RecordingDialogs::ShowProgress(QWidget*, const QString& label,
                                                               int maximum) {
    ++progressShown;
    auto progress = std::make_unique<RecordedProgress>(*this);
    progress->SetLabel(label);
    progress->SetMaximum(maximum);
    return progress;
}

PanelRig::PanelRig(sim::LaserProfile profile)
    : laser(clock, std::move(profile)), ownedPorts_(std::make_unique<sim::SimPortProvider>(clock)) {
    ports = ownedPorts_.get();
}

PanelRig::~PanelRig() {
    window.reset();
}

void PanelRig::Start(const QStringList& arguments, bool withLaser) {
    if (withLaser)
        ports->AddPort("/dev/ttySIM0", link);
    Build(arguments, std::move(ownedPorts_));
}

void PanelRig::StartDemo() {
    ports = nullptr;
    Build({"-demo"}, nullptr);
}

void PanelRig::Build(const QStringList& arguments, std::unique_ptr<PortProvider> machinePorts) {
    PanelEnvironment environment;
    environment.dialogs = &dialogs;
    environment.screens = &screens;
    environment.clock = &clock;
    environment.ports = std::move(machinePorts);
    window = std::make_unique<MainWindow>(std::move(environment), arguments);
    if (QTimer* timer = window->StatusTimer())
        timer->stop();
    if (window->Controller().HeartbeatRunning())
        clock.AwaitWaitsBegun(1);
}

void PanelRig::Tick(int count) {
    for (int i = 0; i < count; ++i) {
        // Whether the heartbeat waits or still runs a cycle an exchange's wait let it start, it
        // is idle again once it has begun one more wait.
        const std::size_t waits = clock.WaitsBegun();
        clock.Advance(500);
        if (window->Controller().HeartbeatRunning())
            clock.AwaitWaitsBegun(waits + 1);
        window->Timeout();
        QCoreApplication::processEvents();
    }
}

bool PanelRig::TickUntil(const std::function<bool()>& done, int limit) {
    for (int i = 0; i < limit; ++i) {
        if (done())
            return true;
        Tick();
    }
    return done();
}

void PanelRig::Click(const char* button) {
    Find<QAbstractButton>(button)->click();
    QCoreApplication::processEvents();
}

QString PanelRig::Text(const char* label) const {
    if (auto* asLabel = window->findChild<QLabel*>(QLatin1String(label)))
        return asLabel->text();
    return Find<QAbstractButton>(label)->text();
}

bool PanelRig::Shows(const char* widget, Lamp lamp) const {
    const QImage expected = ImageOf(LampPixmap(lamp));
    if (expected.isNull())
        qFatal("the lamp icons are not in the program's resources");
    if (auto* label = window->findChild<QLabel*>(QLatin1String(widget)))
        return ImageOf(label->pixmap()) == expected;
    const QIcon icon = Find<QAbstractButton>(widget)->icon();
    return ImageOf(icon.pixmap(16, 16)) == expected;
}

void PanelRig::Arm() {
    Click("commandLinkButton_ArmDisarm");
    if (!TickUntil([&] {
            const std::uint32_t ready = status::kArmed | status::kTecsAtTemperature;
            return (Controller().StatusBits() & ready) == ready;
        }))
        qFatal("the laser did not arm");
}

void PanelRig::ArmAndTune(float wavenumber, std::uint8_t qcl) {
    Arm();
    if (!Controller().TuneToWW(wavenumber, units::kWavenumber, 0, qcl))
        qFatal("the tune did not start");
    window->Follow(PendingOperation::Tune);
    if (!TickUntil([&] {
            const ScanStatus s = Controller().GetScanStatus();
            return s.scanActive && !s.adjustingWavelength;
        }))
        qFatal("the laser did not tune");
    Tick();
}

PanelTestApplication::PanelTestApplication(int& argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The settings the tests write stay out of the user's own.
    qputenv("XDG_CONFIG_HOME", files_.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", files_.path().toLocal8Bit());
    application_ = std::make_unique<QApplication>(argc, argv);
    PanelSettings::SetApplicationNames();
    // The logs the panel writes into the current directory stay out of the build tree.
    QDir::setCurrent(files_.path());
}

PanelTestApplication::~PanelTestApplication() = default;

} // namespace tarvex::panel::test
