#pragma once

#include <sys/stat.h>

// While it lives, every file this process creates (a database, the engine's side files, a scratch file, a backup
// copy) is made owner-only from its first byte, whatever umask the user runs with; the old umask comes back when
// it goes. The answers of participants are not for every account on the machine.
class OwnerOnlyFiles
{
public:
    OwnerOnlyFiles() : m_previous(::umask(S_IRWXG | S_IRWXO)) {}
    ~OwnerOnlyFiles() { ::umask(m_previous); }
    OwnerOnlyFiles(const OwnerOnlyFiles&) = delete;
    OwnerOnlyFiles& operator=(const OwnerOnlyFiles&) = delete;

private:
    mode_t m_previous;
};
