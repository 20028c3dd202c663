#pragma once
// The command line: options before the command, then the command and its arguments.
// Exit codes: 0 success, 2 usage error, 3 the devices did not answer or an operation failed,
// 4 the port could not be opened.

int runCli(int argc, char** argv);
