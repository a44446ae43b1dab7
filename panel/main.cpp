// TarvexControl: the control panel of the Tarvex laser.
#include "MainWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    tarvex::panel::MainWindow window({}, QCoreApplication::arguments().mid(1));
    // No laser: the window has told the operator already.
    if (const auto code = window.ExitCode())
        return *code;
    window.show();
    const int result = QApplication::exec();
    return window.ExitCode().value_or(result);
}
