// Orvane, the setup wizard: start-up, the wizard window while it runs, and the exit step.
#include "orvane_app.h"

int main() {
    COrvaneApp app;
    if (app.initInstance()) app.run();
    return app.exitInstance();
}
