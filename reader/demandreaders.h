#pragma once

#include "reader/paramicstokenstream.h"
#include "reader/paramicstrafficrecords.h"

#include <QMap>
#include <QVector>

#include <vector>

// Readers of the demands files and of the matrix file.

// The demand matrices of one or more demands files, read one after the
// other by one reader: a matrix count or divisor declared in one file holds
// in the next, and a matrix number above the count silences every later
// file. Origin numbers are renumbered through the zones file's lookup.
class DemandsReader
{
public:
    DemandsReader(QVector<ParamicsDemand*>& demands, const QMap<int, int>& zoneRenumbering)
        : demands(demands), zoneRenumbering(zoneRenumbering)
    {
    }

    // Reads one demands file.
    void read(ParamicsTokenStream& stream);

private:
    void readMatrixHeader(ParamicsDemand*& current);
    void readRow(ParamicsDemand* current);

    QVector<ParamicsDemand*>& demands;
    const QMap<int, int>& zoneRenumbering;
    ParamicsTokenStream* in = nullptr;
    int declaredCount = 0;
    int period = 0;
    double divisor = 1.0;
    bool stopped = false;
    std::vector<double> rowValues;  // the row being read
};

// The whole-day matrices of the matrix file.
//
// The declared count is 1 until "matrix count" says otherwise; a matrix
// number above it ends the file, and that matrix is not kept. Origins may be
// written with a colon ("2:"). A "from" line before the first matrix is
// ignored with its values.
class MatrixReader
{
public:
    MatrixReader(ParamicsTokenStream& stream, QMap<int, ParamicsMatrix*>& matrices,
                 const QMap<int, int>& zoneRenumbering)
        : in(stream), matrices(matrices), zoneRenumbering(zoneRenumbering)
    {
    }
    ~MatrixReader() { delete current; }
    MatrixReader(const MatrixReader&) = delete;
    MatrixReader& operator=(const MatrixReader&) = delete;

    void read();

private:
    void readMatrixHeader();
    void readRow();
    void fileCurrent();

    ParamicsTokenStream& in;
    QMap<int, ParamicsMatrix*>& matrices;
    const QMap<int, int>& zoneRenumbering;
    int declaredCount = 1;
    bool stopped = false;
    int rowCounter = 0;
    ParamicsMatrix* current = nullptr;
};
