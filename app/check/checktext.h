#pragma once

#include "check/checkfinding.h"

#include <QStringList>

// A check's findings for people: a count line, then per kind a heading
// with its count (and the trips lost, where any) and its findings, the
// first few of each kind with the first few objects each unless all are
// asked for.
namespace CheckText {

constexpr int FindingsShown = 5;
constexpr int ObjectsShown = 6;

QString countLine(const CheckReport& report);
QStringList lines(const CheckReport& report, bool all);
// "link 12:13, link 13:14 and 3 more": the objects from the first one
// given, at most shown of them (all when shown is negative).
QString objectList(const CheckFinding& finding, int shown, int first = 0);

}  // namespace CheckText
