#pragma once

#include "cvexport.h"

#include <QObject>
#include <QString>
#include <QVector>

struct CVLogEntry
{
    QString level;  // "warning", "info" or "error"
    QString text;
};

// The model's log. The host application reads it and is told of each entry.
class CRVKERNEL_EXPORT CVLog : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    void addWarning(const QString& text) { add(QStringLiteral("warning"), text); }
    void addInfo(const QString& text) { add(QStringLiteral("info"), text); }
    void addError(const QString& text) { add(QStringLiteral("error"), text); }
    // An entry of any level, as a saved model brings it back.
    void addEntry(const QString& level, const QString& text) { add(level, text); }
    const QVector<CVLogEntry>& getEntries() const { return entries; }
    QStringList warnings() const;
    void clear() { entries.clear(); }

signals:
    void entryAdded(const CVLogEntry& entry);

private:
    void add(const QString& level, const QString& text);
    QVector<CVLogEntry> entries;
};
