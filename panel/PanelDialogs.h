#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace tarvex::panel {

// Every box of the panel carries this title.
inline const char* const kPanelTitle = "Tarvex Control Panel";

// A progress dialog while it is open; destroying it closes it.
class ProgressDialog {
public:
    virtual ~ProgressDialog() = default;
    virtual void SetValue(int value) = 0;
    virtual void SetLabel(const QString& label) = 0;
    // The range 0 to `maximum`; 0 shows a busy indicator.
    virtual void SetMaximum(int maximum) = 0;
};

enum class MessageKind { Information, Warning, Critical };

// Everything of the panel that waits for the operator, hands a file to the desktop or ends the
// program. The program uses
// Qt's dialogs (QtPanelDialogs); tests put a recorder in their place that reads the texts,
// answers the questions and catches the exit.
class PanelDialogs {
public:
    virtual ~PanelDialogs() = default;

    // Message boxes with an OK button, titled kPanelTitle.
    virtual void Information(QWidget* parent, const QString& text) = 0;
    virtual void Warning(QWidget* parent, const QString& text) = 0;
    virtual void Critical(QWidget* parent, const QString& text) = 0;
    // A Yes/No question titled kPanelTitle; true for Yes.
    virtual bool Question(QWidget* parent, const QString& text) = 0;
    // A message box with an OK button and a title of its own.
    virtual void TitledMessage(QWidget* parent, MessageKind kind, const QString& title,
                               const QString& text) = 0;

    // Input dialogs; nothing when cancelled.
    virtual std::optional<QString> GetText(QWidget* parent, const QString& title,
                                           const QString& label, const QString& text) = 0;
    virtual std::optional<int> GetInt(QWidget* parent, const QString& title, const QString& label,
                                      int value, int minimum, int maximum) = 0;
    // File dialogs; an empty name when cancelled.
    virtual QString GetExistingDirectory(QWidget* parent, const QString& caption,
                                         const QString& directory) = 0;
    virtual QString GetOpenFileName(QWidget* parent, const QString& caption,
                                    const QString& directory, const QString& filter) = 0;
    virtual QString GetSaveFileName(QWidget* parent, const QString& caption,
                                    const QString& proposed, const QString& filter) = 0;

    // A window-modal progress dialog without a cancel button that returns at once; a maximum
    // of 0 shows a busy indicator.
    virtual std::unique_ptr<ProgressDialog> ShowProgress(QWidget* parent, const QString& label,
                                                         int maximum) = 0;

    // Opens a document in the desktop's viewer for its type; false when none could be started.
    virtual bool OpenDocument(const QString& path) = 0;

    // Ends the program with `code` once control is back in the event loop.
    virtual void Exit(int code) = 0;
};

// The screens the panel is shown on.
class ScreenInfo {
public:
    virtual ~ScreenInfo() = default;
    virtual QList<QRect> ScreenGeometries() const = 0;
    virtual int LogicalDpiX(const QWidget& window) const = 0;
};

} // namespace tarvex::panel
