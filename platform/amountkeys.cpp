#include "platform/amountkeys.h"

#include "platform/keys.h"

void AmountKeyFilter(QWidget* box) { FilterKeys(box, QStringLiteral("0123456789.")); }

void AgeKeyFilter(QWidget* box) { FilterKeys(box, QStringLiteral("0123456789")); }
