// The About page's maintenance transfers: the firmware update and the configuration export and
// import. The controller checks the files whole and runs the transfers; the page asks for the
// file, shows the progress and the outcome, and ends the program when the laser must be
// power-cycled.
#include "AboutPage.h"

#include "KTarvexController.h"
#include "PanelDialogs.h"
#include "PanelPaths.h"
#include "PanelShell.h"
#include "PanelTrace.h"
#include "files/FirmwareUpdater.h"

#include <QCoreApplication>

namespace tarvex::panel {

namespace {

// A progress dialog opened on the first report of a transfer, kept up to date by the later ones;
// the window processes its events after each report.
class TransferProgress {
public:
    TransferProgress(PanelDialogs& dialogs, QWidget* window) : dialogs_(dialogs), window_(window) {}

    void Show(const QString& label, std::size_t value, std::size_t maximum) {
        if (!dialog_) {
            dialog_ = dialogs_.ShowProgress(window_, label, static_cast<int>(maximum));
        } else if (label != label_ || maximum != maximum_) {
            dialog_->SetLabel(label);
            dialog_->SetMaximum(static_cast<int>(maximum));
        }
        label_ = label;
        maximum_ = maximum;
        dialog_->SetValue(static_cast<int>(value));
        QCoreApplication::processEvents();
    }

