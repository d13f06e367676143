// Command-line set-up of the simulated machine for korvel-sim-*.
#pragma once

#include <string>

namespace sim {

// Sets up TheMachine() from the options. defaultModel names the drive model of
// this build ("kt72m" or "rq35vw41"). Returns false with a message in error;
// sets *help when --help was given.
bool ConfigureMachine(int argc, char** argv, const std::string& defaultModel, bool* help,
                      std::string* error);

const char* HarnessUsage(void);

// Notes the CPU time used so far: the set-up, apart from the run.
void MarkSetupDone(void);

// Appends the machine's final state to the trace and writes it.
void FinishTrace(void);

}  // namespace sim
