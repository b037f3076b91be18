#include "cvlog.h"

void CVLog::add(const QString& level, const QString& text)
{
    entries.append({level, text});
    emit entryAdded(entries.constLast());
}

QStringList CVLog::warnings() const
{
    QStringList texts;
    for (const CVLogEntry& entry : entries) {
        if (entry.level == QLatin1String("warning"))
            texts.append(entry.text);
    }
    return texts;
}
