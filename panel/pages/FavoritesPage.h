#pragma once

#include "FormPage.h"
#include "ui_FavoritesPage.h"

namespace tarvex::panel {

// page_favorites: the laser's saved states (favourites): create, overwrite, delete, recall.
class FavoritesPage final : public FormPage<Ui::FavoritesPage> {
public:
    using FormPage::FormPage;
};

} // namespace tarvex::panel
