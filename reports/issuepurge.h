#pragma once
// The issue report clears the issue lines that carry nothing each time it
// opens, whatever their day.
#include <QSqlDatabase>
#include <QString>

// Deletes every 出库信息 line whose quantity is 0; returns how many went.
// Throws DbError with the engine's text.
int PurgeEmptyIssueLines(const QSqlDatabase& db);
// Its statement, which the store's own index of the empty lines serves.
extern const QString kDeleteEmptyIssueLines;
