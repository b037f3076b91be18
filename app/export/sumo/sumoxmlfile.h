#pragma once

#include <cvoutputfile.h>

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
        opened = file.open();
        if (!opened)
            return;
        xml.setDevice(file.device());
        xml.setAutoFormatting(true);
        xml.writeStartDocument();
        xml.writeStartElement(rootElement);
    }

    bool isOpen() const { return opened; }
    QXmlStreamWriter& writer() { return xml; }

    // False, with the reason in error, when the file could not be written.
    bool finish(QString* error)
    {
        if (opened) {
            xml.writeEndElement();
            xml.writeEndDocument();
            if (!xml.hasError() && file.commit())
                return true;
        }
        if (error) {
            // A device error is the system's; otherwise the XML writer refused text.
            const QString reason =
                !file.errorString().isEmpty() ? file.errorString() : QStringLiteral("text that XML cannot hold");
            *error = QStringLiteral("%1: %2").arg(file.path(), reason);
        }
        return false;
    }

private:
    CVOutputFile file;
    bool opened = false;
    QXmlStreamWriter xml;
};
