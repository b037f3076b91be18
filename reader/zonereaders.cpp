// Zones, link categories and arc centres.

#include "importer/paramicsimporter.h"
#include "reader/paramicslexer.h"

void ParamicsImporter::readZones(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/zones"));
}

void ParamicsImporter::readCategories(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/categories"));
}

void ParamicsImporter::readCentres(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/centres"));
}
