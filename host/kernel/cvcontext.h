#pragma once

// Which context a data value is read in. This host keeps one value per
// column, so every context reads the same value.
struct CVContext
{
    enum Context { anyContext = 0 };
};
