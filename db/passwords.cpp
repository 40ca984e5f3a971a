#include "db/passwords.h"

#include <sodium.h>

#include <stdexcept>

namespace {
void ensureSodium() {
  static const bool ready = sodium_init() >= 0;
  if (!ready) throw std::runtime_error("libsodium failed to start");
}
}  // namespace

QString HashPassword(const QString& password) {
  ensureSodium();
  const QByteArray plain = password.toUtf8();
  char out[crypto_pwhash_STRBYTES];
  // Interactive limits: a login stays quick on a small machine.
  if (crypto_pwhash_str(out, plain.constData(), static_cast<unsigned long long>(plain.size()),
                        crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
    throw std::runtime_error("out of memory while hashing a password");
  return QString::fromLatin1(out);
}

bool VerifyPassword(const QString& password, const QString& hash) {
  ensureSodium();
  const QByteArray plain = password.toUtf8();
  const QByteArray stored = hash.trimmed().toLatin1();
  if (stored.isEmpty() || stored.size() >= crypto_pwhash_STRBYTES) return false;
  return crypto_pwhash_str_verify(stored.constData(), plain.constData(),
                                  static_cast<unsigned long long>(plain.size())) == 0;
}
