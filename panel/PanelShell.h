#pragma once

#include <initializer_list>

class QWidget;

namespace tarvex {
class Clock;
class KTarvexController;
} // namespace tarvex

namespace tarvex::panel {

class PanelDialogs;
class Preconditions;
struct CommandLine;
struct UnitTexts;

// The pages of stackedWidget_MainFrame, in stack order; each page's navigation button has the
// same position in the main window's button list.
enum class Page { About, Tune, Scan, Settings, Favorites, Factory, ContactUs, CommSettings, Galvo };
inline constexpr int kPageCount = 9;

// The long operations the status timer follows (MainWindow::Timeout).
enum class PendingOperation {
    None = 0,
    Arming = 1,
    Tune = 3,
    SweepScan = 4,
    StepMeasureScan = 5,
    MultiSpectralScan = 6,
};

// What a page may ask of the main window that holds it.
class PanelShell {
public:
    virtual ~PanelShell() = default;

    virtual KTarvexController& Controller() = 0;
    virtual PanelDialogs& Dialogs() = 0;
    virtual Preconditions& Checks() = 0;
    virtual Clock& PanelClock() = 0;
    virtual const CommandLine& Options() const = 0;
    virtual const UnitTexts& Texts() const = 0;
    // The parent of the page's boxes.
    virtual QWidget* Window() = 0;
    // False until the widgets have been filled from the laser: handlers that react to widget
    // changes do nothing while the fill is running.
    virtual bool UiReady() const = 0;

    // Has the status timer follow an operation the page started (a tune, a scan).
    virtual void Follow(PendingOperation operation) = 0;
    virtual PendingOperation Pending() const = 0;
    // Enables or disables navigation buttons while an operation runs.
    virtual void SetNavigationEnabled(std::initializer_list<Page> pages, bool enabled) = 0;
    // The status frame's emission/scan button.
    virtual void SetEmissionButtonEnabled(bool enabled) = 0;
    // Redraws the status frame from the cache at once.
    virtual void RefreshStatusDisplay() = 0;

    // A QCL is being restarted: the Tune page's controls that act on the running tune and the
    // emission button are put out of reach.
    virtual void ShowQclRestarting() = 0;
    // The pulse and trigger modes were saved: the Tune page's description of them follows.
    virtual void LaserModesSaved() = 0;
    // The laser's state changed as a whole (a favourite was recalled): the status timer stops
    // while the controller reads everything again and every page is filled afresh, then the
    // Tune page opens.
    virtual void ReloadLaserState() = 0;

    // Writes the persistent settings.
    virtual void SaveSettings() = 0;
    // The transport the settings keep for the next start: the one in use until the operator
    // chooses another (the link in use stays as it is until then).
    virtual int SettingsTransport() const = 0;
    virtual void SetSettingsTransport(int transport) = 0;
    // Closes the window and ends the program with `code`; the operator has been told why.
    virtual void EndProgram(int code) = 0;
};

} // namespace tarvex::panel
