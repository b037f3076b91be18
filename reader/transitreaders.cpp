// Bus stops and bus routes.

#include "importer/paramicsimporter.h"
#include "reader/paramicslexer.h"

void ParamicsImporter::readBusStops(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/busstops"));
}

void ParamicsImporter::readBusRoutes(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/busroutes"));
}
