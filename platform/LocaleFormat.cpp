#include "platform/LocaleFormat.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>

#include "platform/Database.h"

void setupWorkstationLocale() {
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C) {
        locale = QLocale(QLocale::Russian, QLocale::Russia);
    }
    // The workstation writes numbers without thousands grouping ("1000,0").
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(locale);
}

void loadQtTranslations() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    }
}

QString shortDateFormat() {
    return QLocale().dateFormat(QLocale::ShortFormat);
}

QString longTimeFormat() {
    // Russian workstations write hours without a leading zero ("9:05:00"); Qt's locale data pads them.
    if (QLocale().language() == QLocale::Russian) {
        return QStringLiteral("H:mm:ss");
    }
    // Grids format every date-time cell through here: the pattern is compiled once.
    static const QRegularExpression kTimeZone(QStringLiteral("\\s*t+\\s*"));
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(kTimeZone);
    return format.trimmed();
}

QString shortDateText(const QDate& date) {
    return QLocale().toString(date, shortDateFormat());
}

QString longTimeText(const QTime& time) {
    return QLocale().toString(time, longTimeFormat());
}

QString dateTimeDisplayText(const QDateTime& value) {
    if (value.date() == kZeroDate) {
        return longTimeText(value.time());
    }
    if (value.time() == QTime(0, 0)) {
        return shortDateText(value.date());
    }
    return shortDateText(value.date()) + QLatin1Char(' ') + longTimeText(value.time());
}
