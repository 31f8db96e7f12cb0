#include "archive/password.h"

#include "archive/error.h"

#include <sodium.h>

#include <string>

namespace rida::archive {

namespace {

void ensureSodium()
{
    static const int state = sodium_init(); // 0 first time, 1 when already done, -1 on failure
    if (state < 0)
        throw ArchiveError(Failure::Database, QStringLiteral("암호 라이브러리를 시작할 수 없습니다."));
}

} // namespace

PasswordCost PasswordCost::interactive()
{
    return {crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE};
}

PasswordCost PasswordCost::minimum()
{
    return {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN};
}

QByteArray hashPassword(const QString& password, PasswordCost cost)
{
    ensureSodium();
    QByteArray bytes = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    const int rc = crypto_pwhash_str_alg(out, bytes.constData(), static_cast<unsigned long long>(bytes.size()),
                                         cost.operations, cost.memoryBytes, crypto_pwhash_ALG_ARGON2ID13);
    wipe(bytes);
    if (rc != 0)
        throw ArchiveError(Failure::Database, QStringLiteral("메모리가 부족하여 비밀번호를 처리할 수 없습니다."));
    return QByteArray(out);
}

bool verifyPassword(const QByteArray& hash, const QString& password)
{
    ensureSodium();
    QByteArray bytes = password.toUtf8();
    const bool ok = crypto_pwhash_str_verify(hash.constData(), bytes.constData(),
                                             static_cast<unsigned long long>(bytes.size())) == 0;
    wipe(bytes);
    return ok;
}

void wipe(QByteArray& bytes)
{
    if (!bytes.isEmpty())
        sodium_memzero(bytes.data(), static_cast<std::size_t>(bytes.size()));
    bytes.clear();
}

void wipe(std::string& bytes)
{
    if (!bytes.empty())
        sodium_memzero(bytes.data(), bytes.size());
    bytes.clear();
}

} // namespace rida::archive
