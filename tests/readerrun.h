#pragma once

#include "importerprobe.h"
#include "testsupport.h"

// A fresh importer and a scratch directory holding one file, for running
// one reader on a short inline text.
struct ReaderRun
{
    ReaderRun(const QString& name, const QByteArray& text) { dir.write(name, text); }
    QString path() const { return dir.path(); }

    NetworkDir dir;
    ParamicsImporter importer;
    ParamicsImporterProbe probe{importer};
};
