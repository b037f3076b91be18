#include "reader/prioritiesreaders.h"

#include <algorithm>

namespace {

using K = ParamicsToken;

// Copies the word's characters into text, in text's own buffer while no
// movement shares it: the node names of a movement change with every line.
void assignWord(QString& text, const ParamicsToken& token)
{
    const ParamicsNamePart part = token.namePart();
    if (!part.latin1) {
        text = token.text();
        return;
    }
    text.resize(part.size);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < part.size; ++i)
        out[i] = part.at(i);
}

}  // namespace

// Copies the pending phase onto the junction, once: a phase stored
// stays marked so until a header makes the next one.
void PrioritiesReader::storePhase()
{
    if (phase && !stored && junction) {
        junction->appendPriority(*phase);
        stored = true;
    }
}

// A phase header makes a new pending phase, not yet stored.
void PrioritiesReader::startPhase(double duration)
{
    storePhase();
    phase = ParamicsPhase();
    phase->offset = offset;
    phase->time = duration;
    stored = false;
}

// "from a" and "to b"; the turning changes only when the link a:J exists.
void PrioritiesReader::readFrom()
{
    assignWord(fromNode, in.next());
}

void PrioritiesReader::readTo()
{
    assignWord(toNode, in.next());
    if (!junction)
        return;
    if (ParamicsLink* link = links.value(ParamicsName::link(fromNode, junction->id), nullptr))
        turning = link->findTurning(ParamicsName::link(junction->id, toNode));
}

// The movement has green in the current phase; each one is listed once.
void PrioritiesReader::addMovement()
{
    if (!inPhase || !phase)
        return;
    const QPair<QString, QString> movement(fromNode, toNode);
    if (!phase->movements.contains(movement))
        phase->movements.append(movement);
}

void PrioritiesReader::setWarningIndicator(int rank)
{
    if (turning)
        turning->warningIndicator = rank;
}

// "max" and "red" take their values also when there is no phase, so
// that a value word such as "phase" is never read as a header.
void PrioritiesReader::readMax()
{
    const double maximum = in.next().toDouble();
    if (phase)
        phase->setMaxTime(maximum);
}

// "red phase t" or "red stage t".
void PrioritiesReader::readRed()
{
    in.next();
    const double red = in.next().toDouble();
    if (phase)
        phase->red = red;
}

void PrioritiesReader::skip(int count)
{
    for (int i = 0; i < count; ++i)
        in.next();
}

void QuadstonePrioritiesReader::read()
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

void QuadstonePrioritiesReader::readActions()
{
    storePhase();
    inPhase = false;
    const ParamicsToken& token = in.next();
    if (token.is(K::Signals))
        return;
    junction = nodes.value(token.namePart(), nullptr);
    stored = true;  // the pending phase, if any, belongs to the previous junction
}

void QuadstonePrioritiesReader::readPhaseHeader()
{
    const ParamicsToken& token = in.next();
    if (token.is(K::Offset)) {
        offset = in.next().toDouble();
        return;
    }
    inPhase = true;
    startPhase(in.next().toDouble());
}

void QuadstonePrioritiesReader::readRank(int rank)
{
    setWarningIndicator(rank);
    in.next();
    addMovement();
}

void SiasPrioritiesReader::read()
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

// A new junction block also leaves the stages of the previous one.
void SiasPrioritiesReader::readActions()
{
    storePhase();
    inPhase = false;
    const ParamicsToken& token = in.next();
    if (token.is(K::Signals)) {
        skip(2);
        junction = nodes.value(in.next().namePart(), nullptr);
        if (junction)
            stored = true;
        return;
    }
    junction = nodes.value(token.namePart(), nullptr);
    stored = true;
}

// Without a junction the header is ignored and the pending stage stays.
void SiasPrioritiesReader::readStageHeader()
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

void SiasPrioritiesReader::readRank(int rank)
{
    setWarningIndicator(rank);
    in.next();
    addMovement();
}

void SiasPrioritiesReader::readBarred()
{
    if (junction && turning) {
        if (!inPhase)
            turning->barred = true;
        else if (phase)
            phase->barredTurnings.append(turning);
    }
    in.next();
}

void barTurningsBarredInEveryStage(const ParamicsNodeMap& nodes)
{
    for (ParamicsNode* node : nodes) {
        if (!node)
            continue;
        const QVector<ParamicsPhase>& phases = node->priorities;
        for (const ParamicsPhase& phase : phases) {
            for (ParamicsTurning* turning : phase.barredTurnings) {
                const bool barredInEvery = std::all_of(phases.begin(), phases.end(), [turning](const ParamicsPhase& p) {
                    return p.barredTurnings.contains(turning);
                });
                if (turning && barredInEvery)
                    turning->barred = true;
            }
        }
    }
}
