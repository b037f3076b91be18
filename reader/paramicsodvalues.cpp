#include "reader/paramicsodvalues.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {
// Rows shorter than this stay sparse: switching saves nothing worth having.
constexpr qsizetype MinDenseSize = 64;
}

bool ParamicsOdValues::isPlainZero(double value)
{
    // -0.0 and NaN are kept: they are not the 0.0 that a missing entry
    // reads as. +0.0 is the one double whose bits are all clear.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits == 0;
}

void ParamicsOdValues::append(double value)
{
    if (dense) {
        values.append(value);
        ++count;
        return;
    }
    if (!isPlainZero(value)) {
        positions.append(count);
        values.append(value);
    }
    ++count;
    // A sparse entry costs a value and a position, a dense one a value.
    if (count >= MinDenseSize && 2 * positions.size() > count)
        switchToDense();
}

void ParamicsOdValues::switchToDense()
{
    QVector<double> all(count, 0.0);
    for (qsizetype i = 0; i < positions.size(); ++i)
        all[positions.at(i)] = values.at(i);
    values = std::move(all);
    positions = QVector<qsizetype>();
    dense = true;
}

double ParamicsOdValues::at(qsizetype position) const
{
    if (position < 0 || position >= count)
        return 0.0;
    if (dense)
        return values.at(position);
    const auto it = std::lower_bound(positions.cbegin(), positions.cend(), position);
    if (it == positions.cend() || *it != position)
        return 0.0;
    return values.at(it - positions.cbegin());
}

QVector<double> ParamicsOdValues::toVector() const
{
    if (dense)
        return values;
    QVector<double> all(count, 0.0);
    for (qsizetype i = 0; i < positions.size(); ++i)
        all[positions.at(i)] = values.at(i);
    return all;
}

void ParamicsOdValues::assign(const double* row, qsizetype rowSize)
{
    // The position at which appending would have switched to dense storage.
    qsizetype nonZero = 0;
    qsizetype switchedAt = -1;
    for (qsizetype i = 0; i < rowSize; ++i) {
        nonZero += isPlainZero(row[i]) ? 0 : 1;
        if (i + 1 >= MinDenseSize && 2 * nonZero > i + 1) {
            switchedAt = i;
            break;
        }
    }
    count = rowSize;
    dense = switchedAt >= 0;
    values = QVector<double>();
    positions = QVector<qsizetype>();
    if (dense) {
        values = QVector<double>(row, row + rowSize);
        return;
    }
    // Filled through plain pointers: a row is hundreds of values, and
    // appending checks the vector's room at each.
    values.reserve(nonZero);
    positions.reserve(nonZero);
    values.resize(nonZero);
    positions.resize(nonZero);
    double* value = values.data();
    qsizetype* position = positions.data();
    for (qsizetype i = 0; i < rowSize; ++i) {
        if (!isPlainZero(row[i])) {
            *position++ = i;
            *value++ = row[i];
        }
    }
}
