#include "reader/vehiclesreader.h"

namespace {

using K = ParamicsToken;

bool isClassKeyword(const ParamicsToken& token)
{
    switch (token.kind) {
    case K::Car:
    case K::Lgv:
    case K::Ogv1:
    case K::Ogv2:
    case K::Bus:
    case K::Coach:
    case K::Minibus:
        return true;
    default:
        return false;
    }
}

}  // namespace

void VehiclesReader::read()
{
    const ParamicsToken& token = in.current();
    while (in.notAtEnd()) {
        if (token.is(K::Type)) {
            in.next();
            fileCurrent();
            current = new ParamicsVehicle(token.toInt());
        } else if (isClassKeyword(token)) {
            if (current)
                current->className = token.text().toLower();
            in.next();
        } else if (token.is(K::Matrix)) {
            in.next();
            if (current)
                current->matrix = token.toInt();
        } else if (token.is(K::Proportion)) {
            in.next();
            if (current)
                current->proportion = token.toDouble() / 100.0;
        } else {
            in.next();
        }
    }
    fileCurrent();
}

void VehiclesReader::fileCurrent()
{
    if (current)
        vehicles[current->matrix].append(current);
    current = nullptr;
}
