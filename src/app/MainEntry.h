#pragma once

// The module's exported entry, called by the host executable with the process arguments.
// Returns the exit code of the event loop.
extern "C" __attribute__((visibility("default"))) int main_entry(int argc, char** argv);
