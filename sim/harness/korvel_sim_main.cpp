// korvel over the simulated machine: the harness sets the machine up from
// its options, then runs korvel's entry exactly as korvel does.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/config.h"
#include "sim/harness/sim_options.h"
#include "update/update.h"

int main(int argc, char** argv)
{
    std::string model = TargetConfig->model;
    for (char& c : model)
        c = (char)tolower((unsigned char)c);
    bool help = false;
    std::string error;
    if (!sim::ConfigureMachine(argc, argv, model, &help, &error)) {
        fprintf(stderr, "korvel-sim-%s: %s\n", model.c_str(), error.c_str());
        return 64;
    }
    if (help) {
        printf("Usage: korvel-sim-%s [options]\n%s", model.c_str(), sim::HarnessUsage());
        return 0;
    }
    // Discovery may end the process itself; the trace is written either way.
    atexit(sim::FinishTrace);
    sim::MarkSetupDone();
    return KorvelMain();
}
