#pragma once

#include <QDateTime>
#include <QString>

// The workstation's formats: those of the system locale, or Russian when the system has none. Called before
// the application object, so that Qt's own dialogs write dates in them too.
void setupWorkstationLocale();
// Qt's own texts (standard buttons, file and print dialogs) in Russian, as the program's.
void loadQtTranslations();

QString shortDateFormat();
// The long time format without a time-zone name ("H:mm:ss" under Russian).
QString longTimeFormat();

QString shortDateText(const QDate& date);
QString longTimeText(const QTime& time);
// A stored date-time as a grid shows it: the short date, then the long time unless it is midnight;
// a time of day (on the zero date) as the long time alone.
QString dateTimeDisplayText(const QDateTime& value);
