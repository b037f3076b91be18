#pragma once

// Records of the bus stops and bus routes files.

struct ParamicsBusStop
{
};

struct ParamicsBusRoute
{
};
