#pragma once
// The window program, composed: options, the operator messages, the simulated bus of the demo,
// the program-wide state and the main window. main() only calls this.

int runKorvelantis(int argc, char** argv);
