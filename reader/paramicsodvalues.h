#pragma once

#include <QVector>

#include <algorithm>

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
    // Replaces the values with a whole row read at once, stored exactly as
    // appending them one by one and then squeezing would store them, but
    // without regrowing the storage on the way.
    void assign(const double* row, qsizetype rowSize);
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
    // Calls visit(position, value) for each position in [begin, end), in
    // ascending order, whose value is not a plain 0.0; sparse values never
    // look at their zeros.
    template <typename Visit>
    void forEachNonZero(qsizetype begin, qsizetype end, Visit visit) const;
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

template <typename Visit>
void ParamicsOdValues::forEachNonZero(qsizetype begin, qsizetype end, Visit visit) const
{
    begin = std::max<qsizetype>(begin, 0);
    end = std::min(end, count);
    if (dense) {
        for (qsizetype position = begin; position < end; ++position) {
            if (!isPlainZero(values.at(position)))
                visit(position, values.at(position));
        }
        return;
    }
    auto it = std::lower_bound(positions.cbegin(), positions.cend(), begin);
    for (; it != positions.cend() && *it < end; ++it)
        visit(*it, values.at(it - positions.cbegin()));
}
