#include "cards/UnitCardPrint.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>

#include <cmath>

#include "common/ParAplStore.h"
#include "common/UnitConst.h"
#include "platform/AppError.h"
#include "platform/Database.h"
#include "platform/FileReplace.h"
#include "platform/JpegCodec.h"
#include "platform/LocaleFormat.h"
#include "platform/PictureFile.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_NO_RGS_SQL = QStringLiteral("SELECT NoRGS FROM tClient WHERE ID=%1;");
const QString SELECT_VISITS_SQL = QStringLiteral(
    "SELECT tWorkGurnal.ID, tZal.NameZal, date(DateWork) AS DateSeans, DateWork AS TimeSeans, tWorkGurnal.Cena "
    "FROM tWorkGurnal, tZal WHERE ((ID_Card=%1) AND (tWorkGurnal.ID_Zal=tZal.ID)) ORDER BY DateWork, NameZal;");
const QString SELECT_HALLS_SQL = QStringLiteral(
    "SELECT tWorkClubCard.ID, tZal.NameZal, tWorkClubCard.Cena, tWorkClubCard.ID_Zal FROM tWorkClubCard, tZal "
    "WHERE ((ID_Card=%1) AND (tWorkClubCard.ID_Zal=tZal.ID)) ORDER BY NameZal;");

const QString kProjectFile = QStringLiteral("CadrPrint.rav");
const QString kPhotoTMP = QStringLiteral("TMP/PhotoTMP.bmp");
const QString kNoPhoto = QStringLiteral("noname.bmp");
const QString kPreviewTitle = QStringLiteral("Карта клиента");
const QString kPhotoUnreadable = QStringLiteral(
    "Не удается прочитать фотографию «%1» для карты.\rВыберите фотографию клиента заново или обратитесь к "
    "администратору.");
const QString kPhotoUnwritable = QStringLiteral(
    "Не удается записать временный файл фотографии для карты.\rПроверьте, что папка TMP программы доступна для "
    "записи.");
const QString kMissingDecoration = QStringLiteral(
    "Не найден или поврежден рисунок карты %1.\rКарта будет напечатана без него; сообщите администратору.");
const QString kMissingDecorations = QStringLiteral(
    "Не найдены или повреждены рисунки карты: %1.\rКарта будет напечатана без них; сообщите администратору.");
constexpr int kNumberWidth = 8;

struct CardKind {
    QString report;
    QString text;
    QString ribbon;
};

CardKind kindOf(const TCardPrint& card) {
    if (card.TypeCard == ctAbonement) {
        return {QStringLiteral("RepCardAbon"), QStringLiteral("А"), QStringLiteral("Reklama/r2_1.bmp")};
    }
    return {QStringLiteral("RepCardCC"), QStringLiteral("КК"), QStringLiteral("Reklama/r2_2.bmp")};
}

// The decorative pictures of the card, in the order of the fields R1_File, R2_File, F1_File, F2_File.
QStringList decorations(const TCardPrint& card) {
    return {QStringLiteral("Reklama/r1.bmp"), kindOf(card).ribbon, QStringLiteral("Reklama/fon_1.bmp"),
            QStringLiteral("Reklama/fon_2.bmp")};
}

// A missing or unreadable decoration prints as nothing rather than stopping the card: the layout skips
// an empty picture name.
QString decorationPath(const QString& name) {
    const QString path = gAppPath + name;
    return readPictureOrNull(path).isNull() ? QString() : path;
}

QStringList missingDecorations(const TCardPrint& card) {
    QStringList missing;
    for (const QString& name : decorations(card)) {
        if (decorationPath(name).isEmpty()) {
            missing << name;
        }
    }
    return missing;
}

void tellMissingDecorations(const TCardPrint& card, QWidget* parent) {
    const QStringList missing = missingDecorations(card);
    if (!missing.isEmpty()) {
        const QString& text = missing.size() == 1 ? kMissingDecoration : kMissingDecorations;
        showMessage(parent, text.arg(missing.join(QStringLiteral(", "))), MsgIcon::Warning);
    }
}

