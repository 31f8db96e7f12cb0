#include "archive/sha256.h"

#include <QFile>

#include <openssl/evp.h>

#include <new>
#include <vector>

namespace rida::archive {

namespace {

QString hexOf(const unsigned char* digest, unsigned int size)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), int(size)).toHex());
}

} // namespace

QString sha256Hex(const QByteArray& bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(bytes.constData(), std::size_t(bytes.size()), digest, &size, EVP_sha256(), nullptr) != 1)
        throw std::bad_alloc();
    return hexOf(digest, size);
}

struct Sha256::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~State() { EVP_MD_CTX_free(context); }
    void start()
    {
        if (!context || EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1)
            throw std::bad_alloc();
    }
};

Sha256::Sha256() : state_(std::make_unique<State>())
{
    state_->start();
}

Sha256::~Sha256() = default;

void Sha256::add(const char* data, qint64 size)
{
    if (size > 0 && EVP_DigestUpdate(state_->context, data, std::size_t(size)) != 1)
        throw std::bad_alloc();
}

QString Sha256::hex()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(state_->context, digest, &size) != 1)
        throw std::bad_alloc();
    state_->start();
    return hexOf(digest, size);
}

std::optional<FileDigest> digestOfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    Sha256 hash;
    std::vector<char> buffer(std::size_t(1) << 20);
    FileDigest digest;
    for (;;) {
        const qint64 n = file.read(buffer.data(), qint64(buffer.size()));
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        hash.add(buffer.data(), n);
        digest.bytes += n;
    }
    digest.sha256 = hash.hex();
    return digest;
}

} // namespace rida::archive
