#pragma once
// Standard output is a command's result: what was printed must have reached it.

// Flushes and closes standard output. `code` when that worked; otherwise the reason goes to
// standard error ("korvelantis-cli: standard output: No space left on device") and a success
// becomes exit 3.
int finishOutput(int code);
