#include "reader/demandreaders.h"

#include "reader/paramicsreading.h"

namespace {

using K = ParamicsToken;

}  // namespace

// After a keyword's value, and after a run of row values, the loop looks at
// the token that ended it again. A period or divisor applies to what is read
// after it, never to the matrix already begun. A "from" line before the first
// matrix has no matrix to go into and is ignored with its values.
void DemandsReader::read(ParamicsTokenStream& stream)
{
    in = &stream;
    ParamicsDemand* current = nullptr;
    while (!stopped && in->notAtEnd()) {
        const ParamicsToken& token = in->current();
        if (token.is(K::Matrix)) {
            readMatrixHeader(current);
        } else if (token.is(K::Period)) {
            period = in->next().toInt();
        } else if (token.is(K::Divisor)) {
            divisor = in->next().toDouble();
        } else if (token.is(K::From)) {
            readRow(current);
        } else {
            in->next();
        }
    }
    if (current)
        demands.append(current);
    in = nullptr;
}

// "matrix count n", or "matrix n" beginning a matrix.
void DemandsReader::readMatrixHeader(ParamicsDemand*& current)
{
    const ParamicsToken& token = in->next();
    if (token.is(K::Count)) {
        declaredCount = in->next().toInt();
        return;
    }
    const int number = token.toInt();
    if (number > declaredCount) {
        stopped = true;
        return;
    }
    if (current)
        demands.append(current);
    current = new ParamicsDemand(number, period);
}

// "from origin v1 v2 ...": a row replaces an earlier one of the same origin.
void DemandsReader::readRow(ParamicsDemand* current)
{
    const ParamicsToken& token = in->next();
    ParamicsOdValues* row = nullptr;
    if (current) {
        const int origin = token.toInt();
        row = &current->rows[zoneRenumbering.value(origin, origin)];
    }
    // A divisor of 0 gives infinite values (not-a-number for 0 itself),
    // as dividing by it does. The values are gathered first, so that the
    // row's storage is made once at its size.
    const double rowDivisor = divisor;
    rowValues.clear();
    ParamicsReading::readNumberValues(*in, [&](double value) {
        if (row)
            rowValues.push_back(value / rowDivisor);
    });
    if (row)
        row->assign(rowValues.data(), qsizetype(rowValues.size()));
}

void MatrixReader::read()
{
    while (!stopped && in.notAtEnd()) {
        if (in.current().is(K::Matrix))
            readMatrixHeader();
        else if (in.current().is(K::From))
            readRow();
        else
            in.next();
    }
    if (!stopped)
        fileCurrent();
}

// "matrix count n" (a value that is no number leaves the count), or
// "matrix n" beginning a matrix, whose rows are counted from 0 again.
void MatrixReader::readMatrixHeader()
{
    const ParamicsToken& token = in.next();
    if (token.is(K::Count)) {
        if (in.next().isNumeric())
            declaredCount = in.current().toInt();
        return;
    }
    if (!token.isNumeric())
        return;
    const int number = token.toInt();
    rowCounter = 0;
    fileCurrent();
    if (number > declaredCount)
        stopped = true;
    else
        current = new ParamicsMatrix(number);
}

void MatrixReader::readRow()
{
    const ParamicsToken& token = in.next();
    if (current) {
        const int written = QString(token.text()).remove(QLatin1Char(':')).toInt();
        current->rowIndex.insert(zoneRenumbering.value(written, written), rowCounter++);
    }
    ParamicsReading::readNumberValues(in, [&](double value) {
        if (current)
            current->values.append(value);
    });
}

void MatrixReader::fileCurrent()
{
    if (current) {
        current->values.squeeze();
        ParamicsRecords::replace(matrices, current->number, current);
    }
    current = nullptr;
}