// The insured sum is kept in roubles and printed in thousands, to 0.01 with halves to even.
QString insuredThousands(double summ) {
    const double rounded = std::nearbyint(summ / 1000 * 100) / 100;
    return QLocale().toString(rounded, 'f', QLocale::FloatingPointShortest);
}

bool clientNotInsured(Database& db, int idClient) {
    return execScalar(db, SELECT_NO_RGS_SQL.arg(idClient)).toInt() != 0;
}

QString parText(Database& db, int code) {
    return ReadParApl(db, code).toString();
}

void writePhotoTMP(const QImage& bitmap) {
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    if (!bitmap.convertToFormat(QImage::Format_RGB888).save(&encoded, "BMP")) {
        throw AppError(kPhotoUnwritable, QStringLiteral("фотографию не удается записать в формате BMP"));
    }
    // A missing TMP folder is made rather than failing every print.
    QDir().mkpath(QFileInfo(PhotoTMPFile()).absolutePath());
    try {
        replaceFile(PhotoTMPFile(), encoded.data());
    } catch (const DiskFull&) {
        throw;
    } catch (const AppError& e) {
        throw AppError(kPhotoUnwritable, e.details());
    }
}

// The temporary photograph lives only while the report runs, whatever way the print ends.
class TemporaryPhoto {
  public:
    explicit TemporaryPhoto(const QString& photo) { SavePhotoTMP(photo); }
    ~TemporaryPhoto() { QFile::remove(PhotoTMPFile()); }
    TemporaryPhoto(const TemporaryPhoto&) = delete;
    TemporaryPhoto& operator=(const TemporaryPhoto&) = delete;
};

}  // namespace

void ApplyInsurance(Database& db, TCardPrint& card) {
    if (clientNotInsured(db, card.IDClient)) {
        card.StrahVosn = 0;
        card.StrahSumm = 0;
    }
    const bool insured = ReadParApl(db, pcUseInsurance).toDouble() == 1 && card.StrahVosn > 0 && card.StrahSumm > 0;
    card.EnPrintRGS = insured ? 1 : 0;
}

QList<QPair<QString, QString>> CardPrintParams(Database& db, const TCardPrint& card) {
    const bool useText = ReadParApl(db, pcUseCardText).toDouble() != 0;
    return {{QStringLiteral("EnPrintRGS"), QString::number(card.EnPrintRGS)},
            {QStringLiteral("TypeOrg"), parText(db, pcAbonLine1)},
            {QStringLiteral("NameOrg"), parText(db, pcAbonLine2)},
            {QStringLiteral("NameKK"), card.ChangeNamePRN ? parText(db, pcClubCardLine) : QString()},
            {QStringLiteral("NameAB"), card.ChangeNamePRN ? parText(db, pcAbonLine) : QString()},
            {QStringLiteral("DopStrTXT"), useText ? card.DopTXT : QString()}};
}

QString PhotoTMPFile() {
    return gAppPath + kPhotoTMP;
}

void SavePhotoTMP(const QString& photo) {
    QString source = gPhotoDir + photo;
    if (photo.isEmpty() || !QFileInfo(source).isFile()) {
        source = gPhotoDir + kNoPhoto;
    }
    const QString suffix = QFileInfo(source).suffix().toUpper();
    // Another kind of file prints as an empty picture.
    QImage bitmap(1, 1, QImage::Format_RGB888);
    bitmap.fill(Qt::white);
    if (suffix == QLatin1String("JPG") || suffix == QLatin1String("BMP")) {
        try {
            bitmap = readPictureFile(source, suffix == QLatin1String("JPG") ? PictureFormat::Jpeg : PictureFormat::Bmp);
        } catch (const AppError& damaged) {
            // The photo dialog's advice does not fit a print: the print says what to do here.
            throw AppError(kPhotoUnreadable.arg(QFileInfo(source).fileName()), damaged.details());
        }
    }
    writePhotoTMP(bitmap);
}

