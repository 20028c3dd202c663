#include "cli/AcquisitionCommands.h"

bool isAcquisitionCommand(const std::string&) { return false; }
bool acquisitionCommandNeedsPort(const std::string&) { return false; }
int runAcquisitionCommand(const std::string&, const std::vector<std::string>&, AppContext*) {
    return 2;
}
const char* acquisitionUsage() { return ""; }
