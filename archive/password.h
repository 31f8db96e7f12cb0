#pragma once
// Passwords as libsodium's Argon2id strings ("$argon2id$v=19$m=...,t=...,p=1$salt$hash"):
// the salt and the cost travel inside the string, so a hash made at one cost
// still verifies after the default changes. A password itself is never stored.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <string>

namespace rida::archive {

struct PasswordCost {
    unsigned long long operations; // Argon2id passes
    std::size_t memoryBytes;
    // libsodium's interactive limits: what a sign-in pays (about a tenth of a second).
    static PasswordCost interactive();
    // The smallest cost libsodium allows; for tests that make many users.
    static PasswordCost minimum();
};

// Throws ArchiveError when the memory for the hash cannot be had.
QByteArray hashPassword(const QString& password, PasswordCost cost);
bool verifyPassword(const QByteArray& hash, const QString& password);

// Overwrites a buffer that held a password.
void wipe(QByteArray& bytes);
void wipe(std::string& bytes);

} // namespace rida::archive