QString GetNameZals(const QString& vidSporta, ReportData& rows) {
    if (!vidSporta.isEmpty()) {
        return vidSporta;
    }
    const int column = rows.columns().indexOf(QStringLiteral("NameZal"));
    QStringList names;
    for (int row = 0; row < rows.rowCount(); ++row) {
        const QString name = rows.value(row, column);
        if (!names.contains(name)) {
            names << name;
        }
    }
    return names.isEmpty() ? QStringLiteral("-") : names.join(QStringLiteral(", ")) + QLatin1Char('.');
}

QList<ReportField> CardPrintFields() {
    const QList<QPair<QString, int>> fields = {
        {QStringLiteral("NumCard"), 10}, {QStringLiteral("FIO"), 20},        {QStringLiteral("PhotoFile"), 20},
        {QStringLiteral("Period"), 20},  {QStringLiteral("KolvoSeans"), 20}, {QStringLiteral("Operator"), 50},
        {QStringLiteral("Zals"), 50},    {QStringLiteral("R1_File"), 20},    {QStringLiteral("R2_File"), 20},
        {QStringLiteral("F1_File"), 20}, {QStringLiteral("F2_File"), 20},    {QStringLiteral("OrgClient"), 20},
        {QStringLiteral("SummaRGS"), 20}};
    QList<ReportField> result;
    for (const auto& [name, width] : fields) {
        result << ReportField{name, width, name, QString()};
    }
    return result;
}

QStringList CardPrintRow(const TCardPrint& card, ReportData& rows) {
    const bool abonement = card.TypeCard == ctAbonement;
    QStringList row = {card.NumCard.rightJustified(kNumberWidth, QLatin1Char('0')),
                       card.Client,
                       PhotoTMPFile(),
                       shortDateText(card.DateBeg) + QStringLiteral(" - ") + shortDateText(card.DateEnd),
                       abonement ? QString::number(rows.rowCount()) : QStringLiteral("-"),
                       gUserApl.Koment,
                       GetNameZals(card.VidSporta, rows)};
    for (const QString& name : decorations(card)) {
        row << decorationPath(name);
    }
    return row << (card.OrgChosen ? QStringLiteral("Организация: ") + card.OrgText : QString())
               << insuredThousands(card.StrahSumm);
}

bool PrintCard(Database& db, TCardPrint& card, QWidget* parent) {
    ApplyInsurance(db, card);
    ReportEngine engine;
    engine.setPreviewTitle(kPreviewTitle);
    const CardKind kind = kindOf(card);
    bool printed = false;
    {
        const TemporaryPhoto photo(card.Photo);
        engine.setProjectFile(gAppPath + kProjectFile);
        engine.selectReport(kind.report);
        for (const auto& [name, value] : CardPrintParams(db, card)) {
            engine.setParam(name, value);
        }

        SqlQuery query(db);
        const QString& rowsSql = card.TypeCard == ctAbonement ? SELECT_VISITS_SQL : SELECT_HALLS_SQL;
        QueryReportData rows(query.prepared(rowsSql.arg(card.IDCard)));
        CustomReportData row;
        row.onOpen = [] { return 1; };
        row.onGetCols = CardPrintFields;
        row.onGetRow = [&card, &rows](int) { return CardPrintRow(card, rows); };
        engine.addData(QStringLiteral("RvData"), &row);
        engine.addData(QStringLiteral("RvDS_Tabl"), &rows);
        tellMissingDecorations(card, parent);
        printed = engine.execute(parent);
    }
    if (printed) {
        WriteActionLog(db, acCard,
                       QStringLiteral("Печать карты (") + kind.text + QStringLiteral(") №") + card.NumCard +
                           QStringLiteral(", клиент: ") + card.Client);
    }
    return printed;
}
