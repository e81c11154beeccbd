#pragma once

#include <QDialog>
#include <QStringList>
#include <QStyle>

class Database;
class QComboBox;
class QDateEdit;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class SprGrid;
struct SprColumn;
class TfrmEdTC;

// A typed amount in the workstation's form (its decimal separator, or a point); false when the text
// is no finite number.
bool readMoney(const QString& text, double& value);
// A typed count of visits: a whole number, 0 or more.
bool readCount(const QString& text, int& value);
// An amount as the inputs show it.
QString moneyText(double value);
void centreCells(SprGrid& grid);

// The titles and widths of a price list.
struct PriceListLook {
    QString dateTitle;
    int dateWidth = 0;
    QString cenaTitle;
    int cenaWidthFew = 0;  // with fewer than 2 rows
    int cenaWidthMany = 0;
};

// What the hall price dialog and the sports-type price dialog share: the price types of the hall or
// sports type in a box, the dated prices of the selected type in a list, and the buttons that store
// and delete prices and types at once.
class TPriceDialog : public QDialog {
    Q_OBJECT

  public:
    // Fills the type box and selects its first type; the price list is not reloaded.
    void LoadTypeCena();
    // Lists the prices of the selected type in the listed band; the oldest fills the inputs.
    void LoadCenaSeansInTabl();

    QLabel* Label2 = nullptr;
    QComboBox* cbTypeCen = nullptr;
    QToolButton* btnNewTC = nullptr;
    QToolButton* btnEditTC = nullptr;
    QToolButton* btnDelTC = nullptr;
    QLineEdit* leCena = nullptr;
    QDateEdit* dtpDateCena = nullptr;
    QLineEdit* edVznos = nullptr;
    QToolButton* btnSetCena = nullptr;
    QToolButton* btndelCena = nullptr;
    SprGrid* DBGridSpr = nullptr;
    QPushButton* btnClose = nullptr;

  public slots:
    void cbTypeCenChange();
    void DBGridSprCellClick();
    void btnSetCenaClick();
    void btndelCenaClick();
    void btnNewTCClick();
    void btnEditTCClick();
    void btnDelTCClick();

  protected:
    // The band of prices that depend on no time of day: club-card and sports-type prices.
    static constexpr int kNoBand = 0;

    TPriceDialog(Database& db, QWidget* parent, const QString& typeLabel, const PriceListLook& look);

    // The type box with its three buttons, and the price inputs with theirs, for the dialog's layout.
    QHBoxLayout* typeRow() const { return m_typeRow; }
    QHBoxLayout* priceRow() const { return m_priceRow; }

    virtual QString typesSql() const = 0;
    // The band whose prices are listed (-1: none can be).
    virtual int listedBand() const = 0;
    // The band a new price is stored for; false when there is none to store it for.
    virtual bool bandForNewPrice(int& band) const = 0;
    virtual void prepareNewType(TfrmEdTC& editor) { Q_UNUSED(editor); }

    Database& m_db;
    QStringList FListIDTypeCen;
    bool m_rowFillsFee = false;  // a click on a price row copies its fee too

  private:
    void setupPriceWidgets(const QString& typeLabel);
    int selectedTypeId() const;  // 0 when no type is selected
    bool editType(int id);

    PriceListLook m_look;
    QHBoxLayout* m_typeRow = nullptr;
    QHBoxLayout* m_priceRow = nullptr;
};
