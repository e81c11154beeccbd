#pragma once

#include <QDialog>
#include <QImage>

#include "clients/ClientPhoto.h"

class Database;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// Editor of one client: personal data, profession, the "не страховать" mark and the photograph.
class TfrmClient : public QDialog {
    Q_OBJECT

  public:
    TfrmClient(Database& db, QWidget* parent);

    // Loads the client with that ID, or a new client when the ID is -1.
    void LoadEdClient(int id);
    void SetModified(bool value);

    QLineEdit* leFamily = nullptr;
    QLineEdit* leName = nullptr;
    QLineEdit* leOtch = nullptr;
    QLineEdit* leAddress = nullptr;
    QComboBox* cbProf = nullptr;
    QLineEdit* leInfo = nullptr;
    QDateEdit* dtpBrichDay = nullptr;
    QComboBox* cbPol = nullptr;
    QLabel* ImPhoto = nullptr;
    QLabel* lblPhotoNote = nullptr;  // says why the placeholder stands for a stored photograph
    QToolButton* btnRotateLeft = nullptr;
    QToolButton* btnRotateRight = nullptr;
    QCheckBox* cbNoRGS = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnClose = nullptr;

  public slots:
    void leFamilyKeyDown();
    void cbPolChange();
    void cbNoRGSClick();
    void btnSaveClick();
    void ImPhotoClick();
    void btnRotateLeftClick();
    void btnRotateRightClick();
    void btnCloseClick();
    // Esc comes here too.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void setupUi();
    void FormCreate();
    void markChanged();
    void loadClient(int id);
    void loadPhoto();
    void showPhoto();
    bool requiredFilled() const;
    int writeClient();
    void UpDateProf();
    void addProfession(const QString& name);
    void turnPhoto(double angle);
    void storePhoto(const QImage& picture, const QString& fileName);
    QString photoPath() const;
    void leave();

    Database& m_db;
    int FIDClient = -1;
    QString FPhotoFile;
    bool FModified = false;
    QImage m_photo;  // null while the placeholder is shown
    PhotoUndo m_photoUndo;
};
