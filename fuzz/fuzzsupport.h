#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// One scratch directory per fuzzing process, rewritten for every input.
class FuzzScratch
{
public:
    // The line that separates the files of a network in one input.
    static const QByteArray Separator;
    // The files of a network in the order an input lists them.
    static const QStringList& fileNames();

    static FuzzScratch& instance();

    QString path() const { return dir.path(); }
    // Writes the bytes as the named file and returns its full path.
    QString writeFile(const QString& name, const std::uint8_t* data, std::size_t size) const;
    // Removes every file, then writes each part of the input as the file of its position.
    void writeNetwork(const std::uint8_t* data, std::size_t size) const;

private:
    FuzzScratch();
    QTemporaryDir dir;
};
