#pragma once

#include <QtCore/qglobal.h>

#if defined(CRVGUI6_BUILD)
#define CRVGUI_EXPORT Q_DECL_EXPORT
#else
#define CRVGUI_EXPORT Q_DECL_IMPORT
#endif
