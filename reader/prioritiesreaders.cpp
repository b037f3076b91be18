// Give-way ranks and signal phases, in the Quadstone and the Sias dialect.
//
// A junction block starts with "actions" and the junction's node id. A
// movement is named by the node it arrives from and the node it leaves to:
// "from a to b" at junction J is the turning of link a:J into link J:b.
// Phases ("stage" in Sias files) are copied onto their node only when the
// next "actions" or phase header is met, so the last phase of a file,
// followed by neither, is not kept.

#include "importer/paramicsimporter.h"
#include "reader/paramicstokenstream.h"

#include <optional>

namespace {

using K = ParamicsToken;

// The state both dialects keep while walking the file. None of it is reset
// between junctions except where a keyword says so: the offset holds for
// every later phase, and the current movement stays current until the
// next "to".
class PrioritiesReader
{
public:
    PrioritiesReader(ParamicsTokenStream& stream, const QMap<QString, ParamicsNode*>& nodes,
                     const QMap<QString, ParamicsLink*>& links)
        : in(stream), nodes(nodes), links(links)
    {
    }

protected:
    // Copies the pending phase onto the junction, once: a phase stored
    // stays marked so until a header makes the next one.
    void storePhase()
    {
        if (phase && !stored && junction) {
            junction->appendPriority(*phase);
            stored = true;
        }
    }

    // A phase header makes a new pending phase, not yet stored.
    void startPhase(double duration)
    {
        storePhase();
        phase = ParamicsPhase();
        phase->offset = offset;
        phase->time = duration;
        stored = false;
    }

    // "from a" and "to b"; the turning changes only when the link a:J exists.
    void readFrom() { fromNode = in.next().text; }
    void readTo()
    {
        toNode = in.next().text;
        if (!junction)
            return;
        if (ParamicsLink* link = links.value(ParamicsLink::linkName(fromNode, junction->id), nullptr))
            turning = link->findTurning(ParamicsLink::linkName(junction->id, toNode));
    }

    // The movement has green in the current phase; each one is listed once.
    void addMovement()
    {
        if (!inPhase || !phase)
            return;
        const QPair<QString, QString> movement(fromNode, toNode);
        if (!phase->movements.contains(movement))
            phase->movements.append(movement);
    }

    void setWarningIndicator(int rank)
    {
        if (turning)
            turning->warningIndicator = rank;
    }

    // "max" and "red" take their values also when there is no phase, so
    // that a value word such as "phase" is never read as a header.
    void readMax()
    {
        const double maximum = in.next().toDouble();
        if (phase)
            phase->setMaxTime(maximum);
    }

    // "red phase t" or "red stage t".
    void readRed()
    {
        in.next();
        const double red = in.next().toDouble();
        if (phase)
            phase->red = red;
    }

    void skip(int count)
    {
        for (int i = 0; i < count; ++i)
            in.next();
    }

    ParamicsTokenStream& in;
    const QMap<QString, ParamicsNode*>& nodes;
    const QMap<QString, ParamicsLink*>& links;

    ParamicsNode* junction = nullptr;
    QString fromNode;
    QString toNode;
    ParamicsTurning* turning = nullptr;
    std::optional<ParamicsPhase> phase;
    bool stored = false;
    bool inPhase = false;
    double offset = 0.0;
};

// Quadstone: "actions J", movement lines "from a to b major|medium|minor|
// barred", and phases "phase offset t" / "phase n duration" with their
// "max", "red" and the movements that have green.
class QuadstonePrioritiesReader : public PrioritiesReader
{
public:
    using PrioritiesReader::PrioritiesReader;

    void read()
    {
        while (in.notAtEnd()) {
            switch (in.current().kind) {
            case K::Actions: readActions(); break;
            case K::Phase: readPhaseHeader(); break;
            case K::From: readFrom(); break;
            case K::To: readTo(); break;
            case K::Major: readRank(0); break;
            case K::Medium: readRank(1); break;
            case K::Minor: readRank(2); break;
            case K::Barred:
                if (turning)
                    turning->barred = true;
                in.next();
                break;
            case K::Max: readMax(); break;
            case K::Red: readRed(); break;
            case K::All: skip(3); break;  // "all barred except": the three words
            default: in.next(); break;
            }
        }
    }

private:
    void readActions()
    {
        storePhase();
        inPhase = false;
        const ParamicsToken& token = in.next();
        if (token.is(K::Signals))
            return;
        junction = nodes.value(token.text, nullptr);
        stored = true;  // the pending phase, if any, belongs to the previous junction
    }

    void readPhaseHeader()
    {
        const ParamicsToken& token = in.next();
        if (token.is(K::Offset)) {
            offset = in.next().toDouble();
            return;
        }
        inPhase = true;
        startPhase(in.next().toDouble());
    }

    void readRank(int rank)
    {
        setWarningIndicator(rank);
        in.next();
        addMovement();
    }
};

// Sias: as Quadstone with stages for phases; "actions signals x y J" for a
// signalised junction; medium and minor rank alike; a movement barred
// within a stage is only listed in that stage.
class SiasPrioritiesReader : public PrioritiesReader
{
public:
    using PrioritiesReader::PrioritiesReader;

    void read()
    {
        while (in.notAtEnd()) {
            switch (in.current().kind) {
            case K::Actions: readActions(); break;
            case K::Stage: readStageHeader(); break;
            case K::From: readFrom(); break;
            case K::To: readTo(); break;
            case K::Major: readRank(0); break;
            case K::Medium:
            case K::Minor: readRank(1); break;
            case K::Barred: readBarred(); break;
            case K::Max: readMax(); break;
            case K::Red: readRed(); break;
            case K::Min: skip(2); break;  // "min" and its value
            case K::All: skip(2); break;  // "all barred": the two words
            default: in.next(); break;
            }
        }
    }

private:
    // A new junction block also leaves the stages of the previous one.
    void readActions()
    {
        storePhase();
        inPhase = false;
        const ParamicsToken& token = in.next();
        if (token.is(K::Signals)) {
            skip(2);
            junction = nodes.value(in.next().text, nullptr);
            if (junction)
                stored = true;
            return;
        }
        junction = nodes.value(token.text, nullptr);
        stored = true;
    }

    // Without a junction the header is ignored and the pending stage stays.
    void readStageHeader()
    {
        const ParamicsToken& token = in.next();
        if (token.is(K::Offset)) {
            offset = in.next().toDouble();
            return;
        }
        const double duration = in.next().toDouble();
        if (!junction)
            return;
        inPhase = true;
        startPhase(duration);
    }

    void readRank(int rank)
    {
        setWarningIndicator(rank);
        in.next();
        addMovement();
    }

    void readBarred()
    {
        if (junction && turning) {
            if (!inPhase)
                turning->barred = true;
            else if (phase)
                phase->barredTurnings.append(turning);
        }
        in.next();
    }
};

}  // namespace

void ParamicsImporter::readPriorities(const QString& directory)
{
    ParamicsTokenStream stream(model, directory + QStringLiteral("/priorities"));
    QuadstonePrioritiesReader(stream, nodes, links).read();
}

void ParamicsImporter::readPrioritiesSias(const QString& directory)
{
    ParamicsTokenStream stream(model, directory + QStringLiteral("/priorities"));
    SiasPrioritiesReader(stream, nodes, links).read();
}
