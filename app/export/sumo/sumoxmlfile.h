#pragma once

#include <QSaveFile>
#include <QXmlStreamWriter>

// One SUMO XML file being written: the root element is opened on start and
// closed, with the file committed, on finish. A file that could not be
// opened takes no writes (the writer has no device), so a writer checks
// isOpen() before it walks the model.
class SumoXmlFile
{
public:
    SumoXmlFile(const QString& path, const QString& rootElement) : file(path)
    {
        if (!file.open(QIODevice::WriteOnly))
            return;
        xml.setDevice(&file);
        xml.setAutoFormatting(true);
        xml.writeStartDocument();
        xml.writeStartElement(rootElement);
    }

    bool isOpen() const { return file.isOpen(); }
    QXmlStreamWriter& writer() { return xml; }

    // False, with the reason in error, when the file could not be written.
    bool finish(QString* error)
    {
        if (file.isOpen()) {
            xml.writeEndElement();
            xml.writeEndDocument();
            if (!xml.hasError() && file.commit())
                return true;
        }
        if (error)
            *error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
        return false;
    }

private:
    QSaveFile file;
    QXmlStreamWriter xml;
};
