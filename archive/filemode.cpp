#include "archive/filemode.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace rida::archive {

namespace {

bool inGroup(gid_t gid)
{
    if (gid == ::getegid())
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int k = 0; k < got; ++k)
        if (groups[static_cast<std::size_t>(k)] == gid)
            return true;
    return false;
}

} // namespace

bool writableByMode(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return false;
    mode_t bit = S_IWOTH;
    if (st.st_uid == ::geteuid())
        bit = S_IWUSR;
    else if (inGroup(st.st_gid))
        bit = S_IWGRP;
    if (!(st.st_mode & bit))
        return false;
    // A read-only mount, an access list: the kernel's word.
    return ::access(name.constData(), W_OK) == 0;
}

bool createPrivateFile(const QString& path, QString* reason)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        if (errno == EEXIST)
            return true;
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    ::close(fd);
    return true;
}

} // namespace rida::archive
