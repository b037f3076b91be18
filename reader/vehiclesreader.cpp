// Vehicle types and the matrices they draw on.

#include "importer/paramicsimporter.h"
#include "reader/paramicslexer.h"

void ParamicsImporter::readVehicles(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/vehicles"));
}
