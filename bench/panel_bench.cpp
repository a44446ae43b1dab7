// Cost of one status tick of the panel (MainWindow::Timeout with the status page shown, against
// the simulated laser in process; the heartbeat idles on simulated time, so the tick reads the
// cache and redraws), beside a bare copy of the controller's cache, and the same tick with the
// window's repaint.
#include "BenchSupport.h"
#include "PanelRig.h"

using namespace tarvex;
using namespace tarvex::panel;

namespace {

// One window on the armed, tuned, emitting laser, showing the About (status) page.
test::PanelRig& Rig() {
    static test::PanelRig* rig = [] {
        auto* made = new test::PanelRig;
        made->Start();
        made->ArmAndTune();
        made->Click("cmdLinkButton_General");
        made->window->resize(1355, 728);
        made->window->show();
        QCoreApplication::processEvents();
        return made;
    }();
    return *rig;
}

void StatusTick(benchmark::State& state) {
    MainWindow& window = *Rig().window;
    for (auto _ : state)
        window.Timeout();
}

void StatusTickAndRepaint(benchmark::State& state) {
    MainWindow& window = *Rig().window;
    for (auto _ : state) {
        window.Timeout();
        window.repaint();
    }
}

void CacheSnapshot(benchmark::State& state) {
    const KTarvexController& controller = Rig().Controller();
    for (auto _ : state)
        benchmark::DoNotOptimize(controller.Snapshot());
}

BENCHMARK(StatusTick);
BENCHMARK(StatusTickAndRepaint);
BENCHMARK(CacheSnapshot);

} // namespace

int main(int argc, char** argv) {
    test::PanelTestApplication application(argc, argv);
    const int result = bench::RunWithRatios(
        argc, argv, "Panel status tick against a bare cache snapshot",
        {{"Timeout() on the status page", "StatusTick", "CacheSnapshot"},
         {"Timeout() and the repaint", "StatusTickAndRepaint", "CacheSnapshot"}});
    delete &Rig();
    return result;
}
