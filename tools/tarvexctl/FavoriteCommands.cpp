// favorites list|save|recall|erase|regenerate: the laser's saved states, by name.
#include "Commands.h"
#include "ExitStatus.h"
#include "Report.h"
#include "control/Favorites.h"

namespace tarvexctl {

using namespace tarvex;
using namespace tarvex::control;

namespace {

const char* kListHint = "'tarvexctl favorites list' lists them";

void List(Context& context) {
    Session& laser = context.Laser();
    std::vector<Favorite> favorites;
    laser.Require(ReadFavorites(laser.Controller(), favorites), "list its favorites");
    const Report report = FavoritesReport(favorites);
    context.Out().Result(report.json, report.text);
}

struct SaveOptions {
    std::string name;
    bool overwrite = false;
};

void Save(Context& context, const SaveOptions& options) {
    Session& laser = context.Laser();
    std::uint8_t slot = 0;
    const std::string& name = options.name;
    switch (SaveFavorite(laser.Controller(), name, options.overwrite, slot)) {
    case SaveResult::Saved:
        break;
    case SaveResult::EmptyName:
        throw Failure(Exit::Usage, "a favorite needs a name");
    case SaveResult::NameInUse:
        throw Failure(Exit::Refused, "a favorite named '" + name + "' exists (letter case aside)",
                      "--overwrite saves over it");
    case SaveResult::NoFreeEntry:
        throw Failure(Exit::Refused, "the laser holds as many favorites as it can",
                      "erase one first with 'tarvexctl favorites erase NAME'");
    case SaveResult::DefaultFavorite:
        throw Failure(Exit::Refused, "the default favorite is never overwritten",
                      "save under another name");
    case SaveResult::ReadFailed:
        laser.Fail("list its favorites");
    case SaveResult::SaveFailed:
        laser.Fail("save the favorite '" + name + "'");
    }
    context.Out().Result(
        Json::Object().Set("saved", Json::Object().Set("slot", slot).Set("name", name)),
        Format("Saved '%s' in slot %u.", name.c_str(), slot));
}

void Recall(Context& context, const std::string& name) {
    Session& laser = context.Laser();
    switch (RecallFavorite(laser.Controller(), name)) {
    case RecallResult::Recalled:
        break;
    case RecallResult::NotFound:
        throw Failure(Exit::NotFound, "no favorite is named '" + name + "'", kListHint);
    case RecallResult::ReadFailed:
        laser.Fail("list its favorites");
    case RecallResult::RestoreFailed:
        laser.Fail("recall the favorite '" + name + "'");
    }
    context.Out().Result(Json::Object().Set("recalled", name), "Recalled '" + name + "'.");
}

void Erase(Context& context, const std::string& name) {
    Session& laser = context.Laser();
    switch (EraseFavorite(laser.Controller(), name)) {
    case EraseResult::Erased:
        break;
    case EraseResult::NotFound:
        throw Failure(Exit::NotFound, "no favorite is named '" + name + "'", kListHint);
    case EraseResult::DefaultFavorite:
        throw Failure(Exit::Refused, "the default favorite is never erased",
                      "'tarvexctl favorites regenerate' makes it anew");
    case EraseResult::ReadFailed:
        laser.Fail("list its favorites");
    case EraseResult::EraseFailed:
        laser.Fail("erase the favorite '" + name + "'");
    }
    context.Out().Result(Json::Object().Set("erased", name), "Erased '" + name + "'.");
}

void Regenerate(Context& context) {
    Session& laser = context.Laser();
    laser.Require(laser.Controller().ExecRegenDefaultFavorite(), "regenerate its default favorite");
    context.Out().Result(Json::Object().Set("regenerated", true),
                         "Regenerated the default favorite.");
}

} // namespace

void AddFavoriteCommands(CLI::App& app, CommandSet& set, Context& context) {
    CLI::App* favorites = set.Add(app, "favorites", "The laser's favorites (saved states)");
    favorites->require_subcommand(1);
    set.Add(*favorites, "list", "List the favorites with their slots",
            [&context] { List(context); })
        ->footer("JSON: {\"favorites\": [{\"slot\", \"name\", \"default\"}]}");

    auto save = std::make_shared<SaveOptions>();
    auto* command = set.Add(*favorites, "save", "Save the laser's present state as a new favorite",
                            [&context, save] { Save(context, *save); });
    command->add_option("name", save->name, "its name (the laser keeps 32 characters)")->required();
    command->add_flag("--overwrite", save->overwrite,
                      "save over the favorite of that name (letter case aside)");
    command->footer("JSON: {\"saved\": {\"slot\", \"name\"}}");

    auto name = std::make_shared<std::string>();
    command = set.Add(*favorites, "recall", "Restore every favorite of that exact name",
                      [&context, name] { Recall(context, *name); });
    command->add_option("name", *name, "the favorite's name, letter case as listed")->required();
    command->footer("JSON: {\"recalled\": NAME}");

    command = set.Add(*favorites, "erase",
                      "Erase every favorite of that exact name (never the default one)",
                      [&context, name] { Erase(context, *name); });
    command->add_option("name", *name, "the favorite's name, letter case as listed")->required();
    command->footer("JSON: {\"erased\": NAME}");

    set.Add(*favorites, "regenerate", "Have the laser make its default favorite anew",
            [&context] { Regenerate(context); })
        ->footer("JSON: {\"regenerated\": true}");
}

} // namespace tarvexctl
