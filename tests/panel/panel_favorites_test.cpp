// The Favorites page on the real main window and the simulated laser: the list and its buttons,
// create with its name checks, overwrite, delete, recall with the whole window rebuilt, and the
// default favourite.
#include "PanelRig.h"
#include "records/SavedStateRecords.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QListWidget>
#include <QSettings>
#include <QTimer>

using namespace tarvex;
using namespace tarvex::panel;
using namespace tarvex::panel::test;
using Kind = RecordingDialogs::Kind;

namespace {

QListWidget& List(PanelRig& rig) {
    return *rig.Find<QListWidget>("listWidget_favorites");
}

QStringList Names(PanelRig& rig) {
    QStringList names;
    for (int i = 0; i < List(rig).count(); ++i)
        names << List(rig).item(i)->text();
    return names;
}

void Select(PanelRig& rig, const QString& name) {
    const auto items = List(rig).findItems(name, Qt::MatchExactly);
    if (items.isEmpty())
        qFatal("no favorite %s", qPrintable(name));
    List(rig).setCurrentItem(items.first());
}

bool Enabled(PanelRig& rig, const char* button) {
    return rig.Find<QAbstractButton>(button)->isEnabled();
}

// Whether create, overwrite, delete and recall are enabled, in that order.
QList<bool> Buttons(PanelRig& rig) {
    return {Enabled(rig, "cmdLinkButton_SaveToFavorite"),
            Enabled(rig, "cmdLinkButton_SaveToSelectedFavorite"),
            Enabled(rig, "cmdLinkButton_EraseFavorite"),
            Enabled(rig, "cmdLinkButton_RecallFavorite")};
}

void Create(PanelRig& rig, const QString& name) {
    rig.dialogs.textAnswers.push_back(name);
    rig.Click("cmdLinkButton_SaveToFavorite");
}

// The started panel on its Favorites page; the laser holds its default favourite.
void Open(PanelRig& rig) {
    rig.Start();
    rig.Click("commandLinkButton_Favorites");
    QCOMPARE(rig.Text("label_CurrentTabName"), QString("Favorites >"));
}

std::size_t StateCommands(PanelRig& rig) {
    std::size_t sent = 0;
    for (const std::uint16_t cmd : {SavedStateRecord::kSaveCmd, kRestoreStateCmd, kEraseStateCmd})
        sent += rig.laser.Executed(cmd);
    return sent;
}

} // namespace

class PanelFavoritesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QSettings().clear(); }

    void createChecksTheNameAndKeepsTheSlot() {
        PanelRig rig;
        Open(rig);
        QCOMPARE(Names(rig), QStringList({"Default"}));
        Create(rig, "Gas Cell");
        QCOMPARE(rig.dialogs.textLabels.back(), QString("Enter Favorite Name:"));
        Create(rig, "gas CELL");
        QCOMPARE(rig.dialogs.Texts(Kind::Information),
                 std::vector<QString>({"This favorite name is already in use.  Please enter "
                                       "another name and retry this operation."}));
        const QString longName = "Forty characters of a favourite name 123";
        QCOMPARE(longName.size(), 40);
        Create(rig, longName);
        QCOMPARE(Names(rig), QStringList({"Default", "Gas Cell", longName.left(32)}));
        const QListWidgetItem* item = List(rig).item(2);
        const auto slot = static_cast<std::size_t>(item->data(Qt::UserRole).toInt());
        QVERIFY(slot != 0);
        const auto kept =
            rig.laser.Inspect([slot](const sim::SimState& s) { return s.saved.slots[slot]; });
        QVERIFY(kept.inUse);
        QCOMPARE(QString::fromStdString(kept.name), longName.left(32));
        // A cancelled or empty name sends nothing.
        const std::size_t sent = StateCommands(rig);
        rig.dialogs.textAnswers.push_back(QStringLiteral(""));
        rig.Click("cmdLinkButton_SaveToFavorite");
        rig.Click("cmdLinkButton_SaveToFavorite");
        QCOMPARE(StateCommands(rig), sent);
    }

    void buttonsFollowTheSelectionTheDefaultAndTheCount() {
        PanelRig rig;
        Open(rig);
        QCOMPARE(Buttons(rig), QList<bool>({true, false, false, false}));
        Select(rig, "Default");
        QCOMPARE(Buttons(rig), QList<bool>({true, false, false, true}));
        for (int i = 1; i < 9; ++i)
            Create(rig, QString("Favorite %1").arg(i));
        QCOMPARE(List(rig).count(), 9);
        Select(rig, "Favorite 8");
        QCOMPARE(Buttons(rig), QList<bool>({false, true, true, true}));

        // Answered No: nothing is sent.
        const std::size_t sent = StateCommands(rig);
        for (const char* button : {"cmdLinkButton_SaveToSelectedFavorite",
                                   "cmdLinkButton_EraseFavorite", "cmdLinkButton_RecallFavorite"})
            rig.Click(button);
        QCOMPARE(rig.dialogs.Texts(Kind::Question),
                 std::vector<QString>(
                     {"This operation will overwrite the settings for the selected favorite.  Are "
                      "you sure you want to proceed?",
                      "Are you sure you want to delete this favorite?",
                      "Are you sure you want to recall this favorite?"}));
        QCOMPARE(StateCommands(rig), sent);
        QCOMPARE(List(rig).count(), 9);

        // Deleted on Yes: the list is read again and create comes back.
        rig.dialogs.answers.push_back(true);
        rig.Click("cmdLinkButton_EraseFavorite");
        QCOMPARE(rig.dialogs.messages.back().text,
                 QString("Are you sure you want to delete this favorite?"));
        QCOMPARE(List(rig).count(), 8);
        QVERIFY(!Names(rig).contains("Favorite 8"));
        QCOMPARE(Buttons(rig), QList<bool>({true, false, false, false}));
    }

    void recallRebuildsThePagesWithTheRecalledValues() {
        PanelRig rig;
        Open(rig);
        auto setRate = [&rig](double rate) {
            rig.Click("cmdLinkButton_Settings");
            rig.Find<QComboBox>("comboBox_laserParamQCLs")->setCurrentIndex(1);
            rig.Find<QDoubleSpinBox>("doubleSpinBox_PulseRate")->setValue(rate);
            rig.Click("cmdLinkButton_SaveSettings");
            rig.Click("commandLinkButton_Favorites");
        };
        setRate(20000);
        Create(rig, "Slow");
        setRate(80000);
        Select(rig, "Slow");
        // Overwritten with the faster rate on Yes, then recalled; an overwrite keeps the name.
        rig.dialogs.answers = {true};
        rig.Click("cmdLinkButton_SaveToSelectedFavorite");
        setRate(40000);
        Select(rig, "Slow");
        rig.dialogs.answers = {true};
        rig.Click("cmdLinkButton_RecallFavorite");
        QVERIFY(rig.dialogs.Texts(Kind::Information).empty());
        QCOMPARE(rig.window->CurrentPage(), Page::Tune);
        QVERIFY(rig.window->StatusTimer()->isActive());
        rig.window->StatusTimer()->stop();
        QVERIFY(rig.window->UiReady());

        rig.Click("cmdLinkButton_Settings");
        rig.Find<QComboBox>("comboBox_laserParamQCLs")->setCurrentIndex(1);
        QCOMPARE(rig.Find<QDoubleSpinBox>("doubleSpinBox_PulseRate")->value(), 80000.0);
        rig.Click("commandLinkButton_Favorites");
        QCOMPARE(Names(rig), QStringList({"Default", "Slow"}));
    }

    void failuresAndTheDefaultFavorite() {
        PanelRig rig;
        Open(rig);
        rig.Click("commandLinkButton_RegenDefaultFavorite");
        QCOMPARE(rig.dialogs.Texts(Kind::Information),
                 std::vector<QString>({"Default Favorite Successfully Generated"}));
        rig.dialogs.Clear();
        rig.faults.Add({.fault = sim::Fault::Nak, .cmdID = kRegenDefaultFavoriteCmd});
        rig.Click("commandLinkButton_RegenDefaultFavorite");
        QCOMPARE(rig.dialogs.Texts(Kind::Critical),
                 std::vector<QString>({"Error Re-Generating Default Favorite."}));

        Select(rig, "Default");
        rig.faults.Add({.fault = sim::Fault::Nak, .cmdID = kRestoreStateCmd});
        rig.dialogs.answers = {true};
        rig.Click("cmdLinkButton_RecallFavorite");
        QCOMPARE(rig.dialogs.Texts(Kind::Information),
                 std::vector<QString>({"Error recalling favorite."}));
        QCOMPARE(rig.window->CurrentPage(), Page::Favorites);
    }
};

TARVEX_PANEL_TEST_MAIN(PanelFavoritesTest)
#include "panel_favorites_test.moc"
