#include "FailingDisk.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <unistd.h>

namespace {

// Descriptors are small numbers; those opened for writing the target file
// are marked here. Any thread may open or close, so the marks are atomic.
constexpr int MaxFd = 4096;
std::array<std::atomic<bool>, MaxFd> Watched{};
std::array<std::atomic<bool>, MaxFd> WroteShort{};

std::atomic<int> Armed{-1}; // a Step, or -1
std::atomic<int> FailureCount{0};
std::mutex TargetLock;
std::string Target, TargetFolder;

bool Targets(const char* path, int flags) {
    if (!path || Armed.load() < 0)
        return false;
    std::lock_guard lock(TargetLock);
    const std::string p(path);
    if (!Target.empty() && p.compare(0, Target.size(), Target) == 0)
        return true;
    // An unnamed temporary file is opened on the folder it will be linked into.
    return (flags & __O_TMPFILE) == __O_TMPFILE && (p == TargetFolder || p + '/' == TargetFolder);
}

bool Is(FailingDisk::Step step) {
    return Armed.load() == int(step);
}

int Fail(int error) {
    FailureCount.fetch_add(1);
    errno = error;
    return -1;
}

template <typename Fn> Fn Next(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

bool Mark(int fd) {
    return fd >= 0 && fd < MaxFd && Watched[fd].load();
}

} // namespace

namespace FailingDisk {

const char* Name(Step step) {
    switch (step) {
    case Step::Open:
        return "open";
    case Step::ShortWrite:
        return "short write";
    case Step::Sync:
        return "final flush";
    case Step::Rename:
        return "rename";
    }
    return "?";
}

void Arm(Step step, const QString& path) {
    {
        std::lock_guard lock(TargetLock);
        Target = path.toStdString();
        TargetFolder = Target.substr(0, Target.rfind('/') + 1);
    }
    FailureCount = 0;
    Armed = int(step);
}

void Disarm() {
    Armed = -1;
    for (auto& w : Watched)
        w = false;
    for (auto& w : WroteShort)
        w = false;
}

int Failures() {
    return FailureCount.load();
}

} // namespace FailingDisk

extern "C" {

int open64(const char* path, int flags, ...) {
    static const auto real = Next<int (*)(const char*, int, ...)>("open64");
    mode_t mode = 0;
    if (flags & (O_CREAT | __O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    const bool writing = (flags & O_ACCMODE) != O_RDONLY;
    const bool below = writing && Targets(path, flags);
    if (below && Is(FailingDisk::Step::Open))
        return Fail(EACCES);
    const int fd = real(path, flags, mode);
    if (below && fd >= 0 && fd < MaxFd) {
        Watched[fd] = true;
        WroteShort[fd] = false;
    }
    return fd;
}

ssize_t write(int fd, const void* data, size_t size) {
    static const auto real = Next<ssize_t (*)(int, const void*, size_t)>("write");
    if (Mark(fd) && Is(FailingDisk::Step::ShortWrite)) {
        if (WroteShort[fd].exchange(true) || size < 2)
            return Fail(ENOSPC);
        FailureCount.fetch_add(1);
        return real(fd, data, size / 2);
    }
    return real(fd, data, size);
}

int fdatasync(int fd) {
    static const auto real = Next<int (*)(int)>("fdatasync");
    if (Mark(fd) && Is(FailingDisk::Step::Sync))
        return Fail(EIO);
    return real(fd);
}

int fsync(int fd) {
    static const auto real = Next<int (*)(int)>("fsync");
    if (Mark(fd) && Is(FailingDisk::Step::Sync))
        return Fail(EIO);
    return real(fd);
}

int rename(const char* from, const char* to) {
    static const auto real = Next<int (*)(const char*, const char*)>("rename");
    if (Is(FailingDisk::Step::Rename) && Targets(to, 0))
        return Fail(EIO);
    return real(from, to);
}

int close(int fd) {
    static const auto real = Next<int (*)(int)>("close");
    if (fd >= 0 && fd < MaxFd)
        Watched[fd] = false;
    return real(fd);
}

} // extern "C"
