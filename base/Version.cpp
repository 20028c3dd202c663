#include "base/Version.h"

#include <cstdio>

#ifndef KORV_VERSION
#error "the build defines KORV_VERSION from the project's version"
#endif

const char* programVersion() {
    return KORV_VERSION;
}

void printVersion(const char* programName) {
    std::printf("%s %s\n", programName, programVersion());
}
