#include "platform/LocaleFormat.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>

#include "platform/Database.h"

namespace {

// Qt 6 asks for a file's type ("Folder") under a context of its own, which the Russian catalogue of Qt 6.4
// lacks; it holds them under the file dialog's, where Qt 5 asked.
class QtCatalogue : public QTranslator {
  public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* source, const char* disambiguation, int n) const override {
        const QString text = QTranslator::translate(context, source, disambiguation, n);
        if (text.isEmpty() && qstrcmp(context, "QAbstractFileIconProvider") == 0) {
            return QTranslator::translate("QFileDialog", source, disambiguation, n);
        }
        return text;
    }
};

// Qt's file dialogs write dates and sizes in the system locale, which Qt reads from the environment once: a
// process without one for them is given the Russian one there before anything reads it.
void giveQtDialogsALocale() {
    const bool overridden = !qEnvironmentVariableIsEmpty("LC_ALL");
    for (const char* category : {"LC_TIME", "LC_NUMERIC"}) {
        const char* variable = overridden ? "LC_ALL" : category;
        if (QLocale(qEnvironmentVariable(variable, qEnvironmentVariable("LANG"))).language() == QLocale::C) {
            qputenv(variable, "ru_RU.UTF-8");
        }
    }
}

}  // namespace

void setupWorkstationLocale() {
    giveQtDialogsALocale();
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C) {
        locale = QLocale(QLocale::Russian, QLocale::Russia);
    }
    // The workstation writes numbers without thousands grouping ("1000,0").
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(locale);
}

void loadQtTranslations() {
    auto* translator = new QtCatalogue(QCoreApplication::instance());
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
