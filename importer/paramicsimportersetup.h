#pragma once

#include "importer/paramicsimportoptions.h"

class CVModel;
class ParamicsImporter;

// Readies an importer for an import into the model with the options: the
// centroid configuration and the network layer found or made, then the
// options handed over, in the order the import dialog has always used.
// The directory is not part of it: netImport takes it.
void configureImporter(ParamicsImporter& importer, CVModel* model, const ParamicsImportOptions& options);
