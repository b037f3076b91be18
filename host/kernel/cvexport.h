#pragma once

#include <QtCore/qglobal.h>

// Every class of the host kernel is part of its public interface.
#if defined(CRVKERNEL6_BUILD)
#define CRVKERNEL_EXPORT Q_DECL_EXPORT
#else
#define CRVKERNEL_EXPORT Q_DECL_IMPORT
#endif
