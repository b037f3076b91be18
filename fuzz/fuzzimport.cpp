// Fuzz target: a whole import of a network directory assembled from one
// input. The first byte chooses the variant (bit 0: Sias), the rule of the
// road (bit 1: left) and the units (bit 2: feet); the rest is split at the
// separator line into the files, in the order of FuzzScratch::fileNames().
// Files after the last part are absent. A single part drives one file's
// reader alone (the first name, "configuration", is read only for Sias).

#include "fuzzsupport.h"

#include "importer/paramicsimporter.h"
#include "importer/paramicsimportersetup.h"

#include <cvmodel.h>
#include <cvsystem.h>

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t options = data[0];
    FuzzScratch& scratch = FuzzScratch::instance();
    scratch.writeNetwork(data + 1, size - 1);

    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImportOptions chosen;
    chosen.variant = (options & 1) ? ParamicsVariant::Sias : ParamicsVariant::Quadstone;
    chosen.rule = (options & 2) ? RoadRule::KeepLeft : RoadRule::KeepRight;
    chosen.units = (options & 4) ? ParamicsLengthUnit::Feet : ParamicsLengthUnit::Metric;
    ParamicsImporter importer;
    configureImporter(importer, model.get(), chosen);
    importer.netImport(scratch.path());
    return 0;
}
