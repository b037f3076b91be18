// Demand matrices of the demands files and the whole-day matrices of the
// matrix file.

#include "importer/paramicsimporter.h"
#include "reader/paramicslexer.h"
#include "reader/paramicsreading.h"

#include <QStringList>

// Reading state that lives across every demands file of one import: a
// matrix count or divisor declared in one file holds in the next, and a
// matrix number above the count silences every later file.
struct ParamicsImporter::DemandReading
{
    int declaredCount = 0;
    int period = 0;
    double divisor = 1.0;
    bool stopped = false;
};

int ParamicsImporter::renumberedZone(int zone) const
{
    return zoneRenumbering.value(zone, zone);
}

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
    DemandReading state;
    for (const QString& path : std::as_const(paths))
        readDemandsFile(path, state);
}

// After a keyword's value, and after a run of row values, the loop looks at
// the token that ended it again. A period or divisor applies to what is read
// after it, never to the matrix already begun. A "from" line before the first
// matrix has no matrix to go into and is ignored with its values.
void ParamicsImporter::readDemandsFile(const QString& path, DemandReading& state)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(path);

    ParamicsDemand* current = nullptr;
    ParamicsToken token;
    lexer.nextToken(token);
    while (!state.stopped && lexer.notAtEnd()) {
        if (token.is(ParamicsToken::Matrix)) {
            lexer.nextToken(token);
            if (token.is(ParamicsToken::Count)) {
                lexer.nextToken(token);
                state.declaredCount = token.toInt();
            } else {
                const int number = token.toInt();
                if (number > state.declaredCount) {
                    state.stopped = true;
                } else {
                    if (current)
                        demands.append(current);
                    current = new ParamicsDemand(number, state.period);
                }
            }
        } else if (token.is(ParamicsToken::Period)) {
            lexer.nextToken(token);
            state.period = token.toInt();
        } else if (token.is(ParamicsToken::Divisor)) {
            lexer.nextToken(token);
            state.divisor = token.toDouble();
        } else if (token.is(ParamicsToken::From)) {
            lexer.nextToken(token);
            ParamicsOdValues* row = nullptr;
            if (current) {
                row = &current->rows[renumberedZone(token.toInt())];
                *row = ParamicsOdValues();
            }
            // A divisor of 0 gives infinite values (not-a-number for 0 itself),
            // as dividing by it does.
            const double divisor = state.divisor;
            ParamicsReading::readNumberRun(lexer, token, [&](const ParamicsToken& value) {
                if (row)
                    row->append(value.toDouble() / divisor);
            });
            if (row)
                row->squeeze();
        } else {
            lexer.nextToken(token);
        }
    }
    if (current)
        demands.append(current);
}

// The declared count is 1 until "matrix count" says otherwise; a matrix
// number above it ends the file, and that matrix is not kept. Origins may be
// written with a colon ("2:"). A "from" line before the first matrix is
// ignored with its values.
void ParamicsImporter::readMatrix(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/matrix"));

    int declaredCount = 1;
    bool stopped = false;
    int rowCounter = 0;
    ParamicsMatrix* current = nullptr;
    auto fileCurrent = [&] {
        if (current) {
            current->values.squeeze();
            replaceRecord(matrixEntries, current->number, current);
        }
        current = nullptr;
    };

    ParamicsToken token;
    lexer.nextToken(token);
    while (!stopped && lexer.notAtEnd()) {
        if (token.is(ParamicsToken::Matrix)) {
            lexer.nextToken(token);
            if (token.is(ParamicsToken::Count)) {
                lexer.nextToken(token);
                if (token.isNumeric())
                    declaredCount = token.toInt();
            } else if (token.isNumeric()) {
                const int number = token.toInt();
                rowCounter = 0;
                fileCurrent();
                if (number > declaredCount)
                    stopped = true;
                else
                    current = new ParamicsMatrix(number);
            }
        } else if (token.is(ParamicsToken::From)) {
            lexer.nextToken(token);
            if (current) {
                const int origin = renumberedZone(QString(token.text).remove(QLatin1Char(':')).toInt());
                current->rowIndex.insert(origin, rowCounter++);
            }
            ParamicsReading::readNumberRun(lexer, token, [&](const ParamicsToken& value) {
                if (current)
                    current->values.append(value.toDouble());
            });
        } else {
            lexer.nextToken(token);
        }
    }
    if (!stopped)
        fileCurrent();
}
