#pragma once

#include "FormPage.h"
#include "ui_FavoritesPage.h"

namespace tarvex::panel {

// page_favorites: the laser's saved states (favourites): create, overwrite, delete, recall, and
// the regeneration of the laser's default favourite. Each item keeps its slot under
// Qt::UserRole.
class FavoritesPage final : public FormPage<Ui::FavoritesPage> {
    Q_OBJECT
public:
    FavoritesPage(PanelShell& shell, QWidget* parent);

    void InitializeUI() override;

public Q_SLOTS:
    void buttonCreateFavoritesClicked();
    void cmdLinkButton_SaveToSelectedFavoriteClicked();
    void buttonEraseFavoritesClicked();
    void buttonRecallFavoritesClicked();
    void pushButton_GenDefaultFavClicked();
    void listWidget_FavoritesItemSelectionChanged();

private:
    // Lists the favourites the controller keeps.
    void FillList();
    void AddItem(const QString& name, int slot);
    void UpdateButtons();
    // The selected item's slot; none without a selection.
    std::optional<int> SelectedSlot() const;
};

} // namespace tarvex::panel
