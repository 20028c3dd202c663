#pragma once
// The program's version, the one the package carries; every program prints it for --version.

// "1.0"
const char* programVersion();
// "NAME 1.0\n" on standard output, for --version.
void printVersion(const char* programName);
