#pragma once

// Root may read and write any file whatever its mode bits. While one of these
// exists, the calling thread gives up that power (the two capabilities that grant
// it), so that a test running as root sees a file's mode as a user would: a file
// without read permission cannot be opened, a folder without write permission takes
// no new names. Outside root it changes nothing. The capabilities come back when it
// goes.
namespace vtest {

class WithoutFileAccessOverride
{
public:
    WithoutFileAccessOverride();
    ~WithoutFileAccessOverride();
    WithoutFileAccessOverride(const WithoutFileAccessOverride &) = delete;
    WithoutFileAccessOverride &operator=(const WithoutFileAccessOverride &) = delete;

    // Whether mode bits now hold for this thread (dropped, or never had the override).
    bool active() const { return m_active; }

private:
    bool m_active = false;
    bool m_dropped = false;
    unsigned m_savedEffective = 0;
};

} // namespace vtest
