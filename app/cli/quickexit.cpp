#include "cli/quickexit.h"

#include <cvmodel.h>

#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CORVIA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define CORVIA_SANITIZED 1
#endif
#endif

namespace {

bool quickExit = false;

}  // namespace

void QuickExit::enable()
{
#ifndef CORVIA_SANITIZED
    quickExit = true;
#endif
}

bool QuickExit::enabled()
{
    return quickExit;
}

QuickExit::KeepModel::~KeepModel()
{
    if (quickExit)
        (void)model.release();
}

int QuickExit::exitNow(int status)
{
    if (!quickExit)
        return status;
    // Every output file is closed by now; only the standard streams may
    // hold text.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}
