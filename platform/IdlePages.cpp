#include "platform/IdlePages.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#ifndef MADV_PAGEOUT
#define MADV_PAGEOUT 21
#endif

namespace {

struct ProgramMapping {
    quintptr start = 0;
    quintptr end = 0;
    bool writable = false;
    long long residentKb = 0;
    long long anonymousKb = 0; // copied-on-write pages (relocations), which would go to swap
};

// Read with stdio and fixed buffers: the tray's heap is what is being kept small,
// and /proc/self/smaps runs to hundreds of kilobytes.
class ProgramMappings
{
public:
    ProgramMappings()
    {
        const ssize_t length = readlink("/proc/self/exe", m_program, sizeof m_program - 1);
        if (length <= 0)
            return;
        m_program[length] = '\0';
        FILE *smaps = std::fopen("/proc/self/smaps", "re");
        if (!smaps)
            return;
        char line[PATH_MAX + 256];
        bool inProgram = false;
        while (std::fgets(line, sizeof line, smaps))
            inProgram = readLine(line, inProgram);
        std::fclose(smaps);
    }

    const std::vector<ProgramMapping> &all() const { return m_mappings; }

private:
    // One line: a mapping's header ("start-end perms offset dev inode path") or one of
    // its fields ("Rss:   12 kB"). Returns whether the lines that follow are the program's.
    bool readLine(const char *line, bool inProgram)
    {
        unsigned long long start = 0, end = 0;
        char permissions[8] = {};
        int pathAt = 0;
        if (std::sscanf(line, "%llx-%llx %7s %*s %*s %*s %n", &start, &end, permissions, &pathAt) >= 3 && pathAt > 0) {
            const bool program = std::strncmp(line + pathAt, m_program, std::strlen(m_program)) == 0
                && (line[pathAt + std::strlen(m_program)] == '\n' || line[pathAt + std::strlen(m_program)] == '\0');
            if (program)
                m_mappings.push_back({quintptr(start), quintptr(end), std::strchr(permissions, 'w') != nullptr});
            return program;
        }
        long long kilobytes = 0;
        if (inProgram && std::sscanf(line, "Rss: %lld", &kilobytes) == 1)
            m_mappings.back().residentKb = kilobytes;
        else if (inProgram && std::sscanf(line, "Anonymous: %lld", &kilobytes) == 1)
            m_mappings.back().anonymousKb = kilobytes;
        return inProgram;
    }

    char m_program[PATH_MAX] = {};
    std::vector<ProgramMapping> m_mappings;
};

} // namespace

qint64 releaseIdleProgramPages()
{
    qint64 released = 0;
    const ProgramMappings mappings;
    for (const ProgramMapping &mapping : mappings.all()) {
        if (mapping.writable || mapping.anonymousKb > 0)
            continue;
        if (madvise(reinterpret_cast<void *>(mapping.start), mapping.end - mapping.start, MADV_PAGEOUT) != 0)
            return errno == EINVAL ? -1 : released;
        released += qint64(mapping.end - mapping.start);
    }
    return released;
}

qint64 residentProgramBytes()
{
    const ProgramMappings mappings;
    if (mappings.all().empty())
        return -1;
    qint64 resident = 0;
    for (const ProgramMapping &mapping : mappings.all())
        resident += mapping.residentKb * 1024;
    return resident;
}
