#pragma once
// Standard output is a command's result: what was printed must have reached it.

// Makes standard output keep what a command prints (up to 1 MiB) until it is flushed, when it is
// not a terminal, so a write that fails is seen with its reason. Call before the first print.
void holdOutput();

// Flushes the run's standard output now (before a hook runs, before the messages that follow a
// table); a failure is kept for finishOutput.
void flushOutput();

// Flushes and closes standard output. `code` when every write reached it; otherwise the reason
// goes to standard error ("korvelantis-cli: standard output: No space left on device") and a
// success becomes exit 3.
int finishOutput(int code);
