#pragma once

#include <QString>
#include <QVector>

class CVModel;
class CVObject;

// What the properties panel shows of an object, for people: names and
// Paramics numbers first, values with their units, lanes as a small table,
// referenced objects as links. Types it has no words for show the fields
// of the model file.
namespace ObjectDescription {

struct Row
{
    QString field;
    QString value;
    unsigned int link = 0;  // an object the row names, which a click shows; 0: none
    QVector<Row> children;  // a list or table under the row, folded
};

QVector<Row> describe(const CVObject& object, const CVModel& model);

}  // namespace ObjectDescription
