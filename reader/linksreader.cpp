// Links, spread over the numbered links files, and the turnings that each
// link gets at its end node in angular order.

#include "importer/paramicsimporter.h"
#include "reader/paramicslexer.h"

void ParamicsImporter::readLinks(const QString& directory)
{
    for (int number = 0;; ++number) {
        ParamicsLexer lexer;
        lexer.setModel(model);
        if (!lexer.openFile(QStringLiteral("%1/links.%2").arg(directory).arg(number)))
            break;
    }
    configureTurnings();
}

void ParamicsImporter::configureTurnings()
{
}

void ParamicsImporter::calculateAngles(ParamicsLink*, QVector<Section>& sections)
{
    sections.clear();
}

void ParamicsImporter::sortSections(QVector<Section>&)
{
}

void ParamicsImporter::checkBarredTurnings()
{
}
