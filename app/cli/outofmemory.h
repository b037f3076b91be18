#pragma once

// Running out of memory where no command's handler can catch it (a thread
// of Qt's painting or of a library, a destructor) ends the program with
// "<who>: out of memory" on standard error and exit status 1, not an abort.
// Any other exception that escapes ends it as before.
void exitQuietlyWhenMemoryRunsOut(const char* who);
