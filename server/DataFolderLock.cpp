#include "server/DataFolderLock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vornik::server {
namespace {

// The process id the lock file names, as text; "" when it names none yet.
std::string holderOf(int fd)
{
    char text[32] = {};
    const ssize_t got = pread(fd, text, sizeof text - 1, 0);
    std::string_view pid(text, size_t(std::max<ssize_t>(got, 0)));
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' '))
        pid.remove_suffix(1);
    return pid.find_first_not_of("0123456789") == std::string_view::npos ? std::string(pid) : std::string();
}

} // namespace

DataFolderLock::~DataFolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool DataFolderLock::acquire(const std::string &folder, std::string *error)
{
    mkdir(folder.c_str(), 0700);
    const std::string path = folder + "/vornik-server.lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        const std::string holder = reason == EWOULDBLOCK ? holderOf(fd) : std::string();
        ::close(fd);
        if (reason != EWOULDBLOCK)
            *error = "cannot lock " + path + ": " + std::strerror(reason);
        else
            *error = "the data folder " + folder + " is in use by another vornik-server ("
                   + (holder.empty() ? std::string("process id not known yet") : "pid " + holder) + ")";
        return false;
    }
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) != ssize_t(pid.size())) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    return true;
}

} // namespace vornik::server
