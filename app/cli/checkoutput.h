#pragma once

#include <QString>

#include <cstdio>

class CVModel;
struct ParsedCommandLine;

// `corvia check` and `corvia open --check`: checks the model, prints the
// findings on err (grouped by kind; --verbose lists all, --quiet only the
// errors) and writes --problems. Returns the exit status: 0 without
// errors, CheckFoundErrors with errors, OutputFailed when --problems
// cannot be written.
namespace CheckOutput {

int run(const CVModel& model, const QString& directory, const ParsedCommandLine& commandLine, const QString& command,
        FILE* out, FILE* err);

}  // namespace CheckOutput
