#pragma once

#include <string>

namespace vornik::server {

// The claim of one running vornik-server on a data folder kept with SQLite: an
// exclusive lock (flock) on the file "vornik-server.lock" in the folder, holding
// the owner's process id. Another process asking for it is refused, and told who
// holds it. The lock goes with the process, however it ends.
class DataFolderLock
{
public:
    DataFolderLock() = default;
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock &) = delete;
    DataFolderLock &operator=(const DataFolderLock &) = delete;

    // False with `error` set when the folder is locked by another process (naming
    // its process id) or the lock file cannot be made. The folder is made if needed.
    bool acquire(const std::string &folder, std::string *error);

private:
    int m_fd = -1;
};

} // namespace vornik::server
