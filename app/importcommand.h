#pragma once

#include "importsettings.h"

#include <QStringList>

#include <cstdio>

// `corvia import DIR [options]`: a headless import into a new model.
class ImportCommand
{
public:
    // Exit status: 0 after an import, 1 when the model, the map picture or an export could not be written
    // or the memory ran out, 2 for a usage error (nothing imported), 3 without a usable plug-in library.
    static int run(const QStringList& arguments, FILE* out = stdout, FILE* err = stderr);

    static QString helpText();

private:
    static int runImport(const QStringList& arguments, FILE* out, FILE* err);
};
