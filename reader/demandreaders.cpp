// Demand matrices, demand profiles and the matrix file.

#include "importer/paramicsimporter.h"
#include "reader/paramicslexer.h"

void ParamicsImporter::readDemands(const QString& directory)
{
    // One file "demands", or the numbered files demands.1 to demands.N.
    QStringList paths;
    if (nbDemandsFile == 1) {
        paths << directory + QStringLiteral("/demands");
    } else {
        for (int n = 1; n <= nbDemandsFile; ++n)
            paths << directory + QStringLiteral("/demands.%1").arg(n);
    }
    for (const QString& path : std::as_const(paths)) {
        ParamicsLexer lexer;
        lexer.setModel(model);
        lexer.openFile(path);
    }
}

void ParamicsImporter::readProfilesQuadstone(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/profile"));
}

void ParamicsImporter::readProfilesSias(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/profile"));
}

void ParamicsImporter::readMatrix(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/matrix"));
}
