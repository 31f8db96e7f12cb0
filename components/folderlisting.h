#pragma once
// Listing the folders and image files of one folder for the file browser.
//
// Names are read with std::filesystem and kept as the file system holds them
// (native bytes), so that a file whose name is not valid in the locale's
// encoding (a CP949 name copied from another system) is still listed and can
// still be opened. The shown name is decoded from those bytes: UTF-8 when they
// are valid UTF-8, otherwise the Microsoft Korean code page.
// Nothing here decodes an image or looks into a file.

#include <QString>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace rida::components {

struct FolderEntry {
    std::filesystem::path path; // full path, native bytes
    QString name;               // the last component as shown to the user
};

// The shown text of a name or path.
QString displayText(const std::filesystem::path& p);
// The shown folder of `p` with its trailing separator ("/home/user/Files/").
QString displayFolder(const std::filesystem::path& folder);

// True when `name` matches one of the masks of `masks` ("*.jpg" or "*.bmp;*.jpg;*.jpeg").
// "*" stands for any run of characters and "?" for one; letters match regardless
// of case, as scanned files named on Windows ("IMG001.JPG") must be found.
bool matchesMask(const QString& name, const QString& masks);

// The regular files of `folder` whose names match `masks`, sorted by shown name
// (letters regardless of case). Throws model::Error naming the folder when it
// cannot be read (missing, not a folder, no permission).
std::vector<FolderEntry> listFiles(const std::filesystem::path& folder, const QString& masks);

// The subfolders of `folder`, sorted the same way; hidden ones (name starting
// with ".") are left out. Throws model::Error as listFiles does.
std::vector<FolderEntry> listFolders(const std::filesystem::path& folder);

// A mounted file system as /proc/self/mountinfo lists it.
struct Mount {
    std::string point; // where it is mounted (escapes such as "\040" decoded)
    std::string type;  // the file system type ("ext4", "nfs4", "fuse.sshfs", ...)
};

// The mounts of a mountinfo text, in its order; lines that do not parse are left out.
std::vector<Mount> parseMountInfo(const std::string& text);

// True for a mount a user would browse for scanned pages: not a kernel or
// runtime file system (proc, sysfs, cgroup, devpts, ...) nor one mounted under
// /dev, /proc, /sys or /run (removable media under /run/media excepted).
bool isBrowsableMount(const Mount& m);

// True for a file system whose answers come over a network or from another
// process (NFS, SMB, FUSE, ...): asking it anything may take long or never end.
bool isRemoteMount(const Mount& m);

// The drive list's roots: the browsable mount points, each once, in byte
// order, "/" always among them. A local mount point is kept only where
// `isFolder` says it is one (containers bind single files such as /etc/hosts);
// a remote one is never asked, as it may not answer.
std::vector<std::string> browsableRoots(const std::vector<Mount>& mounts,
                                        const std::function<bool(const std::string&)>& isFolder);

} // namespace rida::components
