#pragma once

// A built-in vehicle class that the vehicles file's types derive from.
struct ParamicsBaseVehicle
{
};
