#pragma once
// What went wrong with a store, said so that a clerk can act on it: a
// Chinese sentence naming the kind of failure, the engine's own text below.
// Qt reports every statement on a dropped connection with an empty text, so
// an error's text alone never tells success from failure. Qt's error type
// says little (its SQLite driver files any failing step as a connection
// error): the kind is read from the engine's own code, SQLite's extended
// result code or PostgreSQL's SQLSTATE, and on the file store no sentence
// speaks of a server.
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

enum class StoreFailure {
  Other,            // the statement itself was refused: its text says why
  Unreachable,      // no server answered at that address in time
  WrongPassword,    // the server refused the user or the password
  UnknownDatabase,  // the server has no database of that name
  LostConnection,   // an open connection broke (server stopped, network gone)
  TimedOut,         // a lock or a statement waited longer than allowed
  FileUnavailable,  // the SQLite file could not be opened, made or written
  DiskFull,         // the disk of the file or of the server is full
  Refused,          // a key or rule of a table refused the row (a twin key)
  TryAgain,         // the server undid the transaction: deadlock or conflict
  ServerFull,       // the server answered: it takes no more connections
  NotPermitted,     // the server answered: the user lacks the right
  FileFailed,       // anything else the file store refused: its text says why
  // --- outcome of a commit whose connection broke (kept apart from the kinds above) ---
  CommitUnknown,    // the server may or may not have committed it
};

// The kind of a failed open or statement.
StoreFailure ClassifyStoreError(const QSqlError& error);
// Whether the error came from the SQLite file store.
bool IsFileStoreError(const QSqlError& error);
// The sentence for a kind, without the engine's text; empty for Other.
// The file store's wait and full disk are said without a server.
QString StoreFailureSentence(StoreFailure kind, bool fileStore = false);
// The sentences of a server out of reach: not reached, or lost under an
// open window. A step that fails so is followed by others that fail alike.
QStringList StoreOutOfReachSentences();
// The sentence, then the engine's text below it; never empty.
QString StoreErrorText(const QSqlError& error);
// The text of a failure that the engine gave no words for.
QString StoreErrorText(const QString& engineText);

// --- outcome of a commit whose connection broke ---
// The sentence for CommitUnknown: look before trying again, or it may be
// written twice.
QString CommitUnknownSentence();
