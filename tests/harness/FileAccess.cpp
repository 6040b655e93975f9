#include "tests/harness/FileAccess.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vtest {
namespace {

constexpr unsigned kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

// capget/capset on the calling thread (pid 0); both capabilities live in the first word.
bool readCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool writeCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

WithoutFileAccessOverride::WithoutFileAccessOverride()
{
    __user_cap_data_struct data[2]{};
    if (!readCapabilities(data))
        return;
    m_savedEffective = data[0].effective;
    if ((data[0].effective & kOverrides) == 0) {
        m_active = true;
        return;
    }
    data[0].effective &= ~kOverrides;
    m_dropped = m_active = writeCapabilities(data);
}

WithoutFileAccessOverride::~WithoutFileAccessOverride()
{
    if (!m_dropped)
        return;
    __user_cap_data_struct data[2]{};
    if (readCapabilities(data)) {
        data[0].effective = m_savedEffective;
        writeCapabilities(data);
    }
}

} // namespace vtest
