#pragma once
// SHA-256 of page bytes, as the records hold it: 64 lower-case hex digits.
//
// OpenSSL's libcrypto computes it with the processor's SHA instructions where
// it has them (about 1.5 GB/s here, against some 200 MB/s of a portable
// implementation); a page is hashed when it is read, again when its copy is
// read back, and once more before a moved source is removed, so this is most
// of what filing a page costs beyond writing it.

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace rida::archive {

QString sha256Hex(const QByteArray& bytes);

// Hashes data given in pieces.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    void add(const char* data, qint64 size);
    // The digest as hex; the hash starts afresh afterwards.
    QString hex();

private:
    struct State;
    std::unique_ptr<State> state_;
};

struct FileDigest {
    QString sha256;
    qint64 bytes = 0;
};

// The SHA-256 and size of a file read to its end; nothing when it cannot be read.
std::optional<FileDigest> digestOfFile(const QString& path);

} // namespace rida::archive