    KTarvexController::TransferProgress Records(const QString& label) {
        return [this, label](std::size_t done, std::size_t total) { Show(label, done, total); };
    }

private:
    PanelDialogs& dialogs_;
    QWidget* window_;
    std::unique_ptr<ProgressDialog> dialog_;
    QString label_;
    std::size_t maximum_ = 0;
};

// The box a failed update ends with: its title and text.
std::pair<const char*, QString> UpdateFailure(const FirmwareUpdateResult& result) {
    const QString message = QString::fromStdString(result.message);
    switch (result.outcome) {
    case FirmwareUpdateOutcome::CannotOpen:
    case FirmwareUpdateOutcome::StartFailed:
    case FirmwareUpdateOutcome::NotReady:
        return {QT_TRANSLATE_NOOP("AboutPage", "Software Update Error"), message};
    case FirmwareUpdateOutcome::NotAnUpdate:
    case FirmwareUpdateOutcome::InvalidFile:
        return {QT_TRANSLATE_NOOP("AboutPage", "Invalid Firmware File"), message};
    case FirmwareUpdateOutcome::NotSupported:
        return {QT_TRANSLATE_NOOP("AboutPage", "Not Supported by Tarvex Controller FW"), message};
    default:
        return {QT_TRANSLATE_NOOP("AboutPage", "Software Update"),
                AboutPage::tr("Update not successful. %1 of %2 records written")
                    .arg(result.recordsWritten)
                    .arg(result.records)};
    }
}

} // namespace

void AboutPage::buttonClickedUpdateFirmware() {
    qCDebug(lcPanel, "MainWindow::buttonClickedUpdateFirmware");
    PanelDialogs& dialogs = shell_.Dialogs();
    QWidget* window = shell_.Window();
    const QString fileName = dialogs.GetOpenFileName(window, tr("Select Software Update File"),
                                                     QString(), tr("Update files (*.ufp)"));
    if (fileName.isEmpty())
        return;

    FirmwareUpdateResult result;
    {
        // The dialog opens once the file has passed its checks, as the laser starts erasing.
        TransferProgress progress(dialogs, window);
        FirmwareUpdater updater(shell_.Controller(), [&](const FirmwareUpdateProgress& p) {
            if (p.stage == FirmwareUpdateProgress::Stage::Erasing)
                progress.Show(tr("Erasing Flash ..."), 0, 0);
            else
                progress.Show(tr("Writing Flash..."), p.value, p.maximum);
        });
        result = updater.UpdateFromFile(ToPath(fileName));
    }

    if (!result.Succeeded()) {
        const auto [title, text] = UpdateFailure(result);
        dialogs.TitledMessage(window, MessageKind::Warning, tr(title), text);
        return;
    }
    if (result.type == update_type::kMotionBoard)
        dialogs.TitledMessage(window, MessageKind::Information, tr("Firmware Update"),
                              tr("Motion Board firmware successfully updated.  Tarvex Control "
                                 "Panel will now exit.  Please power cycle the laser for the new "
                                 "firmware to take effect."));
    else
        dialogs.TitledMessage(window, MessageKind::Information, tr("Software Update"),
                              tr("Controller Software successfully updated. Tarvex Control Panel "
                                 "will now exit.  Please power cycle the laser and start Control "
                                 "Panel."));
    shell_.EndProgram(0);
}

void AboutPage::commandLinkButton_ExportConfigClicked() {
    qCDebug(lcPanel, "MainWindow::commandLinkButton_ExportConfigClicked");
    std::string why;
    switch (TransferConfiguration(
        {QT_TRANSLATE_NOOP("AboutPage", "Please disarm the laser before exporting configuration."),
         QT_TRANSLATE_NOOP("AboutPage", "Select File to Save Configuration"),
         QT_TRANSLATE_NOOP("AboutPage", "Exporting Configuration..."),
         &KTarvexController::exportConfig},
        why)) {
    case Transfer::NotStarted:
        break;
    case Transfer::Succeeded:
        shell_.Dialogs().Information(shell_.Window(),
                                     tr("Tarvex configuration exported successfully."));
        break;
    case Transfer::Failed:
        shell_.Dialogs().Critical(shell_.Window(), tr("Error exporting configuration.") +
                                                       QStringLiteral("\n\n") +
                                                       QString::fromStdString(why));
        break;
    }
}

void AboutPage::commandLinkButton_ImportConfigClicked() {
    qCDebug(lcPanel, "MainWindow::commandLinkButton_ImportConfigClicked");
    std::string why;
    switch (TransferConfiguration(
        {QT_TRANSLATE_NOOP("AboutPage", "Please disarm the laser before importing configuration."),
         QT_TRANSLATE_NOOP("AboutPage", "Select File to Import Configuration"),
         QT_TRANSLATE_NOOP("AboutPage", "Importing Configuration..."),
         &KTarvexController::importConfig},
        why)) {
    case Transfer::NotStarted:
        break;
    case Transfer::Succeeded:
        shell_.Dialogs().Information(
            shell_.Window(), tr("Tarvex configuration imported successfully. Tarvex Control "
                                "Panel will now exit.  Please power cycle the laser and start "
                                "Control Panel."));
        shell_.EndProgram(0);
        break;
    case Transfer::Failed:
        shell_.Dialogs().Critical(shell_.Window(), tr("Error importing configuration.") +
                                                       QStringLiteral("\n\n") +
                                                       QString::fromStdString(why));
        break;
    }
}

AboutPage::Transfer AboutPage::TransferConfiguration(const ConfigTransfer& transfer,
                                                     std::string& why) {
    KTarvexController& controller = shell_.Controller();
    PanelDialogs& dialogs = shell_.Dialogs();
    QWidget* window = shell_.Window();
    // The cached status decides: a transfer is no moment for another exchange.
    if (controller.StatusBit(status::kArmed)) {
        dialogs.Information(window, tr(transfer.armedText));
        return Transfer::NotStarted;
    }
    const bool exporting = transfer.run == &KTarvexController::exportConfig;
    const QString filter = tr("Tarvex Configuration files (*.tcfg)");
    const QString fileName =
        exporting ? dialogs.GetSaveFileName(window, tr(transfer.caption), QString(), filter)
                  : dialogs.GetOpenFileName(window, tr(transfer.caption), QString(), filter);
    if (fileName.isEmpty())
        return Transfer::NotStarted;
    TransferProgress progress(dialogs, window);
    return (controller.*transfer.run)(ToPath(fileName), progress.Records(tr(transfer.label)), &why)
               ? Transfer::Succeeded
               : Transfer::Failed;
}

} // namespace tarvex::panel
