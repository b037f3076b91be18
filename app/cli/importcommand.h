#pragma once

#include "cli/commandline.h"

#include <cstdio>

// `corvia import DIR [options]`: a headless import into a new model, then
// the outputs asked for. Needs a QApplication (the import runs through the
// plug-in's dialog); the command line is read before it is made.
class ImportCommand
{
public:
    // Runs a parsed, valid command line; returns the exit status
    // (CommandLine::Status). Messages for people go to err, the summary to out.
    // Running out of memory is reported as an output that could not be
    // written (status 1), not as an abort.
    static int run(const ParsedCommandLine& commandLine, FILE* out = stdout, FILE* err = stderr);

private:
    static int runImport(const ParsedCommandLine& commandLine, FILE* out, FILE* err);
};
