#include "FaultList.h"

#include "PanelTrace.h"
#include "ui_FaultList.h"

#include <QFile>

#include <algorithm>

namespace tarvex::panel {

namespace {

constexpr int kColumns = 4;
constexpr int kColumnWidths[kColumns] = {135, 75, 75, 285};
constexpr int kRowHeight = 25;
constexpr qint64 kMaxLine = 1024;

} // namespace

FaultList::FaultList(const QString& fileName, QWidget* parent)
    : QWidget(parent, Qt::Window), ui_(std::make_unique<Ui::FaultList>()) {
    setAttribute(Qt::WA_DeleteOnClose);
    Initialize(fileName);
}

FaultList::~FaultList() = default;

void FaultList::Initialize(const QString& fileName) {
    qCDebug(lcPanel, "FaultList::Initialize");
    ui_->setupUi(this);
    InitializeUI();
    connect(ui_->pushButton_Close, &QPushButton::clicked, this, &FaultList::buttonClickedClose);

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTableWidget& table = *ui_->tableWidget_faults;
    while (!file.atEnd()) {
        const QString line = QString::fromLocal8Bit(file.readLine(kMaxLine)).trimmed();
        // The newest line is the file's last: each goes on top of those before it.
        table.insertRow(0);
        table.setRowHeight(0, kRowHeight);
        const QStringList parts = line.split(QStringLiteral(",\t"), Qt::SkipEmptyParts);
        for (int column = 0; column < kColumns && column < parts.size(); ++column)
            table.setItem(0, column, new QTableWidgetItem(parts[column]));
    }
    // The time stamps are read whole: their column grows past its width where the font needs.
    table.resizeColumnToContents(0);
    table.setColumnWidth(0, std::max(kColumnWidths[0], table.columnWidth(0)));
}

void FaultList::InitializeUI() {
    qCDebug(lcPanel, "FaultList::InitializeUI");
    for (int column = 0; column < kColumns; ++column)
        ui_->tableWidget_faults->setColumnWidth(column, kColumnWidths[column]);
}

void FaultList::buttonClickedClose() {
    qCDebug(lcPanel, "FaultList::buttonClickedClose");
    close();
}

} // namespace tarvex::panel
