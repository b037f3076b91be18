#pragma once

// Running out of memory where no command's handler can catch it (a thread
// of Qt's painting or of a library, a destructor) ends the program with
// "<who>: out of memory" on standard error and exit status 1, not an abort.
// Any other exception that escapes ends it as before. A thread that cannot
// start for want of memory ends it the same way.
void exitQuietlyWhenMemoryRunsOut(const char* who);

// Writes that line for a command that caught the failure itself and ends
// with exit status 1; only the first report of the program is written.
void reportOutOfMemory();
