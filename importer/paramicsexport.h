#pragma once

#include <QtCore/qglobal.h>

// Marks what the plug-in library exports; everything else stays hidden.
#define PARAMICS_EXPORT Q_DECL_EXPORT
