#pragma once
// Moving a settled outpatient visit to the inpatient account, and the
// admission that must come first for a patient not yet admitted.
#include <QSqlDatabase>
#include <QString>

#include "db/clinicconventions.h"
#include "frontdesk/inpatients.h"

// One visit as the patient information list shows it.
struct ListedVisit {
  VisitKey key;
  QString day;   // 时间 of its 患者信息 row, as DayText
  QString name;  // 姓名, trimmed
};

// Re-classes the visit's 患者信息 row, then its medicine and service lines
// of the same day, from '门诊' to '住院', and books the visit's amount, as
// stored when the move runs, as a '支出' of its day in the deposit ledger,
// by userName. One transaction: a visit that is not exactly one '门诊' row
// (already moved, moved meanwhile at another desk, gone) moves nothing.
// Returns false when everything was rolled back (failure: the reason, for
// a visit no longer one outpatient row in words a clerk reads).
bool MoveToInpatient(const QSqlDatabase& db, const ListedVisit& visit, const QString& userName,
                     QString* failure = nullptr);

struct Admission {
  QString name;
  QString sex;
  QString age;
  QString insuranceCard;  // 合作医疗证号
  QString address;
};

// Admits the patient with the pinyin code of the name, by which the
// inpatient window lists its patients, through the inpatient desk's own
// admission: a name admitted already, perhaps a moment ago at another
// desk, is no error and stays as it was. True when it inserted; other
// store errors throw DbError.
bool AdmitPatient(const QSqlDatabase& db, const Admission& admission);
