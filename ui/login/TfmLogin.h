#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TSupGrids;

// "登录数据库服务器": connects the data module's cnNet to the typed server, lists its account sets,
// checks the chosen one and the backup folder, and ends with OK only when both passed. It starts
// collapsed to its top panel and grows once a list has been read.
class TfmLogin : public QDialog {
    Q_OBJECT

public:
    explicit TfmLogin(QWidget* parent = nullptr);
    ~TfmLogin() override;

    // The workstation's IPv4 address: the first the resolver gives for the host name, else 127.0.0.1.
    static QString GetLocalIPAddress();
    // Decimal digits and full stops only, exactly three full stops.
    static bool IsIPAddress(const QString& text);

    // The form's components, as laid out at design time.
    QWidget* pTop;
    QLabel* Image1;
    QFrame* pInput;
    QLabel* Label1;
    QLineEdit* edServerName;
    QPushButton* btnCancel;
    QPushButton* btnConn;
    QWidget* Panel2;
    QLabel* Label2;
    QLabel* lbHint;
    TSupGrids* gProfile;
    QPushButton* btnSelect;
    QFrame* Panel1;
    QLabel* Label5;
    QLineEdit* edBackupDir;

    // Height of the whole form, before it was collapsed to pTop.
    int FullHeight() const { return FFullHeight; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateComponents();
    void SetTabOrder();

    void FormCreate();
    void btnConnClick();
    void btnSelectClick();
    void gProfileDblClick();
    void gProfileKeyPress(QChar& key);
    void EditEnter(QLineEdit* edit);
    void EditExit(QLineEdit* edit);
    void EditKeyPress(QLineEdit* edit, QChar& key);

    // True when the application server accepted this workstation's log-on. An open connection is
    // reused; one whose log-on was refused is asked again rather than taken as accepted.
    bool ConnectAppServer();
    // Opens cnNet to the typed server; any failure becomes the "cannot connect" error.
    void OpenConnection();
    // KeepConnection, ConnectDb and ChangeDb("master") on the open connection.
    bool LogOnToAppServer();
    void LoadAccountSets();
    void FetchAccountSets(QStringList& list);
    void ClearAccountSetGrid();
    QString GetSelectedDatabaseName() const;

    int FFullHeight = 0;
    bool FLoggedOn = false;
};
