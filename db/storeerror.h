#pragma once
// What went wrong with a store, said so that a clerk can act on it: a
// Chinese sentence naming the kind of failure, the engine's own text below.
// Qt reports every statement on a dropped connection with an empty text, so
// an error's text alone never tells success from failure.
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

enum class StoreFailure {
  Other,            // the statement itself was refused: its text says why
  Unreachable,      // no server answered at that address in time
  WrongPassword,    // the server refused the user or the password
  UnknownDatabase,  // the server has no database of that name
  LostConnection,   // an open connection broke (server stopped, network gone)
  TimedOut,         // a lock or a statement waited longer than allowed
  FileUnavailable,  // the SQLite file could not be opened or made
  // --- outcome of a commit whose connection broke (kept apart from the kinds above) ---
  CommitUnknown,    // the server may or may not have committed it
};

// The kind of a failed open or statement.
StoreFailure ClassifyStoreError(const QSqlError& error);
// The sentence for a kind, without the engine's text; empty for Other.
QString StoreFailureSentence(StoreFailure kind);
// The sentence, then the engine's text below it; never empty.
QString StoreErrorText(const QSqlError& error);
// The text of a failure that the engine gave no words for.
QString StoreErrorText(const QString& engineText);

// --- outcome of a commit whose connection broke ---
// The sentence for CommitUnknown: look before trying again, or it may be
// written twice.
QString CommitUnknownSentence();
