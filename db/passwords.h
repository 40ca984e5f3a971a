#pragma once
#include <QString>

// Passwords are kept as argon2id hashes; these are the only two ways in.
QString HashPassword(const QString& password);
bool VerifyPassword(const QString& password, const QString& hash);
