#pragma once

#include <QObject>
#include <QString>

namespace tarvex {
class KTarvexController;
}

namespace tarvex::panel {

// Turns the controller's callbacks, which arrive on whichever thread ran the exchange (the
// heartbeat's, mostly), into signals that reach their receivers through the GUI thread's event
// queue: connect them with Qt::QueuedConnection, so that a handler never runs inside an
// exchange, even one the GUI thread itself started.
class ControllerEvents final : public QObject {
    Q_OBJECT
public:
    explicit ControllerEvents(KTarvexController& controller, QObject* parent = nullptr);
    // Detaches from the controller; its heartbeat must have stopped before.
    ~ControllerEvents() override;

Q_SIGNALS:
    void KTarvexController_commLinkLost();
    // Kept for the connection's progress messages; the controller reports none today.
    void KTarvexController_initializationStatus(QString strStatus);

private:
    KTarvexController& controller_;
};

} // namespace tarvex::panel
