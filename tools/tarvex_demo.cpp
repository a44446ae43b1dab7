// The terminal tour under its old name, for scripts that still run it: 'tarvexctl demo'.
#include "DemoTour.h"
#include "Session.h"

int main() {
    return tarvexctl::RunDemo(tarvexctl::SimulationClock());
}
