#pragma once

#include "PanelDialogs.h"

namespace tarvex::panel {

// The program's own dialogs: Qt's message boxes, input, file and progress dialogs.
class QtPanelDialogs final : public PanelDialogs {
public:
    void Information(QWidget* parent, const QString& text) override;
    void Warning(QWidget* parent, const QString& text) override;
    void Critical(QWidget* parent, const QString& text) override;
    bool Question(QWidget* parent, const QString& text) override;
    void TitledMessage(QWidget* parent, MessageKind kind, const QString& title,
                       const QString& text) override;
    std::optional<QString> GetText(QWidget* parent, const QString& title, const QString& label,
                                   const QString& text) override;
    std::optional<int> GetInt(QWidget* parent, const QString& title, const QString& label,
                              int value, int minimum, int maximum) override;
    QString GetExistingDirectory(QWidget* parent, const QString& caption,
                                 const QString& directory) override;
    QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                            const QString& filter) override;
    QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                            const QString& filter) override;
    std::unique_ptr<ProgressDialog> ShowProgress(QWidget* parent, const QString& label,
                                                 int maximum) override;
    bool OpenDocument(const QString& path) override;
    void Exit(int code) override;
};

// The machine's screens, as Qt reports them.
class QtScreenInfo final : public ScreenInfo {
public:
    QList<QRect> ScreenGeometries() const override;
    int LogicalDpiX(const QWidget& window) const override;
};

} // namespace tarvex::panel
