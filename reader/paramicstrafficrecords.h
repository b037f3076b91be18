#pragma once

// Records of the vehicles, demands, profile and matrix files.

struct ParamicsVehicle
{
};

struct ParamicsDemand
{
};

struct ParamicsProfile
{
};

struct ParamicsMatrix
{
};
