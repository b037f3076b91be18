#pragma once

#include <QVector>

// The values of an OD row or of a whole OD matrix, in file order. Real
// networks have thousands of zones and most pairs carry no trips, so while
// the values are mostly zero only the non-zero ones are kept, each with its
// position; once non-zero values make up more than half of them, storing
// every value is smaller and the values switch to plain storage for good.
// Either way at() returns exactly the value appended at that position.
class ParamicsOdValues
{
public:
    void append(double value);
    // Gives back the room kept for further values, once no more will come.
    void squeeze()
    {
        values.squeeze();
        positions.squeeze();
    }

    qsizetype size() const { return count; }
    bool isEmpty() const { return count == 0; }
    // The value at a position; 0.0 outside the values.
    double at(qsizetype position) const;
    double operator[](qsizetype position) const { return at(position); }
    // Every value, zeros included: for tests and small rows.
    QVector<double> toVector() const;
    // Bytes held for the values, for measurements.
    qint64 storageBytes() const
    {
        return qint64(values.capacity()) * qint64(sizeof(double)) + qint64(positions.capacity()) * qint64(sizeof(qsizetype));
    }

private:
    static bool isPlainZero(double value);
    void switchToDense();

    qsizetype count = 0;
    bool dense = false;
    QVector<double> values;       // dense: every value; sparse: the non-zero ones
    QVector<qsizetype> positions; // sparse: the position of each kept value
};
