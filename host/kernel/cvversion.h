#pragma once

// The host release that this kernel stands for, as plug-ins show it.
constexpr const char CVVersionText[] = "6.1.1";
constexpr int CVRevision = 4318;
