#pragma once

#include <QDate>
#include <QStringList>

#include "platform/ReportEngine.h"

class QWidget;
class Database;

// What the card form shows when its print button is pressed; the print reads these, not the stored row.
struct TCardPrint {
    int TypeCard = 0;            // FTypeCard
    int IDCard = 0;              // FIDCard: whose visits or halls the back of the card lists
    QString NumCard;             // leNumCard's text
    QString Client;              // leClient's text
    QDate DateBeg;               // dtBeg
    QDate DateEnd;               // dtEnd
    QString OrgText;             // leOrg's text
    bool OrgChosen = false;      // leOrg.Tag >= 1
    QString VidSporta;           // leVidSporta's text
    double StrahVosn = 0;        // FStrahVosn; set to 0 for a client marked not insured
    double StrahSumm = 0;        // FStrahSumm; set to 0 for a client marked not insured
    int EnPrintRGS = 0;          // FEnPrintRGS, recomputed by the print
    QString DopTXT;              // FDopTXT
    QString Photo;               // FPhoto
    int IDClient = 0;            // FIDClient
    bool ChangeNamePRN = false;  // cbChangeNamePRN ticked
};

// Prints the card through "CadrPrint.rav". The insurance values and EnPrintRGS of the card are updated
// for the form to take back. True when output was produced; only then is the print logged.
bool PrintCard(Database& db, TCardPrint& card, QWidget* parent);

// Zeroes the insurance of a client marked not insured and decides whether the insurance line prints.
void ApplyInsurance(Database& db, TCardPrint& card);
// The report's named parameters, in the order they are set.
QList<QPair<QString, QString>> CardPrintParams(Database& db, const TCardPrint& card);

// The temporary photograph the card shows, beside the executable.
QString PhotoTMPFile();
// Writes the client's photograph (or the photo folder's "noname.bmp") as the temporary bitmap.
void SavePhotoTMP(const QString& photo);
// The sports text, else the distinct hall names of the card's rows, else "-".
QString GetNameZals(const QString& vidSporta, ReportData& rows);

// The one row the card report reads: its fields and their values.
QList<ReportField> CardPrintFields();
QStringList CardPrintRow(const TCardPrint& card, ReportData& rows);
