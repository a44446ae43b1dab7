#include "FavoritesPage.h"

#include "KTarvexController.h"
#include "PanelDialogs.h"
#include "PanelShell.h"
#include "PanelTrace.h"
#include "control/Favorites.h"

namespace tarvex::panel {

namespace {

// The laser keeps at most this many favourites, the default among them.
constexpr int kMaxFavorites = static_cast<int>(kSavedStateEntries);
constexpr int kShownNameLength = static_cast<int>(kSavedStateNameLength);

} // namespace

FavoritesPage::FavoritesPage(PanelShell& shell, QWidget* parent) : FormPage(shell, parent) {
    connect(ui.cmdLinkButton_SaveToFavorite, &QAbstractButton::clicked, this,
            &FavoritesPage::buttonCreateFavoritesClicked);
    connect(ui.cmdLinkButton_SaveToSelectedFavorite, &QAbstractButton::clicked, this,
            &FavoritesPage::cmdLinkButton_SaveToSelectedFavoriteClicked);
    connect(ui.cmdLinkButton_EraseFavorite, &QAbstractButton::clicked, this,
            &FavoritesPage::buttonEraseFavoritesClicked);
    connect(ui.cmdLinkButton_RecallFavorite, &QAbstractButton::clicked, this,
            &FavoritesPage::buttonRecallFavoritesClicked);
    connect(ui.commandLinkButton_RegenDefaultFavorite, &QAbstractButton::clicked, this,
            &FavoritesPage::pushButton_GenDefaultFavClicked);
    connect(ui.listWidget_favorites, &QListWidget::itemSelectionChanged, this,
            &FavoritesPage::listWidget_FavoritesItemSelectionChanged);
}

void FavoritesPage::InitializeUI() {
    FillList();
}

void FavoritesPage::FillList() {
    const std::vector<control::Favorite> favorites =
        shell_.Controller().ReadCache([](const LaserCache& c) {
            return control::ListFavorites(c.savedStates, c.savedStateNames);
        });
    ui.listWidget_favorites->clear();
    for (const control::Favorite& favorite : favorites)
        AddItem(QString::fromStdString(favorite.name), favorite.slot);
    UpdateButtons();
}

void FavoritesPage::AddItem(const QString& name, int slot) {
    auto* item = new QListWidgetItem(name.left(kShownNameLength), ui.listWidget_favorites);
    item->setData(Qt::UserRole, slot);
}

std::optional<int> FavoritesPage::SelectedSlot() const {
    const QList<QListWidgetItem*> selected = ui.listWidget_favorites->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.first()->data(Qt::UserRole).toInt();
}

void FavoritesPage::UpdateButtons() {
    ui.cmdLinkButton_SaveToFavorite->setEnabled(ui.listWidget_favorites->count() < kMaxFavorites);
    const std::optional<int> slot = SelectedSlot();
    const bool changeable = slot && *slot != control::kDefaultFavoriteSlot;
    ui.cmdLinkButton_RecallFavorite->setEnabled(slot.has_value());
    ui.cmdLinkButton_EraseFavorite->setEnabled(changeable);
    ui.cmdLinkButton_SaveToSelectedFavorite->setEnabled(changeable);
}

void FavoritesPage::listWidget_FavoritesItemSelectionChanged() {
    UpdateButtons();
}

void FavoritesPage::buttonCreateFavoritesClicked() {
    qCDebug(lcPanel, "FavoritesPage::buttonCreateFavoritesClicked");
    PanelDialogs& dialogs = shell_.Dialogs();
    const std::optional<QString> name =
        dialogs.GetText(shell_.Window(), tr(kPanelTitle), tr("Enter Favorite Name:"), QString());
    if (!name || name->isEmpty())
        return;
    // The laser keeps the first 32 characters: the name is compared as it will be kept.
    const QString kept = name->left(kShownNameLength);
    std::uint8_t slot = 0;
    // The laser's own list decides, read afresh: names differing only in letter case are one.
    switch (control::SaveFavorite(shell_.Controller(), kept.toStdString(), false, slot)) {
    case control::SaveResult::Saved:
        AddItem(kept, slot);
        break;
    case control::SaveResult::NameInUse:
        dialogs.Information(shell_.Window(),
                            tr("This favorite name is already in use.  Please enter another "
                               "name and retry this operation."));
        return;
    default:
        dialogs.Information(shell_.Window(), tr("Error creating favorite."));
        break;
    }
    UpdateButtons();
}

void FavoritesPage::cmdLinkButton_SaveToSelectedFavoriteClicked() {
    qCDebug(lcPanel, "FavoritesPage::cmdLinkButton_SaveToSelectedFavoriteClicked");
    const std::optional<int> slot = SelectedSlot();
    PanelDialogs& dialogs = shell_.Dialogs();
    if (slot && *slot != control::kDefaultFavoriteSlot &&
        dialogs.Question(shell_.Window(),
                         tr("This operation will overwrite the settings for the selected "
                            "favorite.  Are you sure you want to proceed?"))) {
        const QString name = ui.listWidget_favorites->selectedItems().first()->text();
        if (!shell_.Controller().ExecSysSaveState(static_cast<std::uint8_t>(*slot),
                                                  name.toStdString()))
            dialogs.Information(shell_.Window(), tr("Error saving favorite."));
    }
    UpdateButtons();
}

void FavoritesPage::buttonEraseFavoritesClicked() {
    qCDebug(lcPanel, "FavoritesPage::buttonEraseFavoritesClicked");
    const std::optional<int> slot = SelectedSlot();
    PanelDialogs& dialogs = shell_.Dialogs();
    if (slot && *slot != control::kDefaultFavoriteSlot &&
        dialogs.Question(shell_.Window(), tr("Are you sure you want to delete this favorite?"))) {
        if (!shell_.Controller().EraseSavedState(static_cast<std::uint8_t>(*slot)))
            dialogs.Information(shell_.Window(), tr("Error erasing favorite."));
        FillList();
    }
    UpdateButtons();
}

void FavoritesPage::buttonRecallFavoritesClicked() {
    qCDebug(lcPanel, "FavoritesPage::buttonRecallFavoritesClicked");
    const std::optional<int> slot = SelectedSlot();
    PanelDialogs& dialogs = shell_.Dialogs();
    if (slot &&
        dialogs.Question(shell_.Window(), tr("Are you sure you want to recall this favorite?"))) {
        if (shell_.Controller().RecallSavedState(static_cast<std::uint8_t>(*slot)))
            shell_.ReloadLaserState();
        else
            dialogs.Information(shell_.Window(), tr("Error recalling favorite."));
    }
    UpdateButtons();
}

void FavoritesPage::pushButton_GenDefaultFavClicked() {
    qCDebug(lcPanel, "FavoritesPage::pushButton_GenDefaultFavClicked");
    if (shell_.Controller().ExecRegenDefaultFavorite())
        shell_.Dialogs().Information(shell_.Window(),
                                     tr("Default Favorite Successfully Generated"));
    else
        shell_.Dialogs().Critical(shell_.Window(), tr("Error Re-Generating Default Favorite."));
}

} // namespace tarvex::panel
