#include "QtPanelDialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QScreen>

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

private:
    // The parent may be destroyed first; the guard then reads null.
    QPointer<QProgressDialog> dialog_;
};

} // namespace

void QtPanelDialogs::Information(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, Title(), text, QMessageBox::Ok);
}

void QtPanelDialogs::Warning(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, Title(), text, QMessageBox::Ok);
}

void QtPanelDialogs::Critical(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, Title(), text, QMessageBox::Ok);
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
