// Give-way ranks and signal phases, in the Quadstone and the Sias dialect.

#include "importer/paramicsimporter.h"
#include "reader/paramicslexer.h"

void ParamicsImporter::readPriorities(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/priorities"));
}

void ParamicsImporter::readPrioritiesSias(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/priorities"));
}
