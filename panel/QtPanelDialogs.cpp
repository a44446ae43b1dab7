#include "QtPanelDialogs.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QScreen>
#include <QUrl>

namespace tarvex::panel {

namespace {

QString Title() {
    return QCoreApplication::translate("MainWindow", kPanelTitle);
}

class QtProgressDialog final : public ProgressDialog {
public:
    QtProgressDialog(QWidget* parent, const QString& label, int maximum)
        : dialog_(new QProgressDialog(label, QString(), 0, maximum, parent,
                                      Qt::Dialog | Qt::CustomizeWindowHint)) {
        dialog_->setWindowTitle(Title());
        dialog_->setCancelButton(nullptr);
        dialog_->setMinimumDuration(0);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->show();
    }
    ~QtProgressDialog() override {
        if (dialog_) {
            dialog_->close();
            dialog_->deleteLater();
        }
    }
    void SetValue(int value) override {
        if (dialog_)
            dialog_->setValue(value);
    }
    void SetLabel(const QString& label) override {
        if (dialog_)
            dialog_->setLabelText(label);
    }
    void SetMaximum(int maximum) override {
        if (dialog_)
            dialog_->setRange(0, maximum);
    }

private:
    // The parent may be destroyed first; the guard then reads null.
    QPointer<QProgressDialog> dialog_;
};

} // namespace

void QtPanelDialogs::Information(QWidget* parent, const QString& text) {
    TitledMessage(parent, MessageKind::Information, Title(), text);
}

void QtPanelDialogs::Warning(QWidget* parent, const QString& text) {
    TitledMessage(parent, MessageKind::Warning, Title(), text);
}

void QtPanelDialogs::Critical(QWidget* parent, const QString& text) {
    TitledMessage(parent, MessageKind::Critical, Title(), text);
}

void QtPanelDialogs::TitledMessage(QWidget* parent, MessageKind kind, const QString& title,
                                   const QString& text) {
    switch (kind) {
    case MessageKind::Information:
        QMessageBox::information(parent, title, text, QMessageBox::Ok);
        break;
    case MessageKind::Warning:
        QMessageBox::warning(parent, title, text, QMessageBox::Ok);
        break;
    case MessageKind::Critical:
        QMessageBox::critical(parent, title, text, QMessageBox::Ok);
        break;
    }
}

bool QtPanelDialogs::Question(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, Title(), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

std::optional<QString> QtPanelDialogs::GetText(QWidget* parent, const QString& title,
                                               const QString& label, const QString& text) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(parent, title, label, QLineEdit::Normal, text, &ok);
    return ok ? std::optional<QString>(answer) : std::nullopt;
}

std::optional<int> QtPanelDialogs::GetInt(QWidget* parent, const QString& title,
                                          const QString& label, int value, int minimum,
                                          int maximum) {
    bool ok = false;
    const int answer = QInputDialog::getInt(parent, title, label, value, minimum, maximum, 1, &ok);
    return ok ? std::optional<int>(answer) : std::nullopt;
}

QString QtPanelDialogs::GetExistingDirectory(QWidget* parent, const QString& caption,
                                             const QString& directory) {
    return QFileDialog::getExistingDirectory(parent, caption, directory, QFileDialog::ShowDirsOnly);
}

QString QtPanelDialogs::GetOpenFileName(QWidget* parent, const QString& caption,
                                        const QString& directory, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString QtPanelDialogs::GetSaveFileName(QWidget* parent, const QString& caption,
                                        const QString& proposed, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, proposed, filter);
}

std::unique_ptr<ProgressDialog> QtPanelDialogs::ShowProgress(QWidget* parent, const QString& label,
                                                             int maximum) {
    return std::make_unique<QtProgressDialog>(parent, label, maximum);
}

bool QtPanelDialogs::OpenDocument(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtPanelDialogs::Exit(int code) {
    // Before the event loop runs (no laser at start-up) this does nothing; main then returns
    // the code the window ended with.
    QCoreApplication::exit(code);
}

QList<QRect> QtScreenInfo::ScreenGeometries() const {
    QList<QRect> geometries;
    for (const QScreen* screen : QGuiApplication::screens())
        geometries.append(screen->geometry());
    return geometries;
}

int QtScreenInfo::LogicalDpiX(const QWidget& window) const {
    return window.logicalDpiX();
}

} // namespace tarvex::panel
