#pragma once

#include "reader/paramicsdevicerecords.h"
#include "reader/paramicstokenstream.h"

#include <QVector>

// The annotation file's text labels. Lines and circles are not imported.
//
// "text" begins a label; its "colour" value is followed by the label's
// position, in the variant's form (Sias, or Quadstone for any other
// version), and then its text, quotes included, with the words of a text
// written over several words joined by single spaces. Only the first
// "colour" after "text" reads a position and a text; one after "line" or
// "circle" is skipped with its value.
class AnnotationReader
{
public:
    AnnotationReader(ParamicsTokenStream& stream, QVector<ParamicsAnnotation*>& annotations, double unitFactor,
                     bool sias)
        : in(stream), annotations(annotations), unitFactor(unitFactor), sias(sias)
    {
    }
    ~AnnotationReader() { delete current; }
    AnnotationReader(const AnnotationReader&) = delete;
    AnnotationReader& operator=(const AnnotationReader&) = delete;

    void read();

private:
    void fileCurrent();
    void readSiasPosition(CVPoint& position);
    void readQuadstonePosition(CVPoint& position);

    ParamicsTokenStream& in;
    QVector<ParamicsAnnotation*>& annotations;
    const double unitFactor;
    const bool sias;
    ParamicsAnnotation* current = nullptr;
};
