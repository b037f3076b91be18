#include "cvguardedmapping.h"

#include <QFile>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX

// The mappings the SIGBUS handler may repair. A fixed table of atomics,
// so that the handler reads it without locks or allocation; a process
// holds a few mappings at a time (one per file a reader has open).
constexpr int SlotCount = 64;
struct Slot
{
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> damaged{false};
};
Slot guarded[SlotCount];
std::mutex slotClaims;
struct sigaction previousAction;

std::uintptr_t pageSize()
{
    static const auto size = std::uintptr_t(sysconf(_SC_PAGESIZE));
    return size;
}

void onBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : guarded) {
        const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        const std::uintptr_t end = slot.end.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address >= end)
            continue;
        // Zero pages from the faulting one to the mapping's end: the file
        // has shrunk, so every later page is past its end too.
        const std::uintptr_t page = address & ~(pageSize() - 1);
        void* replaced = mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (replaced == MAP_FAILED)
            break;
        slot.damaged.store(true, std::memory_order_release);
        return;
    }
    // Not a guarded mapping: the fault is handled as it would be without us.
    if (previousAction.sa_flags & SA_SIGINFO) {
        if (previousAction.sa_sigaction) {
            previousAction.sa_sigaction(signal, info, context);
            return;
        }
    } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
        return;
    }
    ::signal(SIGBUS, SIG_DFL);  // the faulting access repeats and ends the program
}

void installHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action = {};
        action.sa_sigaction = &onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &previousAction);
    });
}

int claimSlot(std::uintptr_t begin, std::uintptr_t end)
{
    const std::lock_guard<std::mutex> lock(slotClaims);
    for (int i = 0; i < SlotCount; ++i) {
        if (guarded[i].begin.load() == 0) {
            guarded[i].damaged.store(false);
            guarded[i].end.store(end);
            guarded[i].begin.store(begin, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

#endif

}  // namespace

CVGuardedMapping::~CVGuardedMapping()
{
    unmap();
}

bool CVGuardedMapping::map(const QString& path)
{
    unmap();
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status = {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return false;
    }
    length = std::size_t(status.st_size);
    if (length == 0) {
        ::close(fd);
        return true;
    }
    installHandler();
    void* mapped = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED) {
        length = 0;
        return false;
    }
    bytes = static_cast<const char*>(mapped);
    const auto begin = reinterpret_cast<std::uintptr_t>(bytes);
    slot = claimSlot(begin, begin + (length + pageSize() - 1) / pageSize() * pageSize());
    if (slot < 0) {
        // More guarded files open than the table holds: not mapped, so the
        // caller reads by copy.
        unmap();
        return false;
    }
    return true;
#else
    Q_UNUSED(path);
    return false;
#endif
}

void CVGuardedMapping::unmap()
{
#ifdef Q_OS_UNIX
    if (slot >= 0) {
        // Under the claims' lock, and the slot's end cleared before its
        // begin frees it: a file mapped on another thread at the same time
        // must not take the slot between the two.
        const std::lock_guard<std::mutex> lock(slotClaims);
        guarded[slot].end.store(0);
        guarded[slot].begin.store(0, std::memory_order_release);
        slot = -1;
    }
    if (bytes)
        munmap(const_cast<char*>(bytes), length);
#endif
    bytes = nullptr;
    length = 0;
}

bool CVGuardedMapping::damaged() const
{
#ifdef Q_OS_UNIX
    return slot >= 0 && guarded[slot].damaged.load(std::memory_order_acquire);
#else
    return false;
#endif
}

void CVGuardedMapping::release(std::size_t from, std::size_t to) const
{
#ifdef Q_OS_UNIX
    const std::uintptr_t page = pageSize();
    const auto base = reinterpret_cast<std::uintptr_t>(bytes);
    const std::uintptr_t start = (base + from + page - 1) / page * page;
    const std::uintptr_t end = (base + std::min(to, length)) / page * page;
    if (bytes && end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
#else
    Q_UNUSED(from);
    Q_UNUSED(to);
#endif
}

QString CVGuardedMapping::damagedMessage()
{
    return QStringLiteral("the file changed (it shrank or was replaced) while it was read");
}
